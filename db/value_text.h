// The texts drivers hand over for numbers, dates and times, read strictly: a value either is
// exactly such a text or is not one at all, never a number made from the start of a text. Every
// value of a column is read as text and converted here, so a cell holds the nearest double of the
// database's own decimal text whatever C type a driver would have wrapped or truncated it to.
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

struct CivilDate {
    int year = 0, month = 0, day = 0;
};

struct ClockTime {
    int hour = 0, minute = 0;
    double second = 0; // with its fraction
};

// "YYYY-MM-DD" of an existing day of the proleptic Gregorian calendar; the rest of the text (a
// time, a zone) is left in rest.
std::optional<CivilDate> leading_date(std::string_view text, std::string_view& rest);

// "HH:MM" or "HH:MM:SS" with an optional fraction of any length, the hours from 0 to 23: a time
// of day.
std::optional<ClockTime> clock_time(std::string_view text);

// Whether the worksheet's date numbers reach the day: 1900-01-01 to 9999-12-31. Before or after,
// DATE would give another day's number (years below 1900 count from 1900).
bool in_worksheet_calendar(int year);

} // namespace db
