#include "host/output_format.h"

#include "host/number_text.h"
#include "host/utf.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace zorvane::host {

namespace {

// The text of a cell without any quoting.
std::string bare_text(const Value& v)
{
    if (v.is_number())
        return general_number_text(v.number());
    if (v.is_text())
        return utf16_to_utf8(v.text());
    if (v.is_bool())
        return v.boolean() ? "TRUE" : "FALSE";
    if (v.is_error())
        return std::string(error_name(v.error()));
    return std::string();
}

bool is_blank_char(char c)
{
    return c == ' ' || c == '\t';
}

Array rows_of(const Value& value)
{
    if (value.is_array())
        return value.array();
    Array single(1, 1);
    single.at(0, 0) = value;
    return single;
}

std::string format_csv(const Value& value)
{
    const Array a = rows_of(value);
    std::string out;
    for (int r = 0; r < a.rows; ++r) {
        for (int c = 0; c < a.columns; ++c) {
            if (c > 0)
                out += ',';
            out += csv_field(a.at(r, c));
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

std::string format_grid(const Value& value)
{
    if (!value.is_array())
        return bare_text(value) + '\n';
    const Array& a = value.array();
    std::vector<std::size_t> widths(static_cast<std::size_t>(a.columns), 0);
    for (int r = 0; r < a.rows; ++r)
        for (int c = 0; c < a.columns; ++c)
            widths[static_cast<std::size_t>(c)] = std::max(widths[static_cast<std::size_t>(c)], display_width(bare_text(a.at(r, c))));
    std::string out;
    for (int r = 0; r < a.rows; ++r) {
        std::string line;
        for (int c = 0; c < a.columns; ++c) {
            const Value& cell = a.at(r, c);
            const std::string text = bare_text(cell);
            const std::size_t pad = widths[static_cast<std::size_t>(c)] - display_width(text);
            if (c > 0)
                line += "  ";
            if (cell.is_number())
                line += std::string(pad, ' ') + text;
            else
                line += text + std::string(pad, ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + '\n';
    }
    return out;
}

} // namespace

std::string csv_field(const Value& value)
{
    const std::string text = bare_text(value);
    if (!value.is_text())
        return text;
    const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                       (!text.empty() && (is_blank_char(text.front()) || is_blank_char(text.back())));
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

std::string json_value(const Value& value)
{
    if (value.is_array()) {
        const Array& a = value.array();
        std::string out = "[";
        for (int r = 0; r < a.rows; ++r) {
            out += r > 0 ? ",[" : "[";
            for (int c = 0; c < a.columns; ++c) {
                if (c > 0)
                    out += ',';
                out += json_value(a.at(r, c));
            }
            out += ']';
        }
        return out + ']';
    }
    if (value.is_number())
        return general_number_text(value.number());
    if (value.is_text())
        return json_string(utf16_to_utf8(value.text()));
    if (value.is_bool())
        return value.boolean() ? "true" : "false";
    if (value.is_error())
        return "{\"error\":" + json_string(std::string(error_name(value.error()))) + "}";
    return "null";
}

std::string format_value(const Value& value, OutputFormat format)
{
    switch (format) {
    case OutputFormat::csv:
        return format_csv(value);
    case OutputFormat::json:
        return json_value(value) + '\n';
    case OutputFormat::grid:
        break;
    }
    return format_grid(value);
}

} // namespace zorvane::host
