#include "host/engine/date_serial.h"

#include <cmath>

namespace zorvane::host {

namespace {

// Days from the civil date to 1970-01-01 in the proleptic Gregorian calendar. The add-in has the
// same arithmetic for its own date serials; the host keeps a copy of its own on purpose, as with
// its text conversions, so that a fault on one side cannot hide behind the same fault on the other.
long long days_from_civil(long long y, long long m, long long d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civil_from_days(long long z, int& year, int& month, int& day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(yoe + era * 400 + (m <= 2));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

const long long epoch_1899_12_31 = days_from_civil(1899, 12, 31);

} // namespace

bool is_leap_year(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && is_leap_year(year))
        return 29;
    return days[month - 1];
}

std::optional<double> serial_from_date(int year, int month, int day)
{
    if (year < 0 || year > 9999)
        return std::nullopt;
    long long y = year < 1900 ? year + 1900LL : year;
    // Months outside 1..12 move whole years first.
    long long m0 = static_cast<long long>(month) - 1;
    y += m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
    m0 -= (m0 >= 0 ? m0 / 12 : -((11 - m0) / 12)) * 12;
    if (y < 1900 || y > 9999)
        return std::nullopt;
    long long first = days_from_civil(y, m0 + 1, 1) - epoch_1899_12_31;
    if (first >= 60) // from 1900-03-01 on, the fictitious 29 February shifts every serial by one
        ++first;
    const long long serial = first + day - 1;
    if (serial < 0 || serial > static_cast<long long>(max_date_serial))
        return std::nullopt;
    return static_cast<double>(serial);
}

std::optional<CivilDate> date_from_serial(double serial)
{
    if (!(serial >= 0.0) || serial >= max_date_serial + 1.0)
        return std::nullopt;
    const long long days = static_cast<long long>(std::floor(serial));
    if (days == 0)
        return CivilDate{1900, 1, 0};
    if (days == 60)
        return CivilDate{1900, 2, 29};
    CivilDate date;
    civil_from_days(epoch_1899_12_31 + (days > 60 ? days - 1 : days), date.year, date.month, date.day);
    return date;
}

std::optional<TimeOfDay> time_from_serial(double serial)
{
    if (!(serial >= 0.0) || serial >= max_date_serial + 1.0)
        return std::nullopt;
    const double fraction = serial - std::floor(serial);
    long long seconds = std::llround(fraction * seconds_per_day);
    seconds %= seconds_per_day;
    return TimeOfDay{static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60)};
}

double day_fraction(int hour, int minute, double second)
{
    const long long whole = static_cast<long long>(hour) * 3600 + static_cast<long long>(minute) * 60;
    return (static_cast<double>(whole) + second) / seconds_per_day;
}

} // namespace zorvane::host
