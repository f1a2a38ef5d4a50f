// The texts drivers hand over for dates, times of day and time stamps, read strictly: a text is
// one of these forms from its first character to its last, or it is no date at all. Every field
// is checked against its range before anything counts with it, so no calendar arithmetic ever
// sees month 13, day 0, hour 24 or second 60, and nothing is read from a fixed position of a text
// that does not have the form.
#pragma once

#include <optional>
#include <string_view>

#include "db/civil_days.h"

namespace db {

// A day, a time of day, or both. A day exists in its month of the proleptic Gregorian calendar;
// hours run 0-23, minutes and seconds 0-59.
struct Moment {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0;
    double second = 0; // with all its fraction
    bool has_day = false;
    bool has_time = false;
};

// The forms database servers write: "YYYY-MM-DD", "HH:MM" or "HH:MM:SS" with an optional
// fraction of any length, or a day and a time joined by one blank or a T. With zone_offset, a
// time stamp may end in PostgreSQL's offset from UTC ("+01", "-05:30", "+05:21:10"), which is
// left out: the time is the wall time written, as this reader has always taken it.
std::optional<Moment> server_moment(std::string_view text, bool zone_offset = false);

// "HH:MM" or "HH:MM:SS[.f...]" at the start of text, hours from 0 to max_hour; the rest of the
// text is left in rest. Minutes and seconds run 0-59.
std::optional<Moment> leading_clock_time(std::string_view text, int max_hour, std::string_view& rest);

// "YYYY-MM-DD" of an existing day at the start of text; the rest is left in rest.
std::optional<Moment> leading_day(std::string_view text, std::string_view& rest);

// Whether the worksheet's date numbers reach the year: 1900-01-01 to 9999-12-31. Before or after,
// DATE would give another day's number (years below 1900 count from 1900).
inline bool in_worksheet_calendar(int year) { return static_cast<unsigned>(year) - 1900u <= 8099u; }
// Whether the fields are an existing day of those years, and whether they are a time of day (hours
// 0-23, minutes 0-59, seconds below 60): what a reader produces and a date number needs no checks
// for. Every date of a result is checked here, so each integer range is one unsigned comparison.
inline bool is_worksheet_day(int year, int month, int day)
{
    return in_worksheet_calendar(year) && existing_day(year, month, day);
}
inline bool is_clock_time(int hour, int minute, double second)
{
    return static_cast<unsigned>(hour) < 24u && static_cast<unsigned>(minute) < 60u && second >= 0 && second < 60;
}

} // namespace db
