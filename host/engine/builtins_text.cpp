// TEXT, CONCATENATE, LEN, VALUE, SEARCH, FIND, LEFT, RIGHT, MID, REPT, TRIM, EXACT, UPPER, LOWER,
// SUBSTITUTE, TEXTJOIN, TEXTSPLIT.
#include "host/engine/builtin_args.h"
#include "host/engine/builtins.h"
#include "host/engine/number_format.h"
#include "host/engine/sheet_limits.h"
#include "host/engine/text_to_number.h"
#include "host/engine/utf.h"
#include "host/engine/wildcard.h"
#include "xll/xlcall.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zorvane::host {

namespace {

// Function numbers of the C interface that xlcall.h does not name.
constexpr int function_lower = 112;
constexpr int function_upper = 113;
constexpr int function_substitute = 120;

Value text_result(std::u16string text)
{
    if (text.size() > max_text_length)
        return ErrorCode::value;
    return text;
}

// A count argument such as LEFT's: truncated, negative is #VALUE!.
std::size_t count_arg(std::span<const Value> args, std::size_t i, double fallback)
{
    const double n = std::trunc(number_arg(args, i, fallback));
    if (n < 0)
        throw ArgumentError{ErrorCode::value};
    return n > 1e9 ? static_cast<std::size_t>(1e9) : static_cast<std::size_t>(n);
}

Value text_fn(EvalContext&, std::span<const Value> args)
{
    propagate_error(args[0]);
    const std::u16string format = text_arg(args, 1);
    auto number = to_number(args[0]);
    if (failed(number)) // text that is no number is shown as it is
        return text_arg(args, 0);
    auto text = format_number(std::get<double>(number), format);
    if (!text)
        return ErrorCode::value;
    return text_result(std::move(*text));
}

Value concatenate_fn(EvalContext&, std::span<const Value> args)
{
    std::u16string out;
    for (std::size_t i = 0; i < args.size(); ++i)
        out += text_arg(args, i);
    return text_result(std::move(out));
}

Value len_fn(EvalContext&, std::span<const Value> args)
{
    return static_cast<double>(text_arg(args, 0).size());
}

Value value_fn(EvalContext&, std::span<const Value> args)
{
    const Value& v = args[0];
    propagate_error(v);
    if (v.is_number())
        return v;
    if (v.is_nil() || v.is_missing())
        return 0.0;
    if (v.is_text())
        if (auto n = number_from_text(v.text()))
            return *n;
    return ErrorCode::value;
}

Value search_fn(EvalContext&, std::span<const Value> args)
{
    const std::u16string needle = text_arg(args, 0);
    const std::u16string haystack = text_arg(args, 1);
    const double start = std::trunc(number_arg(args, 2, 1));
    if (start < 1 || start > static_cast<double>(haystack.size()) + 1)
        return ErrorCode::value;
    const auto from = static_cast<std::size_t>(start) - 1;
    if (needle.empty())
        return start;
    for (std::size_t at = from; at < haystack.size(); ++at)
        if (wildcard_prefix_match(needle, haystack, at))
            return static_cast<double>(at + 1);
    return ErrorCode::value;
}

Value find_fn(EvalContext&, std::span<const Value> args)
{
    const std::u16string needle = text_arg(args, 0);
    const std::u16string haystack = text_arg(args, 1);
    const double start = std::trunc(number_arg(args, 2, 1));
    if (start < 1 || start > static_cast<double>(haystack.size()) + 1)
        return ErrorCode::value;
    const auto at = haystack.find(needle, static_cast<std::size_t>(start) - 1);
    if (at == std::u16string::npos)
        return ErrorCode::value;
    return static_cast<double>(at + 1);
}

Value left_fn(EvalContext&, std::span<const Value> args)
{
    const std::u16string text = text_arg(args, 0);
    return text.substr(0, count_arg(args, 1, 1));
}

Value right_fn(EvalContext&, std::span<const Value> args)
{
    const std::u16string text = text_arg(args, 0);
    const std::size_t n = std::min(count_arg(args, 1, 1), text.size());
    return text.substr(text.size() - n);
}

Value mid_fn(EvalContext&, std::span<const Value> args)
{
    const std::u16string text = text_arg(args, 0);
    const double start = std::trunc(number_arg(args, 1));
    if (start < 1)
        return ErrorCode::value;
    const std::size_t n = count_arg(args, 2, 0);
    if (start > static_cast<double>(text.size()))
        return std::u16string();
    return text.substr(static_cast<std::size_t>(start) - 1, n);
}

Value rept_fn(EvalContext&, std::span<const Value> args)
{
    const std::u16string text = text_arg(args, 0);
    const std::size_t n = count_arg(args, 1, 0);
    if (text.empty())
        return std::u16string(); // however many times: no loop of a billion empty appends
    if (n > max_text_length / text.size())
        return ErrorCode::value;
    std::u16string out;
    out.reserve(text.size() * n);
    for (std::size_t i = 0; i < n; ++i)
        out += text;
    return out;
}

Value trim_fn(EvalContext&, std::span<const Value> args)
{
    const std::u16string text = text_arg(args, 0);
    std::u16string out;
    for (char16_t c : text) {
        if (c == u' ' && (out.empty() || out.back() == u' '))
            continue;
        out.push_back(c);
    }
    if (!out.empty() && out.back() == u' ')
        out.pop_back();
    return out;
}

Value exact_fn(EvalContext&, std::span<const Value> args)
{
    return text_arg(args, 0) == text_arg(args, 1);
}

Value upper_fn(EvalContext&, std::span<const Value> args) { return fold_upper(text_arg(args, 0)); }
Value lower_fn(EvalContext&, std::span<const Value> args) { return fold_lower(text_arg(args, 0)); }

// SUBSTITUTE(text, old_text, new_text, [instance_num]): every occurrence, or only the n-th;
// case matters and there are no wildcards.
Value substitute_fn(EvalContext&, std::span<const Value> args)
{
    const std::u16string text = text_arg(args, 0);
    const std::u16string old_text = text_arg(args, 1);
    const std::u16string new_text = text_arg(args, 2);
    double instance = 0; // every one
    if (given(args, 3)) {
        instance = std::trunc(number_arg(args, 3));
        if (instance < 1)
            return ErrorCode::value;
    }
    if (old_text.empty())
        return text;
    std::u16string out;
    std::size_t from = 0;
    double seen = 0;
    for (auto at = text.find(old_text); at != std::u16string::npos; at = text.find(old_text, at + old_text.size())) {
        if (instance != 0 && ++seen != instance)
            continue;
        out.append(text, from, at - from);
        out += new_text;
        from = at + old_text.size();
        if (out.size() > max_text_length || instance != 0)
            break;
    }
    out.append(text, from, std::u16string::npos);
    return text_result(std::move(out));
}

// TEXTJOIN(delimiter, ignore_empty, text1, ...): ranges and arrays join row by row; a delimiter
// range or array is used item by item in turn.
Value textjoin_fn(EvalContext&, std::span<const Value> args)
{
    std::vector<std::u16string> delimiters;
    if (args[0].is_array()) {
        for (const auto& d : args[0].array())
            delimiters.push_back(text_value(d));
    } else {
        delimiters.push_back(text_value(args[0]));
    }
    const bool ignore_empty = bool_arg(args, 1);
    std::u16string out;
    std::size_t joined = 0;
    auto join = [&](const Value& v) {
        std::u16string item = text_value(v);
        if (ignore_empty && item.empty())
            return;
        if (joined > 0)
            out += delimiters[(joined - 1) % delimiters.size()];
        out += item;
        ++joined;
        if (out.size() > max_text_length)
            throw ArgumentError{ErrorCode::value};
    };
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i].is_array()) {
            for (const auto& cell : args[i].array())
                join(cell);
        } else {
            join(args[i]);
        }
    }
    return out;
}

// The delimiters of a TEXTSPLIT argument: one text, or each of an array (folded to capitals when
// case does not matter); none when omitted. An empty delimiter is #VALUE!.
std::vector<std::u16string> delimiters_arg(std::span<const Value> args, std::size_t i, bool any_case)
{
    std::vector<std::u16string> out;
    if (!given(args, i))
        return out;
    propagate_error(args[i]);
    for (const auto& d : as_array(args[i])) {
        std::u16string text = text_value(d);
        if (text.empty())
            throw ArgumentError{ErrorCode::value};
        out.push_back(any_case ? fold_upper(text) : std::move(text));
    }
    return out;
}

// The pieces of `text` between the delimiters met in `compared` (the text itself, or folded to
// capitals, of the same length); where several delimiters start at one place the longest counts.
std::vector<std::u16string> split_at(std::u16string_view text, std::u16string_view compared, const std::vector<std::u16string>& delimiters,
                                     bool ignore_empty)
{
    std::vector<std::u16string> pieces;
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        for (const auto& d : delimiters)
            if (d.size() > length && compared.substr(at, d.size()) == d)
                length = d.size();
        if (length == 0) {
            ++at;
            continue;
        }
        pieces.emplace_back(text.substr(start, at - start));
        at += length;
        start = at;
    }
    pieces.emplace_back(text.substr(start));
    if (ignore_empty)
        std::erase_if(pieces, [](const std::u16string& piece) { return piece.empty(); });
    return pieces;
}

// TEXTSPLIT(text, col_delimiter, [row_delimiter], [ignore_empty], [match_mode], [pad_with]): the
// text cut into rows at the row delimiters, each row into columns at the column delimiters; a
// delimiter may be an array of several. Short rows are padded with pad_with, #N/A unless given;
// match_mode 1 ignores case. The pieces stay texts.
Value textsplit_fn(EvalContext&, std::span<const Value> args)
{
    const std::u16string text = text_arg(args, 0);
    const bool ignore_empty = bool_arg(args, 3);
    const double mode = number_arg(args, 4);
    if (mode != 0 && mode != 1)
        return ErrorCode::value;
    const bool any_case = mode == 1;
    const auto columns_at = delimiters_arg(args, 1, any_case);
    const auto rows_at = delimiters_arg(args, 2, any_case);
    if (columns_at.empty() && rows_at.empty())
        return ErrorCode::value;
    auto compared = [&](const std::u16string& t) { return any_case ? fold_upper(t) : t; };
    std::vector<std::vector<std::u16string>> lines;
    std::size_t width = 0;
    for (const auto& line : split_at(text, compared(text), rows_at, ignore_empty)) {
        lines.push_back(split_at(line, compared(line), columns_at, ignore_empty));
        if (lines.back().empty())
            lines.pop_back();
        else
            width = std::max(width, lines.back().size());
    }
    if (lines.empty())
        return ErrorCode::calc;
    if (static_cast<double>(lines.size()) * static_cast<double>(width) > max_range_cells)
        return ErrorCode::num;
    const Value pad = given(args, 5) ? args[5] : Value(ErrorCode::na);
    Array out(static_cast<int>(lines.size()), static_cast<int>(width));
    for (std::size_t r = 0; r < lines.size(); ++r)
        for (std::size_t c = 0; c < width; ++c)
            out.set(static_cast<int>(r), static_cast<int>(c), c < lines[r].size() ? Value(std::move(lines[r][c])) : pad);
    return out;
}

const Builtin builtins[] = {
    {"TEXT", xlfText, 2, 2, "s", text_fn},
    {"CONCATENATE", xlfConcatenate, 1, max_builtin_args, "s", concatenate_fn},
    {"LEN", xlfLen, 1, 1, "s", len_fn},
    {"VALUE", xlfValue, 1, 1, "s", value_fn},
    {"SEARCH", xlfSearch, 2, 3, "s", search_fn},
    {"FIND", xlfFind, 2, 3, "s", find_fn},
    {"LEFT", xlfLeft, 1, 2, "s", left_fn},
    {"RIGHT", xlfRight, 1, 2, "s", right_fn},
    {"MID", xlfMid, 3, 3, "s", mid_fn},
    {"REPT", xlfRept, 2, 2, "s", rept_fn},
    {"TRIM", xlfTrim, 1, 1, "s", trim_fn},
    {"EXACT", xlfExact, 2, 2, "s", exact_fn},
    {"UPPER", function_upper, 1, 1, "s", upper_fn},
    {"LOWER", function_lower, 1, 1, "s", lower_fn},
    {"SUBSTITUTE", function_substitute, 3, 4, "s", substitute_fn},
    {"TEXTJOIN", formula_only, 3, max_builtin_args, "asa", textjoin_fn},
    {"TEXTSPLIT", formula_only, 2, 6, "saasss", textsplit_fn},
};

} // namespace

std::span<const Builtin> text_builtins()
{
    return builtins;
}

} // namespace zorvane::host
