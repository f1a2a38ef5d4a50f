// Number formats as TEXT(value, format) applies them: "General", digit placeholders 0 # ?,
// decimal point, thousands separator and scaling commas, percent, literal text ("..." and \x),
// up to three sections (positive;negative;zero), and date/time codes (yyyy yy m mm mmm mmmm
// d dd ddd dddd h hh m mm s ss AM/PM, and the elapsed [h] [mm] [ss]). Numbers round as ROUND does,
// on the 15-digit decimal they read as; a date rounds to the second as a whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvane::host {

// nullopt when the format cannot be applied (the spreadsheet's #VALUE!).
std::optional<std::u16string> format_number(double value, std::u16string_view format);

} // namespace zorvane::host
