#include "host/cli.h"

#include "host/errors.h"
#include "host/escape_key.h"
#include "host/evaluator.h"
#include "host/formula_parser.h"
#include "host/host.h"
#include "host/local_time.h"
#include "host/output_format.h"
#include "host/self_path.h"
#include "host/sheet_script.h"
#include "host/text_to_number.h"
#include "host/utf.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>

namespace zorvane::host {

namespace {

const char* const usage_text =
    "usage: zorvane [options] eval [--csv|--json] FORMULA...\n"
    "       zorvane [options] run [--csv|--json] SHEET\n"
    "       zorvane [options] functions\n"
    "options:\n"
    "  --addin PATH          the add-in to load (default: Zorvane.xll beside zorvane)\n"
    "  --now 'YYYY-MM-DD HH:MM:SS'  start the host clock there (default: local time)\n"
    "  --alert ok|cancel     the default answer to message boxes\n"
    "  --version-12=on|off   off plays a host without the wide interface\n"
    "  --status              show every change of the status bar on standard error\n"
    "  --csv, --json         output format (default: an aligned grid for eval, CSV for run)\n";

struct CommandLine {
    std::string command;
    std::vector<std::string> operands;
    std::string addin;
    std::optional<OutputFormat> format;
    HostOptions host;
};

CommandLine parse_command_line(const std::vector<std::string>& args)
{
    CommandLine cl;
    cl.host.start_time = -1;
    bool options_done = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const std::string& name) -> std::string {
            const auto eq = a.find('=');
            if (eq != std::string::npos)
                return a.substr(eq + 1);
            if (i + 1 >= args.size())
                throw UsageError(name + " needs a value");
            return args[++i];
        };
        auto is = [&](const std::string& name) { return a == name || a.rfind(name + "=", 0) == 0; };
        if (options_done || a.empty() || a[0] != '-' || a == "-") {
            if (cl.command.empty())
                cl.command = a;
            else
                cl.operands.push_back(a);
            continue;
        }
        if (a == "--") {
            options_done = true;
        } else if (is("--addin")) {
            cl.addin = value("--addin");
        } else if (is("--now")) {
            const std::string when = value("--now");
            auto serial = date_time_from_text(utf8_to_utf16(when));
            if (!serial)
                throw UsageError("--now takes a time such as '2014-05-31 18:00:00', not '" + when + "'");
            cl.host.start_time = *serial;
        } else if (is("--alert")) {
            const std::string answer = ascii_upper(value("--alert"));
            if (answer != "OK" && answer != "CANCEL")
                throw UsageError("--alert takes ok or cancel");
            cl.host.default_alert = answer == "OK" ? AlertAnswer::ok : AlertAnswer::cancel;
        } else if (is("--version-12")) {
            const std::string on = ascii_upper(a.find('=') == std::string::npos ? std::string("ON") : value("--version-12"));
            if (on != "ON" && on != "OFF")
                throw UsageError("--version-12 takes on or off");
            cl.host.version12 = on == "ON";
        } else if (a == "--status") {
            cl.host.show_status = true;
        } else if (a == "--csv") {
            cl.format = OutputFormat::csv;
        } else if (a == "--json") {
            cl.format = OutputFormat::json;
        } else if (a == "--help" || a == "-h") {
            cl.command = "help";
        } else if (!cl.command.empty() && cl.command == "eval" && a.size() > 1 && a[1] != '-') {
            cl.operands.push_back(a); // a formula such as -1+2
        } else {
            throw UsageError("unknown option " + a);
        }
    }
    return cl;
}

std::string default_addin()
{
    return (std::filesystem::path(executable_folder()) / "Zorvane.xll").string();
}

int eval_command(Host& host, const CommandLine& cl, std::ostream& out)
{
    if (cl.operands.empty())
        throw UsageError("eval needs at least one formula");
    // Every formula is read and checked before the first one runs.
    std::vector<NodePtr> formulas;
    for (const auto& text : cl.operands) {
        try {
            NodePtr ast = parse_formula(text);
            check_calls(*ast, host);
            formulas.push_back(std::move(ast));
        } catch (const UsageError& e) {
            throw UsageError(std::string(e.what()) + " in " + abbreviated(text));
        }
    }
    const OutputFormat format = cl.format.value_or(OutputFormat::grid);
    const bool several = formulas.size() > 1;
    for (std::size_t i = 0; i < formulas.size(); ++i) {
        const Value value = resolve_result(evaluate(*formulas[i], host), host);
        if (format == OutputFormat::json && several)
            out << "{\"formula\":" << json_string(cl.operands[i]) << ",\"value\":" << json_value(value) << "}\n";
        else {
            if (several)
                out << cl.operands[i] << '\n';
            out << format_value(value, format);
        }
        out.flush();
    }
    return 0;
}

int run_command(Host& host, const CommandLine& cl, std::ostream& out)
{
    if (cl.operands.size() != 1)
        throw UsageError("run needs exactly one sheet file");
    const std::string& path = cl.operands[0];
    std::ifstream file(path);
    if (!file)
        throw UsageError("cannot open the sheet " + path);
    const std::string folder = std::filesystem::absolute(std::filesystem::path(path)).parent_path().string();
    run_sheet_script(host, file, path, folder, out, cl.format.value_or(OutputFormat::csv));
    return 0;
}

std::string trim_right(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    return s;
}

int functions_command(Host& host, const CommandLine& cl, std::ostream& out)
{
    if (!cl.operands.empty())
        throw UsageError("functions takes no operands");
    for (const auto& r : host.registry().all()) {
        if (r.function_text.empty() || r.macro_type == MacroType::hidden)
            continue;
        const auto names = r.argument_names();
        out << r.function_text;
        if (r.is_command()) {
            out << "  (command)";
        } else {
            out << '(';
            for (std::size_t i = 0; i < names.size(); ++i)
                out << (i ? ", " : "") << names[i];
            out << ')';
        }
        out << '\n';
        if (!r.category.empty())
            out << "  category: " << r.category << '\n';
        if (!r.shortcut.empty())
            out << "  shortcut: " << r.shortcut << '\n';
        if (!trim_right(r.function_help).empty())
            out << "  " << trim_right(r.function_help) << '\n';
        // Help beyond the arguments (some add-ins pad it) is not shown, as in a function wizard.
        const std::size_t shown = std::min(r.argument_help.size(), std::max(names.size(), r.types.args.size()));
        for (std::size_t i = 0; i < shown; ++i) {
            const std::string name = i < names.size() ? names[i] : "argument " + std::to_string(i + 1);
            const std::string help = trim_right(r.argument_help[i]);
            if (!help.empty())
                out << "  " << name << ": " << help << '\n';
        }
    }
    return 0;
}

} // namespace

int run_command_line(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        CommandLine cl = parse_command_line(args);
        if (cl.command.empty() || cl.command == "help") {
            (cl.command.empty() ? err : out) << usage_text;
            return cl.command.empty() ? 2 : 0;
        }
        if (cl.command != "eval" && cl.command != "run" && cl.command != "functions")
            throw UsageError("unknown command " + cl.command);
        if (cl.host.start_time < 0)
            cl.host.start_time = local_time_serial();
        Host host(cl.host, err);
        host.load_addin(cl.addin.empty() ? default_addin() : cl.addin);
        // While formulas calculate, Ctrl-C is the spreadsheet's Esc.
        if (cl.command == "eval" || cl.command == "run")
            handle_interrupts();
        int status = 0;
        if (cl.command == "eval")
            status = eval_command(host, cl, out);
        else if (cl.command == "run")
            status = run_command(host, cl, out);
        else
            status = functions_command(host, cl, out);
        host.close_addins();
        return status;
    } catch (const UsageError& e) {
        out.flush();
        err << "zorvane: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) { // a load failure included
        out.flush();
        err << "zorvane: " << e.what() << '\n';
        return 1;
    } catch (...) {
        out.flush();
        err << "zorvane: unexpected failure\n";
        return 1;
    }
}

} // namespace zorvane::host
