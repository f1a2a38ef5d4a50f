#include "host/cli/printed_failure.h"

#include <algorithm>
#include <string_view>

namespace zorvane::host {

namespace {

// How the add-in's failure texts begin: "#SQL Error ..." with the driver's diagnostics, "#SQL
// Invalid Handle" and "#SQL Unknown Error"; "#No internet" from the web functions; "#Cancelled
// after N rows" when the user pressed Esc during a query.
constexpr std::u16string_view failure_prefixes[] = {u"#SQL", u"#No internet", u"#Cancelled"};

// What a query gives as its whole value when a value it fetched could not be converted.
constexpr std::u16string_view conversion_failures[] = {u"invalid string position", u"invalid stol argument",
                                                        u"stol argument out of range", u"invalid stod argument",
                                                        u"stod argument out of range"};

bool has_failure_prefix(const Value& cell)
{
    if (!cell.is_text())
        return false;
    for (auto prefix : failure_prefixes)
        if (cell.text().starts_with(prefix))
            return true;
    return false;
}

// A failed check of the add-in's framework: "file: ...\nline: ...\nfunction: ...\nensure: ...".
bool is_check_failure(std::u16string_view text)
{
    return text.starts_with(u"file: ") && text.find(u"\nensure: ") != std::u16string_view::npos;
}

} // namespace

bool is_printed_failure(const Value& value)
{
    if (value.is_error() || has_failure_prefix(value))
        return true;
    if (value.is_text()) {
        for (auto text : conversion_failures)
            if (value.text() == text)
                return true;
        return is_check_failure(value.text());
    }
    // zWebQuery tells "#No internet" in a column of one cell.
    if (!value.is_array() || value.array().cells.empty() || !has_failure_prefix(value.array().cells.front()))
        return false;
    const auto& cells = value.array().cells;
    return std::all_of(cells.begin() + 1, cells.end(), [](const Value& cell) {
        return cell.is_nil() || (cell.is_error() && cell.error() == ErrorCode::na) || (cell.is_text() && cell.text().empty());
    });
}

} // namespace zorvane::host
