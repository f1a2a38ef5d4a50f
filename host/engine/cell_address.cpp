#include "host/engine/cell_address.h"

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

namespace {

// One axis of an R1C1 cell after its letter: "[n]" relative, "n" absolute (1-based), nothing for
// the base's own row or column. Advances i past what it reads.
std::optional<int> r1c1_axis(std::string_view text, std::size_t& i, int base, int count)
{
    long long value = base;
    if (i < text.size() && text[i] == '[') {
        ++i;
        const bool negative = i < text.size() && text[i] == '-';
        if (negative)
            ++i;
        long long offset = 0;
        const std::size_t digits_start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && offset <= count)
            offset = offset * 10 + (text[i++] - '0');
        if (i == digits_start || i >= text.size() || text[i] != ']')
            return std::nullopt;
        ++i;
        value = base + (negative ? -offset : offset);
    } else if (i < text.size() && text[i] >= '1' && text[i] <= '9') {
        long long number = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && number <= count)
            number = number * 10 + (text[i++] - '0');
        value = number - 1;
    }
    if (value < 0 || value >= count)
        return std::nullopt;
    return static_cast<int>(value);
}

std::string r1c1_axis_text(char letter, int at, int base)
{
    std::string text(1, letter);
    if (at != base)
        text += "[" + std::to_string(at - base) + "]";
    return text;
}

} // namespace

std::optional<CellAddress> parse_r1c1_cell(std::string_view text, CellAddress base)
{
    std::size_t i = 0;
    if (i >= text.size() || (text[i] != 'R' && text[i] != 'r'))
        return std::nullopt;
    ++i;
    const auto row = r1c1_axis(text, i, base.row, max_rows);
    if (!row || i >= text.size() || (text[i] != 'C' && text[i] != 'c'))
        return std::nullopt;
    ++i;
    const auto column = r1c1_axis(text, i, base.column, max_columns);
    if (!column || i != text.size())
        return std::nullopt;
    return CellAddress{*row, *column};
}

std::optional<Ref> parse_r1c1_range(std::string_view text, CellAddress base)
{
    const auto colon = text.find(':');
    const auto first = parse_r1c1_cell(text.substr(0, colon), base);
    if (!first)
        return std::nullopt;
    auto last = first;
    if (colon != std::string_view::npos) {
        last = parse_r1c1_cell(text.substr(colon + 1), base);
        if (!last)
            return std::nullopt;
    }
    return Ref{std::min(first->row, last->row), std::min(first->column, last->column), std::max(first->row, last->row),
               std::max(first->column, last->column)};
}

std::string relative_reference_text(const Ref& ref, CellAddress base)
{
    std::string text = r1c1_axis_text('R', ref.first_row, base.row) + r1c1_axis_text('C', ref.first_column, base.column);
    if (ref.rows() > 1 || ref.columns() > 1)
        text += ":" + r1c1_axis_text('R', ref.last_row, base.row) + r1c1_axis_text('C', ref.last_column, base.column);
    return text;
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
