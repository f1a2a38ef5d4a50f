// A number written the way the spreadsheet turns it into text (CONCATENATE, "&", General format
// in an unbounded column): at most 15 significant digits, no trailing zeros, and scientific
// notation "1.5E+20" / "1E-10" once the number leaves the range fixed notation reads well in.
#pragma once

#include <string>

namespace zorvane::host {

// Fixed notation for 1E-9 <= |x| < 1E+15 (after rounding to 15 digits), scientific otherwise.
std::string general_number_text(double x);

} // namespace zorvane::host
