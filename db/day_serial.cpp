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
    // A moment read from a result is in range; anything else (a caller's own fields) takes the
    // general road.
    if (!in_worksheet_range(m)) {
        const double t = m.has_time ? time_serial(m.hour, m.minute, m.second) : 0;
        return with_day ? date_serial(m.year, m.month, m.day) + t : t;
    }
    double t = 0;
    if (m.has_time) {
        const double whole = std::floor(m.second);
        t = day_fraction(m.hour * 3600LL + m.minute * 60LL + static_cast<long long>(whole), m.second - whole);
    }
    return with_day ? static_cast<double>(day_serial(m.year, m.month, m.day)) + t : t;
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
