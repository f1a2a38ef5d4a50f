#include "host/engine/value.h"

#include <array>
#include <utility>

namespace zorvane::host {

Array::Array(int rows_, int columns_)
    : rows(rows_), columns(columns_), cells(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_))
{
}

Value& Array::at(int row, int column)
{
    return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(column)];
}

const Value& Array::at(int row, int column) const
{
    return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(column)];
}

bool Array::operator==(const Array& other) const
{
    return rows == other.rows && columns == other.columns && cells == other.cells;
}

namespace {
constexpr std::array<std::pair<ErrorCode, std::string_view>, 9> error_names{{
    {ErrorCode::null, "#NULL!"},
    {ErrorCode::div0, "#DIV/0!"},
    {ErrorCode::calc, "#CALC!"},
    {ErrorCode::value, "#VALUE!"},
    {ErrorCode::ref, "#REF!"},
    {ErrorCode::name, "#NAME?"},
    {ErrorCode::num, "#NUM!"},
    {ErrorCode::na, "#N/A"},
    {ErrorCode::getting_data, "#GETTING_DATA"},
}};
} // namespace

std::string_view error_name(ErrorCode code)
{
    for (const auto& [c, name] : error_names)
        if (c == code)
            return name;
    return "#VALUE!";
}

bool error_from_name(std::string_view name, ErrorCode& code)
{
    for (const auto& [c, n] : error_names) {
        if (n.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < n.size() && same; ++i) {
            char a = name[i];
            if (a >= 'a' && a <= 'z')
                a = static_cast<char>(a - 'a' + 'A');
            same = a == n[i];
        }
        if (same) {
            code = c;
            return true;
        }
    }
    return false;
}

bool is_known_error_code(int code)
{
    for (const auto& entry : error_names)
        if (static_cast<int>(entry.first) == code)
            return true;
    return false;
}

const Value& first_element(const Value& value)
{
    if (value.is_array() && !value.array().cells.empty())
        return value.array().cells.front();
    return value;
}

Value broadcast_element(const Value& v, int row, int column)
{
    if (!v.is_array())
        return v;
    const Array& a = v.array();
    const int r = a.rows == 1 ? 0 : row;
    const int c = a.columns == 1 ? 0 : column;
    if (r >= a.rows || c >= a.columns)
        return ErrorCode::na;
    return a.at(r, c);
}

} // namespace zorvane::host
