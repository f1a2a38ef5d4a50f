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

} // namespace

std::optional<double> decimal_number(std::string_view text)
{
    // Integers and plain decimals of up to 15 digits, nearly every value, in one pass: such a
    // mantissa and its power of ten are both exact doubles, so their one division rounds as
    // from_chars does. The grammar is the full one's: no leading zero, digits on both sides of a
    // point.
    static constexpr double powers_of_ten[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const size_t sign = !text.empty() && text[0] == '-' ? 1 : 0;
    const char* const first = text.data() + sign;
    const char* const last = text.data() + text.size();
    // The digits from p on, into v; p is left after them. A character that is no digit reads as
    // more than 9.
    std::uint64_t v = 0;
    auto digits = [&v, last](const char* p) {
        for (unsigned d; p != last && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; ++p)
            v = v * 10 + d;
        return p;
    };
    const char* p = digits(first);
    const size_t whole = static_cast<size_t>(p - first);
    size_t fraction = 0;
    const bool point = p != last && *p == '.';
    if (point) {
        const char* after = digits(p + 1);
        fraction = static_cast<size_t>(after - (p + 1));
        p = after;
    }
    if (p == last && whole > 0 && (whole == 1 || *first != '0') && point == (fraction > 0)) {
        if (whole + fraction <= 15) {
            const double value = static_cast<double>(v) / powers_of_ten[fraction];
            return sign ? -value : value;
        }
        // Integers of up to 18 digits are exact in 64 bits, and one conversion rounds them.
        if (!point && whole <= 18)
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

std::optional<double> zero_padded_number(std::string_view text)
{
    size_t zeros = 0;
    while (zeros + 1 < text.size() && text[zeros] == '0' && is_digit(text[zeros + 1]))
        ++zeros;
    return decimal_number(text.substr(zeros));
}

} // namespace db
