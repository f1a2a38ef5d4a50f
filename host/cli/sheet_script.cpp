#include "host/cli/sheet_script.h"

#include "host/cli/printed_failure.h"
#include "host/engine/cell_address.h"
#include "host/engine/coerce.h"
#include "host/engine/errors.h"
#include "host/engine/evaluator.h"
#include "host/engine/formula_parser.h"
#include "host/engine/text_to_number.h"
#include "host/engine/utf.h"
#include "host/sheet/cell_entry.h"
#include "host/sheet/escape_key.h"

#include <chrono>
#include <cstdlib>
#include <vector>

namespace zorvane::host {

namespace {

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// ${SHEET_DIR} is the sheet's folder, ${NAME} an environment variable; a ${NAME} that is not
// set stays as written (formula text may well contain such characters).
std::string substitute(const std::string& text, const std::string& folder)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto open = text.find("${", i);
        const auto close = open == std::string::npos ? std::string::npos : text.find('}', open + 2);
        if (close == std::string::npos) {
            out.append(text, i, std::string::npos);
            break;
        }
        out.append(text, i, open - i);
        const std::string name = text.substr(open + 2, close - open - 2);
        if (name == "SHEET_DIR")
            out += folder;
        else if (const char* value = name.empty() ? nullptr : std::getenv(name.c_str()))
            out += value;
        else
            out.append(text, open, close - open + 1);
        i = close + 1;
    }
    return out;
}

// Words separated by blanks; "..." groups a word with blanks ("" inside is a quote).
std::vector<std::string> words(const std::string& s)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        if (i >= s.size())
            break;
        std::string word;
        bool quoted = false;
        while (i < s.size() && (quoted || (s[i] != ' ' && s[i] != '\t'))) {
            if (s[i] == '"') {
                if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
                    word += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            word += s[i++];
        }
        out.push_back(word);
    }
    return out;
}

bool parse_int(const std::string& s, int& out)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < -1000000 || v > 1000000)
        return false;
    out = static_cast<int>(v);
    return true;
}

class ScriptRunner {
public:
    ScriptRunner(Host& host, const std::string& name, const std::string& folder, std::ostream& out, const PrintOptions& options)
        : host_(host), name_(name), folder_(folder), out_(out), options_(options)
    {
    }

    std::size_t failures() const { return failures_; }

    void line(const std::string& raw, std::size_t number)
    {
        number_ = number;
        const std::string text = trim(raw);
        if (text.empty() || text[0] == '#')
            return;
        const auto colon = text.find(':');
        if (colon != std::string::npos) {
            if (auto at = parse_cell_address(trim(text.substr(0, colon)))) {
                cell_entry(*at, trim(text.substr(colon + 1)));
                return;
            }
        }
        const auto space = text.find_first_of(" \t");
        const std::string verb = ascii_upper(text.substr(0, space));
        const std::string rest = space == std::string::npos ? std::string() : trim(text.substr(space));
        if (verb == "PRINT")
            print(rest);
        else if (verb == "RUN")
            run(rest);
        else if (verb == "ADVANCE")
            advance(rest);
        else if (verb == "ALERT")
            alert(rest);
        else if (verb == "DIALOG")
            dialog(rest);
        else if (verb == "NOW")
            now(rest);
        else if (verb == "RECALC")
            host_.recalculate();
        else if (verb == "KEY")
            key(rest);
        else if (verb == "SELECT")
            select(rest);
        else if (verb == "FORMAT")
            number_format(rest);
        else if (verb == "ESC")
            escape(rest);
        else
            fail("unknown line; expected a cell entry such as 'A1: =1+2' or one of print, run, advance, alert, dialog, now, recalc, key, "
                 "select, format, esc");
    }

private:
    [[noreturn]] void fail(const std::string& message) const
    {
        throw UsageError(name_ + ":" + std::to_string(number_) + ": " + message);
    }

    std::shared_ptr<const Node> formula(const std::string& text)
    {
        try {
            NodePtr ast = parse_formula(text);
            check_calls(*ast, host_);
            return std::shared_ptr<const Node>(std::move(ast));
        } catch (const UsageError& e) {
            fail(std::string(e.what()) + " in " + abbreviated(text));
        }
    }

    void cell_entry(CellAddress at, const std::string& content)
    {
        const std::string text = substitute(content, folder_);
        if (!text.empty() && text[0] == '=')
            host_.sheet().set_formula(at, text, formula(text));
        else
            host_.sheet().set_constant(at, constant_from_entry(text));
    }

    void emit(const Value& value) { out_ << format_value(value, options_.format); }

    // A value of cells from `anchor` on: each number in the format of the cell it stands in.
    // `failed`: the value, or a cell printed in it, tells of a failure (for the exit status).
    void emit_values(const Value& value, std::optional<CellAddress> anchor, bool failed)
    {
        const NumberFormatAt number_format = [&](int row, int column) {
            if (anchor) {
                const CellAddress at{anchor->row + row, anchor->column + column};
                for (auto rule = number_formats_.rbegin(); rule != number_formats_.rend(); ++rule)
                    if (at.row >= rule->first.first_row && at.row <= rule->first.last_row && at.column >= rule->first.first_column &&
                        at.column <= rule->first.last_column)
                        return rule->second;
            }
            return options_.number_format;
        };
        std::string text;
        try {
            text = format_value(value, options_.format, number_format);
        } catch (const std::bad_alloc&) {
            // No memory for the value's text: it is shown as a value too large to hold, a failure.
            text = format_value(ErrorCode::num, options_.format, number_format);
            failed = true;
        }
        if (failed)
            ++failures_;
        out_ << text;
    }

    // A range shows the top-left value of each cell; each cell's whole value tells whether it
    // failed (a listing's row of data is no failure, a failed query in one of the cells is). One
    // cell shows its whole value, and a range too large to show is #NUM!.
    bool range_failed(const Ref& ref, const Value& shown)
    {
        if (!shown.is_array() || (ref.rows() == 1 && ref.columns() == 1))
            return is_printed_failure(shown);
        for (int r = ref.first_row; r <= ref.last_row; ++r)
            for (int c = ref.first_column; c <= ref.last_column; ++c)
                if (is_printed_failure(host_.sheet().value({r, c}, host_)))
                    return true;
        return false;
    }

    // format RANGE CODE: the spreadsheet's number format code (as TEXT takes it) for the cells of
    // the range when they are printed; a later line wins where ranges overlap.
    void number_format(const std::string& rest)
    {
        const auto space = rest.find_first_of(" \t");
        const auto range = parse_range(rest.substr(0, space));
        const std::string code = space == std::string::npos ? std::string() : trim(rest.substr(space));
        if (!range || code.empty())
            fail("format needs a cell or a range and a number format code, such as 'format B2:B100 yyyy-mm-dd'");
        number_formats_.emplace_back(*range, iequals_ascii(utf8_to_utf16(code), u"General") ? std::u16string() : utf8_to_utf16(code));
    }

    void print(const std::string& what)
    {
        if (what.empty())
            fail("print needs a cell, a range, =FORMULA or status");
        if (ascii_upper(what) == "STATUS") {
            emit(Value(host_.status_bar()));
            return;
        }
        if (ascii_upper(what) == "SCREEN UPDATING") {
            emit(Value(host_.screen_updating()));
            return;
        }
        if (print_sheet_detail(what))
            return;
        host_.calculate();
        if (what[0] == '=') {
            const std::string text = substitute(what, folder_);
            auto ast = formula(text);
            host_.evaluate_formulas({ast.get()}, [&](std::size_t, const Value& value) {
                emit_values(value, std::nullopt, is_printed_failure(value));
            });
            return;
        }
        auto ref = parse_range(what);
        if (!ref)
            fail("cannot print '" + what + "': expected a cell such as A1, a range such as A1:C4, =FORMULA or status");
        const Value value = host_.sheet().range_value(*ref, host_);
        emit_values(value, CellAddress{ref->first_row, ref->first_column}, range_failed(*ref, value));
    }

    // print formula|style|alignment CELL, print names, print selection: what macros leave beside
    // values. False when `what` asks for none of these.
    bool print_sheet_detail(const std::string& what)
    {
        static const char* const alignments[] = {"general", "left", "center", "right", "fill", "justify", "center across selection"};
        const auto parts = words(what);
        const std::string kind = ascii_upper(parts.front());
        Sheet& sheet = host_.sheet();
        if (parts.size() == 1 && kind == "NAMES") {
            const auto names = sheet.names();
            Array table(static_cast<int>(names.size()), 2);
            for (std::size_t i = 0; i < names.size(); ++i) {
                const Value& refers = names[i].second;
                table.set(static_cast<int>(i), 0, utf8_to_utf16(names[i].first));
                table.set(static_cast<int>(i), 1, refers.is_ref() ? Value(utf8_to_utf16(range_name(refers.ref()))) : refers);
            }
            emit(names.empty() ? Value(Nil{}) : Value(std::move(table)));
            return true;
        }
        if (parts.size() == 1 && kind == "SELECTION") {
            emit(Value(utf8_to_utf16(range_name(sheet.selection()) + " " + cell_name(sheet.active_cell()))));
            return true;
        }
        if (kind != "FORMULA" && kind != "STYLE" && kind != "ALIGNMENT")
            return false;
        const auto at = parts.size() == 2 ? parse_cell_address(parts[1]) : std::nullopt;
        if (!at)
            fail("print " + parts.front() + " needs one cell, such as A1");
        if (kind == "STYLE") {
            emit(Value(sheet.style(*at)));
        } else if (kind == "ALIGNMENT") {
            emit(Value(utf8_to_utf16(alignments[sheet.alignment(*at) - 1])));
        } else {
            host_.calculate();
            const auto formula = sheet.formula(*at);
            emit(formula ? Value(utf8_to_utf16(*formula)) : Value(display_text(sheet.value(*at, host_))));
        }
        return true;
    }

    void select(const std::string& range)
    {
        const auto ref = parse_range(range);
        if (!ref)
            fail("select needs a cell or a range, such as A1 or A1:B3, not '" + range + "'");
        host_.sheet().select(*ref);
    }

    void run(const std::string& macro)
    {
        if (macro.empty())
            fail("run needs a macro name");
        host_.calculate();
        try {
            host_.run_macro(macro);
        } catch (const UsageError& e) {
            fail(e.what());
        }
    }

    void advance(const std::string& seconds_text)
    {
        char* end = nullptr;
        const double seconds = std::strtod(seconds_text.c_str(), &end);
        if (seconds_text.empty() || *end != '\0' || !(seconds >= 0))
            fail("advance needs a number of seconds, not '" + seconds_text + "'");
        host_.calculate();
        host_.advance(seconds);
    }

    void alert(const std::string& answer)
    {
        const std::string a = ascii_upper(answer);
        if (a == "OK")
            host_.ui().queue_alert_answer(AlertAnswer::ok);
        else if (a == "CANCEL")
            host_.ui().queue_alert_answer(AlertAnswer::cancel);
        else
            fail("alert takes ok or cancel");
    }

    void dialog(const std::string& rest)
    {
        const auto parts = words(rest);
        if (parts.empty())
            fail("dialog takes cancel, or the chosen item's row followed by ROW=VALUE entries");
        DialogAnswer answer;
        if (ascii_upper(parts[0]) == "CANCEL") {
            if (parts.size() > 1)
                fail("dialog cancel takes nothing more");
            answer.cancel = true;
        } else {
            if (!parse_int(parts[0], answer.item) || answer.item < 0)
                fail("dialog: '" + parts[0] + "' is no item row number");
            for (std::size_t i = 1; i < parts.size(); ++i) {
                const auto eq = parts[i].find('=');
                int row = 0;
                if (eq == std::string::npos || !parse_int(parts[i].substr(0, eq), row) || row < 1)
                    fail("dialog: expected ROW=VALUE, not '" + parts[i] + "'");
                answer.values.emplace_back(row, utf8_to_utf16(substitute(parts[i].substr(eq + 1), folder_)));
            }
        }
        host_.ui().queue_dialog_answer(std::move(answer));
    }

    void now(const std::string& when)
    {
        auto serial = date_time_from_text(utf8_to_utf16(when));
        if (!serial)
            fail("now takes a time such as 2014-05-31 18:00:00, not '" + when + "'");
        host_.set_clock(*serial);
    }

    void key(const std::string& which)
    {
        if (which.empty())
            fail("key needs the key text, such as ^{F5}");
        host_.calculate();
        bool ran = false;
        try {
            ran = host_.press_key(which);
        } catch (const UsageError& e) {
            fail(e.what());
        }
        if (!ran)
            fail("no macro is bound to the key " + which);
    }

    // esc after SECONDS: Esc is pressed that much real time after this line, while the lines
    // after it calculate; nothing is calculated here, so the next line's query is still to run.
    void escape(const std::string& rest)
    {
        const auto parts = words(rest);
        char* end = nullptr;
        const double seconds = parts.size() == 2 ? std::strtod(parts[1].c_str(), &end) : -1;
        if (parts.size() != 2 || ascii_upper(parts[0]) != "AFTER" || *end != '\0' || !(seconds >= 0 && seconds <= 86400))
            fail("esc takes 'after SECONDS', such as esc after 1.5");
        press_escape_after(std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds)));
    }

    Host& host_;
    std::string name_;
    std::string folder_;
    std::ostream& out_;
    PrintOptions options_;
    std::vector<std::pair<Ref, std::u16string>> number_formats_; // in the order of their lines
    std::size_t failures_ = 0;
    std::size_t number_ = 0;
};

} // namespace

std::size_t run_sheet_script(Host& host, std::istream& script, const std::string& name, const std::string& folder,
                             std::ostream& out, const PrintOptions& options)
{
    ScriptRunner runner(host, name, folder, out, options);
    std::string raw;
    std::size_t number = 0;
    while (std::getline(script, raw))
        runner.line(raw, ++number);
    return runner.failures();
}

} // namespace zorvane::host
