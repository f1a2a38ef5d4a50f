#include "db/day_serial.h"

#include <cmath>

#include "db/civil_days.h"

namespace db {

namespace {

constexpr long long seconds_per_day = 86400;
constexpr long long last_serial = 2958465; // 9999-12-31
// The worksheet's TIME takes each of its parts as a 16-bit integer.
constexpr double time_part_max = 32767;
constexpr double time_part_min = -32768;

// The serial of day d of month m (1..12) of year y (1900..9999); d may run past the month.
long long day_serial(long long y, long long m, long long d)
{
    long long first = days_from_civil(y, m, 1) - days_from_civil(1899, 12, 31);
    if (first >= 60) // from 1900-03-01 on, the fictitious 29 February shifts every serial by one
        ++first;
    return first + d - 1;
}

// Days from 1 March to the first of month 1..12, in a year counted from March so that the leap
// day comes last and no month before it depends on the year.
constexpr unsigned days_since_march[] = {306, 337, 0, 31, 61, 92, 122, 153, 184, 214, 245, 275};

// day_serial of an existing day of the worksheet's years, as a result's million dates need it: in
// those years no count is negative, so the arithmetic is unsigned (divisions by constants become
// multiplications) and needs no 400-year era.
int existing_day_serial(unsigned y, unsigned m, unsigned d)
{
    const unsigned march_year = y - (m <= 2), centuries = march_year / 100;
    // 365 days a year and a leap day every fourth, less the centuries' but every fourth century's.
    const unsigned days = (march_year * 1461 >> 2) - centuries + (centuries >> 2) + days_since_march[m - 1] + d;
    // 693901 days take 1899-12-31 to serial 0; a March year from 1900 on begins after the
    // fictitious 29 February 1900.
    return static_cast<int>(days - 693901 + (march_year >= 1900));
}

// Whole seconds of the day (below a day's) and a fraction of a second, as a fraction of the day.
double day_fraction(long long seconds, double fraction)
{
    return (static_cast<double>(seconds) + fraction) / seconds_per_day;
}

} // namespace

double date_serial(double year, double month, double day)
{
    const double y = std::trunc(year), m = std::trunc(month), d = std::trunc(day);
    if (!(std::fabs(y) <= 1e6 && std::fabs(m) <= 1e6 && std::fabs(d) <= 1e8) || y < 0 || y > 9999)
        return 0;
    long long yy = static_cast<long long>(y);
    if (yy < 1900)
        yy += 1900;
    long long m0 = static_cast<long long>(m) - 1;
    const long long carry = m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
    yy += carry;
    m0 -= carry * 12;
    if (yy < 1900 || yy > 9999)
        return 0;
    const long long serial = day_serial(yy, m0 + 1, static_cast<long long>(d));
    if (serial < 0 || serial > last_serial)
        return 0;
    return static_cast<double>(serial);
}

double moment_serial(const Moment& m, bool with_day)
{
    // A moment read from a result is in range. Fields out of range (a caller's own) take the
    // general road, the time of day and the day each on its own: where either is in range, both
    // roads give it the same number.
    double t = 0;
    if (m.has_time) {
        if (is_clock_time(m.hour, m.minute, m.second)) {
            // The second is in [0, 60): truncation is its floor.
            const int whole = static_cast<int>(m.second);
            t = day_fraction(m.hour * 3600 + m.minute * 60 + whole, m.second - whole);
        }
        else
            t = time_serial(m.hour, m.minute, m.second);
    }
    if (!with_day)
        return t;
    if (!is_worksheet_day(m.year, m.month, m.day))
        return date_serial(m.year, m.month, m.day) + t;
    return static_cast<double>(existing_day_serial(m.year, m.month, m.day)) + t;
}

double time_serial(double hour, double minute, double second)
{
    const double h = std::trunc(hour), m = std::trunc(minute), s = second;
    if (!(h <= time_part_max && m <= time_part_max && s <= time_part_max && h >= time_part_min &&
          m >= time_part_min && s >= time_part_min))
        return 0;
    const double whole = std::floor(s);
    long long seconds =
        static_cast<long long>(h) * 3600 + static_cast<long long>(m) * 60 + static_cast<long long>(whole);
    if (seconds < 0)
        return 0;
    return day_fraction(seconds % seconds_per_day, s - whole);
}

} // namespace db
