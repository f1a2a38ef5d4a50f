#include "host/cli/cli.h"

#include "host/bridge/host.h"
#include "host/cli/output_format.h"
#include "host/cli/printed_failure.h"
#include "host/cli/self_path.h"
#include "host/cli/sheet_input.h"
#include "host/cli/sheet_script.h"
#include "host/engine/errors.h"
#include "host/engine/evaluator.h"
#include "host/engine/formula_parser.h"
#include "host/engine/text_to_number.h"
#include "host/engine/utf.h"
#include "host/engine/utf8_path.h"
#include "host/sheet/escape_key.h"
#include "host/sheet/local_time.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>
#include <sstream>

namespace zorvane::host {

namespace {

namespace fs = std::filesystem;

struct CommandLine {
    std::string command;
    std::vector<std::string> operands;
    std::string addin;
    std::optional<OutputFormat> format;
    std::u16string number_format;
    bool show_version = false;
    HostOptions host;
};

// An option: its name, what follows it (nothing; a value, after '=' or as the next word; or an
// optional value after '=' only), its help line and what it sets.
struct Option {
    enum class Takes { nothing, value, optional_value };
    const char* name;
    Takes takes;
    const char* shown; // the option as --help shows it
    const char* help;
    void (*apply)(CommandLine& cl, const std::string& value);
};

const Option options[] = {
    {"--addin", Option::Takes::value, "--addin PATH", "the add-in to load (default: Zorvane.xll beside zorvane)",
     [](CommandLine& cl, const std::string& path) { cl.addin = path; }},
    {"--now", Option::Takes::value, "--now 'YYYY-MM-DD HH:MM:SS'", "start the host clock there (default: local time)",
     [](CommandLine& cl, const std::string& when) {
         auto serial = date_time_from_text(utf8_to_utf16(when));
         if (!serial)
             throw UsageError("--now takes a time such as '2014-05-31 18:00:00', not '" + when + "'");
         cl.host.start_time = *serial;
     }},
    {"--alert", Option::Takes::value, "--alert ok|cancel", "the default answer to message boxes",
     [](CommandLine& cl, const std::string& value) {
         const std::string answer = ascii_upper(value);
         if (answer != "OK" && answer != "CANCEL")
             throw UsageError("--alert takes ok or cancel");
         cl.host.default_alert = answer == "OK" ? AlertAnswer::ok : AlertAnswer::cancel;
     }},
    {"--version-12", Option::Takes::optional_value, "--version-12=on|off", "off plays a host without the wide interface",
     [](CommandLine& cl, const std::string& value) {
         const std::string on = value.empty() ? std::string("ON") : ascii_upper(value);
         if (on != "ON" && on != "OFF")
             throw UsageError("--version-12 takes on or off");
         cl.host.version12 = on == "ON";
     }},
    {"--excel-version", Option::Takes::value, "--excel-version VERSION",
     "the version played, as GET.WORKSPACE(2) tells it (default 14.0; below 14 no asynchronous functions)",
     [](CommandLine& cl, const std::string& text) {
         char* end = nullptr;
         const double version = std::strtod(text.c_str(), &end);
         if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])) || *end != '\0' || !(version >= 1 && version < 100))
             throw UsageError("--excel-version takes a version number such as 12.0, not '" + text + "'");
         cl.host.excel_version = version;
     }},
    {"--status", Option::Takes::nothing, "--status",
     "show every change of the status bar, and of the asynchronous calls pending, on standard error",
     [](CommandLine& cl, const std::string&) { cl.host.show_status = true; }},
    {"--csv", Option::Takes::nothing, "--csv", "CSV (the default for run; eval prints an aligned grid)",
     [](CommandLine& cl, const std::string&) { cl.format = OutputFormat::csv; }},
    {"--json", Option::Takes::optional_value, "--json[=records]",
     "JSON: arrays as rows; =records: objects keyed by the first row",
     [](CommandLine& cl, const std::string& shape) {
         if (shape != "" && shape != "records" && shape != "rows")
             throw UsageError("--json takes =records or =rows, not =" + shape);
         cl.format = shape == "records" ? OutputFormat::json_records : OutputFormat::json;
     }},
    {"--format", Option::Takes::value, "--format CODE",
     "number format of numbers without one of their cell (yyyy-mm-dd, 0.00)",
     [](CommandLine& cl, const std::string& code) {
         if (code.empty())
             throw UsageError("--format needs a number format code such as yyyy-mm-dd");
         cl.number_format = iequals_ascii(utf8_to_utf16(code), u"General") ? std::u16string() : utf8_to_utf16(code);
     }},
    {"--version", Option::Takes::nothing, "--version", "print the versions of zorvane and of the add-in it loads",
     [](CommandLine& cl, const std::string&) { cl.show_version = true; }},
    {"--help", Option::Takes::nothing, "--help, -h", "this help",
     [](CommandLine& cl, const std::string&) { cl.command = "help"; }},
};

std::string usage_text()
{
    std::string text = "usage: zorvane [options] eval FORMULA...\n"
                       "       zorvane [options] run SHEET   (- reads the sheet from standard input)\n"
                       "       zorvane [options] functions\n"
                       "options (anywhere on the line):\n";
    for (const Option& option : options) {
        std::string line = std::string("  ") + option.shown;
        line += line.size() < 31 ? std::string(31 - line.size(), ' ') : std::string("  ");
        text += line + option.help + "\n";
    }
    return text + "exit status: 0 every printed value is a value; 3 some printed value is a failure: an error value\n"
                  "  as the whole value, or a text such as #SQL Error..., #No internet, #Cancelled... (everything is\n"
                  "  still printed); 2 a usage error: options, formulas, sheet lines; 1 the add-in cannot be loaded\n";
}

const Option* find_option(const std::string& arg)
{
    for (const Option& option : options) {
        const std::string name = option.name;
        if (arg == name || arg.starts_with(name + "="))
            return &option;
    }
    return nullptr;
}

CommandLine parse_command_line(const std::vector<std::string>& args)
{
    CommandLine cl;
    cl.host.start_time = -1;
    bool options_done = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options_done || a.empty() || a[0] != '-' || a == "-") {
            if (cl.command.empty())
                cl.command = a;
            else
                cl.operands.push_back(a);
            continue;
        }
        if (a == "--") {
            options_done = true;
            continue;
        }
        const Option* option = find_option(a == "-h" ? std::string("--help") : a);
        if (option == nullptr) {
            if (cl.command == "eval" && a.size() > 1 && a[1] != '-') {
                cl.operands.push_back(a); // a formula such as -1+2
                continue;
            }
            throw UsageError("unknown option " + a);
        }
        const auto eq = a.find('=');
        std::string value = eq == std::string::npos ? std::string() : a.substr(eq + 1);
        if (option->takes == Option::Takes::nothing && eq != std::string::npos)
            throw UsageError(std::string(option->name) + " takes no value");
        if (option->takes == Option::Takes::value && eq == std::string::npos) {
            if (i + 1 >= args.size())
                throw UsageError(std::string(option->name) + " needs a value");
            value = args[++i];
        }
        option->apply(cl, value);
    }
    return cl;
}

std::string default_addin()
{
    return utf8_of(path_from_utf8(executable_folder()) / "Zorvane.xll");
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
    const bool json = format == OutputFormat::json || format == OutputFormat::json_records;
    const bool several = formulas.size() > 1;
    const NumberFormatAt number_format = [&](int, int) { return cl.number_format; };
    bool failed = false;
    std::vector<const Node*> nodes;
    for (const auto& f : formulas)
        nodes.push_back(f.get());
    // The value's text is made whole before anything of the formula is written, and written
    // between its head and tail without being copied again.
    auto shown = [&](const Value& value) {
        if (json && several)
            return json_value(value, format == OutputFormat::json_records, number_format);
        return format_value(value, format, number_format);
    };
    host.evaluate_formulas(nodes, [&](std::size_t i, const Value& value) {
        bool printed_failure = is_printed_failure(value);
        std::string text;
        try {
            text = shown(value);
        } catch (const std::bad_alloc&) {
            // No memory for the value's text: it is shown as a value too large to hold, a failure.
            text = shown(ErrorCode::num);
            printed_failure = true;
        }
        if (json && several)
            out << "{\"formula\":" << json_string(cl.operands[i]) << ",\"value\":" << text << "}\n";
        else
            out << (several ? cl.operands[i] + '\n' : std::string()) << text;
        failed = printed_failure || failed;
        out.flush();
    });
    return failed ? exit_failures_printed : exit_success;
}

SheetSource read_sheet(const CommandLine& cl, std::istream& in)
{
    if (cl.operands.size() != 1)
        throw UsageError("run needs exactly one sheet file, or - for standard input");
    const std::string& path = cl.operands[0];
    if (path != "-")
        return read_sheet_file(path);
    std::error_code ec;
    return read_sheet_stream(in, "(standard input)", utf8_of(fs::current_path(ec)));
}

int run_command(Host& host, const CommandLine& cl, const SheetSource& sheet, std::ostream& out)
{
    std::istringstream script(sheet.text);
    const PrintOptions print{cl.format.value_or(OutputFormat::csv), cl.number_format};
    const std::size_t failures = run_sheet_script(host, script, sheet.name, sheet.folder, out, print);
    return failures > 0 ? exit_failures_printed : exit_success;
}

// The add-in tells its version through its zVersion function (the last line of its answer).
std::string addin_version(Host& host)
{
    const std::string file = utf8_of(path_from_utf8(host.addin_path()).filename());
    if (!host.registered_arity("zVersion"))
        return file + " (no version: it registers no zVersion function)";
    const Value answer = host.call_registered("zVersion", {});
    const Value& last = answer.is_array() && answer.array().rows > 0 ? answer.array().at(answer.array().rows - 1, 0) : answer;
    return last.is_text() ? utf16_to_utf8(last.text()) : file + " (its zVersion gives no text)";
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
        const std::size_t shown = std::min(r.argument_help.size(), std::max(names.size(), r.types.formula_arguments()));
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

int run_command_line(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    try {
        CommandLine cl = parse_command_line(args);
        if (!cl.show_version && (cl.command.empty() || cl.command == "help")) {
            (cl.command.empty() ? err : out) << usage_text();
            return cl.command.empty() ? exit_usage : exit_success;
        }
        if (!cl.show_version && cl.command != "eval" && cl.command != "run" && cl.command != "functions")
            throw UsageError("unknown command " + cl.command);
        // A sheet that cannot run is told before the add-in loads.
        std::optional<SheetSource> sheet;
        if (!cl.show_version && cl.command == "run")
            sheet = read_sheet(cl, in);
        if (cl.show_version)
            out << "zorvane " << ZORVANE_VERSION << '\n' << std::flush;
        if (cl.host.start_time < 0)
            cl.host.start_time = local_time_serial();
        Host host(cl.host, err);
        host.load_addin(cl.addin.empty() ? default_addin() : cl.addin);
        // While formulas calculate, Ctrl-C is the spreadsheet's Esc.
        if (cl.command == "eval" || cl.command == "run")
            handle_interrupts();
        int status = exit_success;
        if (cl.show_version)
            out << addin_version(host) << '\n';
        else if (cl.command == "eval")
            status = eval_command(host, cl, out);
        else if (cl.command == "run")
            status = run_command(host, cl, *sheet, out);
        else
            status = functions_command(host, cl, out);
        host.close_addins();
        return status;
    } catch (const UsageError& e) {
        out.flush();
        err << "zorvane: " << e.what() << '\n';
        return exit_usage;
    } catch (const std::exception& e) { // a load failure included
        out.flush();
        err << "zorvane: " << e.what() << '\n';
        return exit_load_failure;
    } catch (...) {
        out.flush();
        err << "zorvane: unexpected failure\n";
        return exit_load_failure;
    }
}

int run_command_line(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return run_command_line(args, std::cin, out, err);
}

} // namespace zorvane::host
