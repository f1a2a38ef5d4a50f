#include "db/query_parameters.h"

#include <charconv>
#include <cmath>
#include <string>

#include "db/limits.h"
#include "db/sql_error.h"
#include "xll/text.h"

namespace db {

namespace {

xll::xstring parameter_prefix(size_t position)
{
    xll::xstring text = XLL_T("#SQL Parameter ");
    text += xll::widen_text(std::to_string(position));
    return text;
}

std::string_view error_name(int code)
{
    switch (code) {
    case xlerrNull: return "#NULL!";
    case xlerrDiv0: return "#DIV/0!";
    case xlerrValue: return "#VALUE!";
    case xlerrRef: return "#REF!";
    case xlerrName: return "#NAME?";
    case xlerrNum: return "#NUM!";
    case xlerrNA: return "#N/A";
    case xlerrGettingData: return "#GETTING_DATA";
    default: return "an error value";
    }
}

// Whole numbers bind as integers: a key, a count or a LIMIT is an integer to the database, and a
// double would arrive as 42.0 (kept so in a text column, refused by LIMIT on some servers).
bool fits_integer(double x)
{
    return std::isfinite(x) && std::trunc(x) == x && x >= -9223372036854775808.0 && x < 9223372036854775808.0;
}

QueryParameter number_parameter(double x)
{
    QueryParameter p;
    if (fits_integer(x)) {
        p.kind = QueryParameter::Kind::integer;
        p.integer = static_cast<std::int64_t>(x);
    }
    else {
        p.kind = QueryParameter::Kind::number;
        p.number = x;
    }
    return p;
}

QueryParameter cell_parameter(const XLOPER12& cell, size_t position)
{
    QueryParameter p;
    switch (xll::base_type(cell.xltype)) {
    case xltypeNil:
    case xltypeMissing: return p;
    case xltypeBool:
        p.kind = QueryParameter::Kind::boolean;
        p.flag = cell.val.xbool != 0;
        return p;
    case xltypeNum: return number_parameter(cell.val.num);
    case xltypeInt: return number_parameter(cell.val.w);
    case xltypeStr: {
        const size_t length = xll::string_length(cell);
        if (length > max_parameter_text) {
            xll::xstring text = parameter_prefix(position);
            text += xll::widen_text(" is too long: " + std::to_string(length) + " characters, at most " +
                                    std::to_string(max_parameter_text));
            throw SqlError(text);
        }
        p.kind = QueryParameter::Kind::text;
        p.text.assign(cell.val.str + 1, length);
        return p;
    }
    case xltypeErr: {
        xll::xstring text = parameter_prefix(position);
        text += XLL_T(" is the error value ");
        text += xll::widen_text(error_name(cell.val.err));
        throw SqlError(text);
    }
    default: {
        xll::xstring text = parameter_prefix(position);
        text += XLL_T(" is not a value a cell holds");
        throw SqlError(text);
    }
    }
}

} // namespace

QueryParameters read_parameters(const XLOPER12& value)
{
    QueryParameters parameters;
    switch (xll::base_type(value.xltype)) {
    case xltypeMissing: return parameters;
    case xltypeMulti: {
        // The host's arrays are stored row by row: their order is the markers' order.
        const size_t n = xll::size(value);
        parameters.reserve(n);
        for (size_t i = 0; i < n; ++i)
            parameters.push_back(cell_parameter(value.val.array.lparray[i], i + 1));
        return parameters;
    }
    default: parameters.push_back(cell_parameter(value, 1)); return parameters;
    }
}

xll::xstring parameter_count_text(size_t markers, size_t values)
{
    xll::xstring text = XLL_T("#SQL Parameters: the statement has ");
    text += xll::widen_text(std::to_string(markers) + (markers == 1 ? " ? marker, " : " ? markers, "));
    text += xll::widen_text(std::to_string(values) + (values == 1 ? " value was given" : " values were given"));
    return text;
}

xll::xstring parameters_shown(const QueryParameters& parameters)
{
    xll::xstring shown = XLL_T(" -- parameters: ");
    if (parameters.empty())
        shown += XLL_T("(none)");
    for (size_t i = 0; i < parameters.size(); ++i) {
        const QueryParameter& p = parameters[i];
        if (i > 0)
            shown += XLL_T(", ");
        switch (p.kind) {
        case QueryParameter::Kind::null: shown += XLL_T("NULL"); break;
        case QueryParameter::Kind::boolean: shown += (p.flag ? XLL_T("TRUE") : XLL_T("FALSE")); break;
        case QueryParameter::Kind::integer: shown += xll::widen_text(std::to_string(p.integer)); break;
        case QueryParameter::Kind::number: {
            // The shortest text that reads back as the same double: two entries never look alike.
            char digits[32];
            auto end = std::to_chars(digits, digits + sizeof digits, p.number).ptr;
            shown += xll::widen_text(std::string_view(digits, static_cast<size_t>(end - digits)));
            break;
        }
        case QueryParameter::Kind::text:
            shown += XCHAR('"');
            for (XCHAR c : p.text) {
                if (c == '"')
                    shown += XCHAR('"');
                shown += c;
            }
            shown += XCHAR('"');
            break;
        }
    }
    return shown;
}

double parameters_size(const QueryParameters& parameters)
{
    double size = 0;
    for (const auto& p : parameters)
        size += p.kind == QueryParameter::Kind::text ? static_cast<double>(p.text.size()) : 8;
    return size;
}

} // namespace db
