#include "db/sqlite_time_text.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "db/civil_days.h"

namespace db {

namespace {

constexpr long long ms_per_day = 86400000;
// Julian day 0 in milliseconds before 1970-01-01, and the first julian day SQLite refuses
// (10000-01-01).
constexpr long long julian_epoch_ms = 2440587LL * ms_per_day + ms_per_day / 2;
constexpr double julian_end = 5373484.5;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
// SQLite's blanks: space, tab, and the line and page breaks.
bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view skip_spaces(std::string_view s)
{
    while (!s.empty() && is_space(s.front()))
        s.remove_prefix(1);
    return s;
}

// The seconds as SQLite takes them: whole seconds plus the digits of the fraction summed as a
// double and scaled, so that the millisecond rounds as SQLite's does.
double sqlite_seconds(std::string_view text)
{
    double seconds = (text[6] - '0') * 10 + (text[7] - '0');
    if (text.size() > 9 && text[8] == '.') {
        double fraction = 0, scale = 1;
        for (size_t i = 9; i < text.size() && is_digit(text[i]); ++i) {
            fraction = fraction * 10 + (text[i] - '0');
            scale *= 10;
        }
        seconds += fraction / scale;
    }
    return seconds;
}

// An offset from UTC after a time of day, in minutes east, with the blanks SQLite allows around
// it; false when the rest is anything else.
bool zone_minutes(std::string_view rest, int& minutes)
{
    rest = skip_spaces(rest);
    minutes = 0;
    if (!rest.empty() && (rest[0] == 'Z' || rest[0] == 'z'))
        rest.remove_prefix(1);
    else if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
        const int sign = rest[0] == '-' ? -1 : 1;
        std::string_view offset;
        auto t = leading_clock_time(rest.substr(1), 14, offset);
        if (!t || offset.size() + 6 != rest.size()) // HH:MM, no seconds
            return false;
        minutes = sign * (t->hour * 60 + t->minute);
        rest = offset;
    }
    return skip_spaces(rest).empty();
}

// A number as SQLite's text-to-real conversion takes a whole text: blanks around it, a sign, digits
// with a point anywhere among them, an exponent.
std::optional<double> sqlite_real(std::string_view text)
{
    text = skip_spaces(text);
    while (!text.empty() && is_space(text.back()))
        text.remove_suffix(1);
    std::string digits(text.substr(!text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0));
    size_t i = 0, mantissa = 0;
    for (; i < digits.size() && is_digit(digits[i]); ++i)
        ++mantissa;
    if (i < digits.size() && digits[i] == '.')
        for (++i; i < digits.size() && is_digit(digits[i]); ++i)
            ++mantissa;
    if (mantissa == 0)
        return std::nullopt;
    if (i < digits.size() && (digits[i] == 'e' || digits[i] == 'E')) {
        size_t e = ++i;
        if (i < digits.size() && (digits[i] == '+' || digits[i] == '-'))
            e = ++i;
        while (i < digits.size() && is_digit(digits[i]))
            ++i;
        if (i == e)
            return std::nullopt;
    }
    if (i != digits.size())
        return std::nullopt;
    const double value = std::strtod(digits.c_str(), nullptr);
    return text[0] == '-' ? -value : value;
}

Moment moment_of(long long ms_since_1970)
{
    const long long days = ms_since_1970 >= 0 ? ms_since_1970 / ms_per_day : -((ms_per_day - 1 - ms_since_1970) / ms_per_day);
    const long long in_day = ms_since_1970 - days * ms_per_day;
    const CivilDay d = civil_from_days(days);
    Moment m;
    m.year = static_cast<int>(d.year);
    m.month = d.month;
    m.day = d.day;
    m.hour = static_cast<int>(in_day / 3600000);
    m.minute = static_cast<int>(in_day / 60000 % 60);
    // The whole seconds and the milliseconds as one decimal: the double nearest "SS.fff".
    m.second = static_cast<double>(in_day % 60000) / 1000.0;
    m.has_day = m.has_time = true;
    return m;
}

// "YYYY-MM-DD" and "YYYY-MM-DD HH:MM:SS" (or with a T), the forms SQLite's own date functions
// write and nearly every stored date, read at once: the same fields as the full reading below
// gives them, where it moves nothing. Anything else (an hour of 24 among it) is left to it.
std::optional<Moment> written_by_sqlite(std::string_view text)
{
    if (text.size() != 10 && text.size() != 19)
        return std::nullopt;
    std::string_view rest;
    std::optional<Moment> m = leading_day(text, rest);
    if (!m || rest.empty())
        return m;
    // A blank or a T, then a whole time of day; an hour of 24 moves the day, so the full reading
    // takes it.
    std::string_view after;
    std::optional<Moment> t = leading_clock_time(rest.substr(1), 23, after);
    if ((rest[0] != ' ' && rest[0] != 'T') || !t || !after.empty())
        return std::nullopt;
    t->year = m->year;
    t->month = m->month;
    t->day = m->day;
    t->has_day = true;
    return t;
}

} // namespace

std::optional<SqliteTimeValue> sqlite_time_value(std::string_view text)
{
    if (auto m = written_by_sqlite(text))
        return SqliteTimeValue{*m, false, false};
    SqliteTimeValue v;
    std::string_view rest;
    Moment day;
    if (auto d = leading_day(text, rest)) {
        day = *d;
        while (!rest.empty() && (is_space(rest.front()) || rest.front() == 'T'))
            rest.remove_prefix(1);
        if (rest.empty()) {
            v.moment = day;
            return v;
        }
    }
    else if (auto r = sqlite_real(text)) {
        if (!(*r >= 0 && *r < julian_end))
            return std::nullopt;
        const auto julian_ms = static_cast<long long>(*r * static_cast<double>(ms_per_day) + 0.5);
        return SqliteTimeValue{moment_of(julian_ms - julian_epoch_ms), false, true};
    }
    else {
        day.year = 2000;
        day.month = day.day = 1;
        v.time_only = true;
        rest = text;
    }
    std::string_view after;
    auto t = leading_clock_time(rest, 24, after);
    int zone = 0;
    if (!t || !zone_minutes(after, zone))
        return std::nullopt;
    const double seconds = rest.size() > 5 && rest[5] == ':' ? sqlite_seconds(rest) : 0;
    if (!std::isfinite(seconds)) // a fraction of more digits than a double's scale reaches: SQLite reads no time
        return std::nullopt;
    const auto second_ms = static_cast<long long>(seconds * 1000 + 0.5);
    if (zone == 0 && t->hour < 24 && second_ms < 60000) {
        // Nothing moves: the fields as written (the common case, at no calendar arithmetic).
        v.moment = *t;
        v.moment.year = day.year;
        v.moment.month = day.month;
        v.moment.day = day.day;
        v.moment.has_day = true;
        v.moment.second = static_cast<double>(second_ms) / 1000.0;
    }
    else
        v.moment = moment_of(days_from_civil(day.year, day.month, day.day) * ms_per_day + t->hour * 3600000LL +
                             t->minute * 60000LL + second_ms - zone * 60000LL);
    return v;
}

} // namespace db
