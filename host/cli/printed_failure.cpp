#include "host/cli/printed_failure.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "xll/failure_texts.h"

namespace zorvane::host {

namespace {

// The add-in's failure texts are ASCII, a cell's text UTF-16.
std::u16string utf16(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

bool has_failure_prefix(const Value& cell)
{
    if (!cell.is_text())
        return false;
    for (auto prefix : xll::failure_texts::prefixes)
        if (cell.text().starts_with(utf16(prefix)))
            return true;
    return false;
}

bool is_check_failure(std::u16string_view text)
{
    return text.starts_with(utf16(xll::failure_texts::check_start)) &&
           text.find(utf16(xll::failure_texts::check_condition)) != std::u16string_view::npos;
}

} // namespace

bool is_printed_failure(const Value& value)
{
    if (value.is_error() || has_failure_prefix(value))
        return true;
    if (value.is_text()) {
        // What a query gives as its whole value when a value it fetched could not be converted.
        for (auto text : xll::failure_texts::conversion_failures)
            if (value.text() == utf16(text))
                return true;
        return is_check_failure(value.text());
    }
    // zWebQuery tells "#No internet" in a column of one cell.
    if (!value.is_array() || value.array().empty() || !has_failure_prefix(value.array().front()))
        return false;
    const Array& cells = value.array();
    return std::all_of(std::next(cells.begin()), cells.end(), [](const CellView cell) {
        return cell.is_nil() || (cell.is_error() && cell.error() == ErrorCode::na) || (cell.is_text() && cell.text().empty());
    });
}

} // namespace zorvane::host
