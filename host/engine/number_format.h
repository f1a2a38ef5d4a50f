// Number formats as TEXT(value, format) applies them: "General", digit placeholders 0 # ?,
// decimal point, thousands separator and scaling commas, percent, literal text ("..." and \x),
// up to three sections (positive;negative;zero), and date/time codes (yyyy yy m mm mmm mmmm
// d dd ddd dddd h hh m mm s ss AM/PM).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvane::host {

// nullopt when the format cannot be applied (the spreadsheet's #VALUE!).
std::optional<std::u16string> format_number(double value, std::u16string_view format);

} // namespace zorvane::host
