// Days of the proleptic Gregorian calendar, counted from 1970-01-01, for the date readers and the
// worksheet's DATE. The host keeps its own copy of this arithmetic on purpose: it judges our
// dates, so it must not share our faults.
#pragma once

namespace db {

// A year divisible by 100 is divisible by 400 when it is by 16: a test of bits, not a division.
constexpr bool leap_year(int y) { return y % 4 == 0 && (y % 100 != 0 || y % 16 == 0); }

// At namespace scope, the table is made once rather than on the stack at every call.
inline constexpr int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Month 1..12.
constexpr int days_in_month(int y, int m) { return m == 2 && leap_year(y) ? 29 : month_days[m - 1]; }

// Whether the fields are a day of the calendar. Every month has 28 days: the month's own length is
// looked up only past them, a table and a leap year spared for most days.
constexpr bool existing_day(int y, int m, int d)
{
    const unsigned day = static_cast<unsigned>(d) - 1u;
    return static_cast<unsigned>(m) - 1u < 12u && (day < 28u || day < static_cast<unsigned>(days_in_month(y, m)));
}

// The day count of a date (month 1..12, any day count that the month's first day reaches).
constexpr long long days_from_civil(long long y, long long m, long long d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct CivilDay {
    long long year = 0;
    int month = 0, day = 0;
};

// The date of a day count: the inverse of days_from_civil.
constexpr CivilDay civil_from_days(long long z)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {era * 400 + yoe + (m <= 2), m, d};
}

} // namespace db
