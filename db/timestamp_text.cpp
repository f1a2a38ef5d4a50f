#include "db/timestamp_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "db/civil_days.h"

namespace db {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Two or four digits at pos as a number, or -1. Every date of a result passes here several times,
// so the digits are read in pairs without a loop.
int digits(std::string_view s, size_t pos, size_t n)
{
    if (pos + n > s.size())
        return -1;
    auto digit = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(s[i]) - '0'); };
    auto pair = [&](size_t i) {
        const unsigned a = digit(i), b = digit(i + 1);
        return a <= 9 && b <= 9 ? static_cast<int>(a * 10 + b) : -1;
    };
    if (n == 2)
        return pair(pos);
    const int high = pair(pos), low = pair(pos + 2);
    return high < 0 || low < 0 ? -1 : high * 100 + low;
}

// PostgreSQL's offset: a sign, hours, and optionally minutes and seconds, two digits each.
bool zone_offset_text(std::string_view s)
{
    if (s.size() < 3 || (s[0] != '+' && s[0] != '-') || digits(s, 1, 2) < 0)
        return false;
    for (size_t pos = 3; pos < s.size(); pos += 3)
        if (s[pos] != ':' || digits(s, pos + 1, 2) < 0 || digits(s, pos + 1, 2) > 59 || pos > 6)
            return false;
    return true;
}

} // namespace

std::optional<Moment> leading_day(std::string_view text, std::string_view& rest)
{
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    Moment m;
    m.year = digits(text, 0, 4);
    m.month = digits(text, 5, 2);
    m.day = digits(text, 8, 2);
    if (m.year < 0 || m.month < 1 || m.month > 12 || m.day < 1 || m.day > days_in_month(m.year, m.month))
        return std::nullopt;
    m.has_day = true;
    rest = text.substr(10);
    return m;
}

std::optional<Moment> leading_clock_time(std::string_view text, int max_hour, std::string_view& rest)
{
    Moment m;
    m.hour = digits(text, 0, 2);
    m.minute = digits(text, 3, 2);
    if (text.size() < 5 || text[2] != ':' || m.hour < 0 || m.hour > max_hour || m.minute < 0 || m.minute > 59)
        return std::nullopt;
    m.has_time = true;
    size_t end = 5;
    if (text.size() > 5 && text[5] == ':') {
        int second = digits(text, 6, 2);
        if (second < 0 || second > 59)
            return std::nullopt;
        m.second = second;
        end = 8;
        if (text.size() > 9 && text[8] == '.' && is_digit(text[9])) {
            end = 9;
            while (end < text.size() && is_digit(text[end]))
                ++end;
            // The seconds and their fraction as one decimal text: one rounding, to the double
            // nearest what the database wrote; a second that rounds up to 60 is the last double
            // below it, in its own minute.
            std::from_chars(text.data() + 6, text.data() + end, m.second);
            m.second = std::min(m.second, std::nextafter(60.0, 0.0));
        }
    }
    rest = text.substr(end);
    return m;
}

std::optional<Moment> server_moment(std::string_view text, bool zone_offset)
{
    std::string_view rest;
    std::optional<Moment> m = leading_day(text, rest);
    if (!m)
        return (m = leading_clock_time(text, 23, rest)) && rest.empty() ? m : std::nullopt;
    if (rest.empty())
        return m;
    if (rest[0] != ' ' && rest[0] != 'T')
        return std::nullopt;
    std::optional<Moment> t = leading_clock_time(rest.substr(1), 23, rest);
    if (!t || (!rest.empty() && !(zone_offset && zone_offset_text(rest))))
        return std::nullopt;
    t->year = m->year;
    t->month = m->month;
    t->day = m->day;
    t->has_day = true;
    return t;
}

} // namespace db
