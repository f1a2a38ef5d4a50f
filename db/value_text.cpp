#include "db/value_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace db {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The digits from i on; i is left after them.
size_t skip_digits(std::string_view s, size_t& i)
{
    size_t start = i;
    while (i < s.size() && is_digit(s[i]))
        ++i;
    return i - start;
}

bool decimal_grammar(std::string_view s)
{
    size_t i = 0;
    if (i < s.size() && s[i] == '-')
        ++i;
    size_t first = i;
    size_t whole = skip_digits(s, i);
    if (whole == 0 || (whole > 1 && s[first] == '0'))
        return false;
    if (i < s.size() && s[i] == '.') {
        ++i;
        if (skip_digits(s, i) == 0)
            return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (skip_digits(s, i) == 0)
            return false;
    }
    return i == s.size();
}

// Two digits at pos as a number, or -1.
int two_digits(std::string_view s, size_t pos)
{
    if (pos + 2 > s.size() || !is_digit(s[pos]) || !is_digit(s[pos + 1]))
        return -1;
    return (s[pos] - '0') * 10 + (s[pos + 1] - '0');
}

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

} // namespace

std::optional<double> decimal_number(std::string_view text)
{
    // Integers of up to 18 digits, the most common values, are exact in 64 bits and need no more.
    const size_t sign = !text.empty() && text[0] == '-' ? 1 : 0;
    const size_t digits = text.size() - sign;
    if (digits > 0 && digits <= 18 && (text[sign] != '0' || digits == 1)) {
        std::uint64_t v = 0;
        size_t i = sign;
        for (; i < text.size() && is_digit(text[i]); ++i)
            v = v * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (i == text.size())
            return sign ? -static_cast<double>(v) : static_cast<double>(v);
    }
    if (!decimal_grammar(text))
        return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc() && end == text.data() + text.size())
        return value;
    // Out of the doubles' range: the C library tells overflow (infinite) from underflow (the
    // nearest tiny or zero value) and rounds both as the text asks.
    std::string copy(text);
    errno = 0;
    value = std::strtod(copy.c_str(), nullptr);
    if (errno == ERANGE && std::fabs(value) > 1)
        return text[0] == '-' ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    return value;
}

bool names_non_finite(std::string_view text)
{
    return text == "NaN" || text == "Infinity" || text == "-Infinity" || text == "Inf" || text == "-Inf";
}

std::optional<CivilDate> leading_date(std::string_view text, std::string_view& rest)
{
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    int hi = two_digits(text, 0), lo = two_digits(text, 2);
    CivilDate d{hi * 100 + lo, two_digits(text, 5), two_digits(text, 8)};
    if (hi < 0 || lo < 0 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > days_in_month(d.year, d.month))
        return std::nullopt;
    rest = text.substr(10);
    return d;
}

std::optional<ClockTime> clock_time(std::string_view text)
{
    if (text.size() < 5 || text[2] != ':')
        return std::nullopt;
    ClockTime t{two_digits(text, 0), two_digits(text, 3), 0};
    if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59)
        return std::nullopt;
    if (text.size() == 5)
        return t;
    int second = two_digits(text, 6);
    if (text.size() < 8 || text[5] != ':' || second < 0 || second > 59)
        return std::nullopt;
    t.second = second;
    if (text.size() > 8) {
        std::string_view fraction = text.substr(8);
        size_t i = 1;
        if (fraction[0] != '.' || skip_digits(fraction, i) == 0 || i != fraction.size())
            return std::nullopt;
        // The whole seconds and their fraction as one decimal text: one rounding, as the
        // database's text says.
        double value = 0;
        std::from_chars(text.data() + 6, text.data() + text.size(), value);
        t.second = value;
    }
    return t;
}

bool in_worksheet_calendar(int year) { return year >= 1900 && year <= 9999; }

} // namespace db
