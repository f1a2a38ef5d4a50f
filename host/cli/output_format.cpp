#include "host/cli/output_format.h"

#include "host/engine/number_format.h"
#include "host/engine/number_text.h"
#include "host/engine/utf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>
#include <vector>

namespace zorvane::host {

namespace {

// A cell as it is shown: its kind decides alignment, quoting and the JSON type.
struct Shown {
    enum class Kind { blank, number, text, boolean, error } kind = Kind::blank;
    std::string text;
    bool formatted = false; // a number shown through a number format
    double number = 0;      // of a number: the cell's own double, which JSON gives exactly
};

// The cell at (row, column) of the block; its number format is looked up for a number only.
Shown shown(const Value& v, const NumberFormatAt& number_format, int row, int column)
{
    if (v.is_number()) {
        // No JSON reader, and no spreadsheet, takes infinity or NaN for a number.
        if (!std::isfinite(v.number()))
            return {Shown::Kind::error, std::string(error_name(ErrorCode::num)), false};
        if (const std::u16string code = number_format ? number_format(row, column) : std::u16string(); !code.empty()) {
            if (auto text = format_number(v.number(), code))
                return {Shown::Kind::number, utf16_to_utf8(*text), true, v.number()};
        }
        return {Shown::Kind::number, general_number_text(v.number()), false, v.number()};
    }
    if (v.is_text())
        return {Shown::Kind::text, utf16_to_utf8(v.text()), false};
    if (v.is_bool())
        return {Shown::Kind::boolean, v.boolean() ? "TRUE" : "FALSE", false};
    if (v.is_error())
        return {Shown::Kind::error, std::string(error_name(v.error())), false};
    return {};
}

// Every cell of the value as shown; a value that is no array is a block of one cell.
class ShownBlock {
public:
    ShownBlock(const Value& value, const NumberFormatAt& number_format)
    {
        if (!value.is_array()) {
            rows_ = columns_ = 1;
            cells_.push_back(shown(value, number_format, 0, 0));
            return;
        }
        const Array& a = value.array();
        rows_ = a.rows;
        columns_ = a.columns;
        cells_.reserve(a.size());
        for (int r = 0; r < a.rows; ++r)
            for (int c = 0; c < a.columns; ++c)
                cells_.push_back(shown(a.at(r, c), number_format, r, c));
    }
    int rows() const { return rows_; }
    int columns() const { return columns_; }
    const Shown& at(int r, int c) const { return cells_[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(c)]; }

private:
    int rows_ = 0;
    int columns_ = 0;
    std::vector<Shown> cells_;
};

bool is_blank_char(char c)
{
    return c == ' ' || c == '\t';
}

std::string csv_text(const Shown& cell)
{
    const std::string& text = cell.text;
    // Text, and a formatted number such as 1,234.50, may need quotes; other kinds never do.
    const bool may_quote = cell.kind == Shown::Kind::text || cell.formatted;
    const bool quote = may_quote && (text.find_first_of(",\"\r\n") != std::string::npos ||
                                     (!text.empty() && (is_blank_char(text.front()) || is_blank_char(text.back()))));
    if (!quote)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::string format_csv(const ShownBlock& block)
{
    std::string out;
    for (int r = 0; r < block.rows(); ++r) {
        for (int c = 0; c < block.columns(); ++c) {
            if (c > 0)
                out += ',';
            out += csv_text(block.at(r, c));
        }
        out += '\n';
    }
    return out;
}

// Width in characters of UTF-8 text (code points), for alignment.
std::size_t display_width(const std::string& s)
{
    return static_cast<std::size_t>(std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string format_grid(const ShownBlock& block, bool is_array)
{
    if (!is_array)
        return block.at(0, 0).text + '\n';
    std::vector<std::size_t> widths(static_cast<std::size_t>(block.columns()), 0);
    for (int r = 0; r < block.rows(); ++r)
        for (int c = 0; c < block.columns(); ++c)
            widths[static_cast<std::size_t>(c)] = std::max(widths[static_cast<std::size_t>(c)], display_width(block.at(r, c).text));
    std::string out;
    for (int r = 0; r < block.rows(); ++r) {
        std::string line;
        for (int c = 0; c < block.columns(); ++c) {
            const Shown& cell = block.at(r, c);
            const std::size_t pad = widths[static_cast<std::size_t>(c)] - display_width(cell.text);
            if (c > 0)
                line += "  ";
            if (cell.kind == Shown::Kind::number)
                line += std::string(pad, ' ') + cell.text;
            else
                line += cell.text + std::string(pad, ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + '\n';
    }
    return out;
}

// JSON is read by programs, not people: the shortest text that reads back as exactly the cell's
// double, where the General format's 15 digits would hand them another number (9007199254740992
// would read back as ...990, the largest double as infinity).
std::string json_number(double x)
{
    if (x == 0)
        return "0"; // also -0, as every other output shows it
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, x);
    return std::string(buffer, written.ptr);
}

// In records, #N/A is null: it is how a NULL of a number or date column arrives, and the padding
// below a short result, which the host cannot tell from rows of NULLs.
enum class NotAvailable { error, null };

std::string json_cell(const Shown& cell, NotAvailable not_available = NotAvailable::error)
{
    switch (cell.kind) {
    case Shown::Kind::number:
        return cell.formatted ? json_string(cell.text) : json_number(cell.number);
    case Shown::Kind::text:
        return json_string(cell.text);
    case Shown::Kind::boolean:
        return cell.text == "TRUE" ? "true" : "false";
    case Shown::Kind::error:
        if (not_available == NotAvailable::null && cell.text == error_name(ErrorCode::na))
            break;
        return "{\"error\":" + json_string(cell.text) + "}";
    case Shown::Kind::blank:
        break;
    }
    return "null";
}

std::string json_rows(const ShownBlock& block)
{
    std::string out = "[";
    for (int r = 0; r < block.rows(); ++r) {
        out += r > 0 ? ",[" : "[";
        for (int c = 0; c < block.columns(); ++c) {
            if (c > 0)
                out += ',';
            out += json_cell(block.at(r, c));
        }
        out += ']';
    }
    return out + ']';
}

// The keys of records: the first row as shown; an empty heading is named by its column. A
// heading met again gets _2, _3, ... so that no key hides another, never taking the name of
// another column's own heading.
std::vector<std::string> record_keys(const ShownBlock& block)
{
    std::vector<std::string> keys;
    std::set<std::string> taken;
    std::vector<bool> repeated;
    for (int c = 0; c < block.columns(); ++c) {
        keys.push_back(block.at(0, c).text.empty() ? "column_" + std::to_string(c + 1) : block.at(0, c).text);
        repeated.push_back(!taken.insert(keys.back()).second);
    }
    for (std::size_t c = 0; c < keys.size(); ++c) {
        if (!repeated[c])
            continue;
        const std::string heading = keys[c];
        for (int n = 2; taken.count(keys[c]); ++n)
            keys[c] = heading + "_" + std::to_string(n);
        taken.insert(keys[c]);
    }
    return keys;
}

std::string json_records(const ShownBlock& block)
{
    if (block.rows() == 0)
        return "[]";
    const std::vector<std::string> keys = record_keys(block);
    // Every row is a record: a row of NULLs looks like the padding below a short result, and
    // leaving out what might be padding would drop rows the database returned.
    std::string out = "[";
    for (int r = 1; r < block.rows(); ++r) {
        out += r > 1 ? ",{" : "{";
        for (int c = 0; c < block.columns(); ++c) {
            if (c > 0)
                out += ',';
            out += json_string(keys[static_cast<std::size_t>(c)]) + ":" + json_cell(block.at(r, c), NotAvailable::null);
        }
        out += '}';
    }
    return out + ']';
}

} // namespace

std::string csv_field(const Value& value)
{
    return csv_text(shown(value, {}, 0, 0));
}

std::string json_string(const std::string& utf8)
{
    std::string out = "\"";
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    return out + '"';
}

std::string json_value(const Value& value, bool records, const NumberFormatAt& number_format)
{
    const ShownBlock block(value, number_format);
    if (!value.is_array())
        return json_cell(block.at(0, 0));
    return records ? json_records(block) : json_rows(block);
}

std::string format_value(const Value& value, OutputFormat format, const NumberFormatAt& number_format)
{
    switch (format) {
    case OutputFormat::csv:
        return format_csv(ShownBlock(value, number_format));
    case OutputFormat::json:
    case OutputFormat::json_records:
        return json_value(value, format == OutputFormat::json_records, number_format) + '\n';
    case OutputFormat::grid:
        break;
    }
    return format_grid(ShownBlock(value, number_format), value.is_array());
}

} // namespace zorvane::host
