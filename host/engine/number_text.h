// A number written the way the spreadsheet turns it into text (CONCATENATE, "&", General format
// in an unbounded column): at most 15 significant digits, no trailing zeros, and scientific
// notation "1.5E+20" / "1E-10" once the number leaves the range fixed notation reads well in.
#pragma once

#include <string>

namespace zorvane::host {

// Fixed notation for 1E-9 <= |x| < 1E+15 (after rounding to 15 digits), scientific otherwise.
std::string general_number_text(double x);

// The magnitude of x in fixed notation with `decimals` places ("1234.50"), rounded the way ROUND
// rounds; places past the 15 significant digits show as zeros, as the spreadsheet shows them.
std::string fixed_number_text(double x, int decimals);

// Which way the digits left out take the number: half away from zero (ROUND), away from zero
// (ROUNDUP) or toward it (ROUNDDOWN).
enum class Rounding { half_away_from_zero, away_from_zero, toward_zero };

// Rounding on the 15-significant-digit decimal the number reads as, so 1.005 (stored a little
// below it) rounds to 1.01 and ROUNDUP(1.1,1) stays 1.1. Negative digits round left of the point.
double round_decimal(double x, int digits, Rounding rounding = Rounding::half_away_from_zero);

} // namespace zorvane::host
