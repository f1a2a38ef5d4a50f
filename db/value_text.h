// The texts drivers hand over for numbers, read strictly: a value either is exactly such a text or
// is not one at all, never a number made from the start of a text. Every value of a column is
// read as text and converted here, so a cell holds the nearest double of the database's own
// decimal text whatever C type a driver would have wrapped or truncated it to.
#pragma once

#include <optional>
#include <string_view>

namespace db {

// A decimal number as databases write one: an optional minus, digits without a leading zero
// (0 itself excepted), an optional fraction and an optional exponent ("-12", "0.5", "1.0e+308",
// "5e-324"). The nearest double, -0.0 kept; a magnitude past the doubles is infinite. Nothing
// else is a number: no blanks, no plus, no hexadecimal, no "12abc".
std::optional<double> decimal_number(std::string_view text);

// The spellings of NaN and the infinities: PostgreSQL's "NaN", "Infinity", "-Infinity", and
// SQLite's "Inf", "-Inf".
bool names_non_finite(std::string_view text);

// A number as MariaDB writes a ZEROFILL column's or a YEAR's: decimal_number's form after any
// number of leading zeros ("0000000005", "00000003.50", "0000").
std::optional<double> zero_padded_number(std::string_view text);

} // namespace db
