// Date numbers of the 1900 date system: serial 1 is 1900-01-01, serial 60 is the 29 February 1900
// that the spreadsheet has always counted, and the fraction is the time of day.
#pragma once

#include <optional>

namespace zorvane::host {

inline constexpr double max_date_serial = 2958465.0; // 9999-12-31
inline constexpr int seconds_per_day = 86400;

struct CivilDate {
    int year = 1900;
    int month = 1;
    int day = 0;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// DATE(year, month, day) with the spreadsheet's normalisation: years 0..1899 count from 1900,
// months and days overflow into the next year or month. nullopt for dates before serial 0 or
// after 9999-12-31.
std::optional<double> serial_from_date(int year, int month, int day);

// The date part of a serial (its whole days); serial 0 is "1900-01-00". nullopt when out of range.
std::optional<CivilDate> date_from_serial(double serial);

// The time of day of a serial, rounded to the nearest second.
std::optional<TimeOfDay> time_from_serial(double serial);

// Seconds since the start of the day, as the fraction of a day, computed in whole seconds so that
// 18:00 is exactly 0.75.
double day_fraction(int hour, int minute, double second);

bool is_leap_year(int year);
int days_in_month(int year, int month);

} // namespace zorvane::host
