#include "db/sqlite_time_text.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

// The fixed positions below take eight bytes of text as one word, the first byte lowest.
static_assert(std::endian::native == std::endian::little);

constexpr std::uint64_t every_byte(unsigned char c) { return 0x0101010101010101ULL * c; }

// Eight bytes "NN-NN-NN" (or with another separator) as three numbers of two digits, in bytes 0, 3
// and 6 of pairs; false for any other eight bytes. One pass over the word instead of one per digit.
bool three_pairs(const char* p, char separator, std::uint64_t& pairs)
{
    constexpr std::uint64_t digits = 0xFFFF00FFFF00FFFF, separators = ~digits;
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    // Less '0' at each digit and the separator at its place, a byte of the form is 0-9 at a digit
    // and 0 at a separator. Any other byte either wrapped below 0 (and borrowed from the next
    // byte), or is above: either way its top bit is set, or is set once 118 is added to a digit,
    // 127 to a separator; in a word whose top bits are all clear, the addition carries nowhere.
    const std::uint64_t d = w - ((every_byte('0') & digits) | (every_byte(separator) & separators));
    const std::uint64_t past = (every_byte(128 - 10) & digits) | (every_byte(127) & separators);
    if ((d | (d + past)) & every_byte(0x80))
        return false;
    // Ten times each digit plus the one after it: at most 99, so no byte carries into the next.
    pairs = d * 10 + (d >> 8);
    return true;
}

int pair_at(std::uint64_t pairs, int byte) { return static_cast<int>(pairs >> (8 * byte) & 0xFF); }

// "YYYY-MM-DD" and "YYYY-MM-DD HH:MM:SS" (or with a T), the forms SQLite's own date functions
// write and nearly every stored date, read at their fixed positions: the same fields as the full
// reading below gives them, with its checks, where it moves nothing. Anything else (an hour of 24
// among it) is left to it, and m is then untouched.
bool written_by_sqlite(std::string_view text, Moment& m)
{
    const bool timed = text.size() == 19;
    if (!timed && text.size() != 10)
        return false;
    const char* p = text.data();
    // The century's two digits, then "YY-MM-DD".
    const unsigned c0 = static_cast<unsigned char>(p[0]) - unsigned{'0'};
    const unsigned c1 = static_cast<unsigned char>(p[1]) - unsigned{'0'};
    std::uint64_t date = 0;
    if (c0 > 9 || c1 > 9 || !three_pairs(p + 2, '-', date))
        return false;
    const int year = static_cast<int>(c0 * 1000 + c1 * 100) + pair_at(date, 0);
    const int month = pair_at(date, 3), day = pair_at(date, 6);
    if (!existing_day(year, month, day))
        return false;
    if (!timed) {
        m = Moment{year, month, day, 0, 0, 0, true, false};
        return true;
    }
    // A blank or a T, then a whole time of day; an hour of 24 moves the day, so the full reading
    // takes it.
    std::uint64_t time = 0;
    if ((p[10] != ' ' && p[10] != 'T') || !three_pairs(p + 11, ':', time))
        return false;
    // Hours 0-23, minutes and seconds 0-59: each field plus what takes the first value past its
    // range to 128, all three at once (at most 99 + 104, no byte carries).
    constexpr std::uint64_t fields = 0x00FF0000FF0000FF;
    constexpr std::uint64_t past_range = (128 - 24) | std::uint64_t{128 - 60} << 24 | std::uint64_t{128 - 60} << 48;
    if (((time & fields) + past_range) & every_byte(0x80) & fields)
        return false;
    m = Moment{year, month, day, pair_at(time, 0), pair_at(time, 3), static_cast<double>(pair_at(time, 6)), true, true};
    return true;
}

// Any form, read as SQLite reads it. Out of line: its frame would otherwise be set up for every
// date the short road reads.
[[gnu::noinline]] std::optional<SqliteTimeValue> full_reading(std::string_view text)
{
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

} // namespace

std::optional<SqliteTimeValue> sqlite_time_value(std::string_view text)
{
    SqliteTimeValue v;
    if (written_by_sqlite(text, v.moment))
        return v;
    return full_reading(text);
}

} // namespace db
