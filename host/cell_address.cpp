#include "host/cell_address.h"

#include <algorithm>

namespace zorvane::host {

std::optional<CellAddress> parse_cell_address(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && text[i] == '$')
        ++i;
    long long column = 0;
    const std::size_t letters_start = i;
    while (i < text.size() && ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z'))) {
        const char c = static_cast<char>(text[i] & ~0x20);
        column = column * 26 + (c - 'A' + 1);
        if (column > max_columns)
            return std::nullopt;
        ++i;
    }
    if (i == letters_start || i - letters_start > 3)
        return std::nullopt;
    if (i < text.size() && text[i] == '$')
        ++i;
    long long row = 0;
    const std::size_t digits_start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        row = row * 10 + (text[i] - '0');
        if (row > max_rows)
            return std::nullopt;
        ++i;
    }
    if (i == digits_start || i != text.size() || row < 1 || text[digits_start] == '0')
        return std::nullopt;
    return CellAddress{static_cast<int>(row - 1), static_cast<int>(column - 1)};
}

std::optional<Ref> parse_range(std::string_view text)
{
    const auto colon = text.find(':');
    const auto first = parse_cell_address(text.substr(0, colon));
    if (!first)
        return std::nullopt;
    auto last = first;
    if (colon != std::string_view::npos) {
        last = parse_cell_address(text.substr(colon + 1));
        if (!last)
            return std::nullopt;
    }
    return Ref{std::min(first->row, last->row), std::min(first->column, last->column), std::max(first->row, last->row),
               std::max(first->column, last->column)};
}

std::string column_name(int column)
{
    std::string name;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (c - 1) % 26));
    return name;
}

std::string cell_name(CellAddress address)
{
    return column_name(address.column) + std::to_string(address.row + 1);
}

std::string range_name(const Ref& ref)
{
    std::string name = cell_name({ref.first_row, ref.first_column});
    if (ref.rows() > 1 || ref.columns() > 1)
        name += ":" + cell_name({ref.last_row, ref.last_column});
    return name;
}

} // namespace zorvane::host
