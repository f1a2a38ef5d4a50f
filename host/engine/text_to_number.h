// How the spreadsheet reads text as a number (VALUE, arithmetic on text, "B" arguments):
// surrounding blanks, sign or parentheses, currency sign, thousands separators, decimal point,
// exponent, percent; and date and time texts, which become serial numbers.
#pragma once

#include <optional>
#include <string_view>

namespace zorvane::host {

std::optional<double> number_from_text(std::u16string_view text);

// Only the date/time forms: "2014-05-31", "2014/05/31", "5/31/2014", "31-May-2014",
// "May 31, 2014", optionally followed by a time; "18:00", "18:00:30.5", "6:00 PM".
std::optional<double> date_time_from_text(std::u16string_view text);

} // namespace zorvane::host
