#include "host/engine/text_to_number.h"

#include "host/engine/date_serial.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>

namespace zorvane::host {

namespace {

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == 0xA0; }
char16_t lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

std::u16string_view trim(std::u16string_view s)
{
    while (!s.empty() && is_blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A cursor over the text; each reader either consumes what it recognises or leaves pos unchanged.
struct Cursor {
    std::u16string_view s;
    std::size_t pos = 0;
    bool done() const { return pos >= s.size(); }
    char16_t peek() const { return done() ? u'\0' : s[pos]; }
    bool take(char16_t c)
    {
        if (peek() != c)
            return false;
        ++pos;
        return true;
    }
    void skip_blanks()
    {
        while (!done() && is_blank(s[pos]))
            ++pos;
    }
    // 1..max_digits decimal digits; -1 when none.
    long long digits(std::size_t max_digits = 9)
    {
        std::size_t start = pos;
        long long n = 0;
        while (!done() && is_digit(s[pos]) && pos - start < max_digits)
            n = n * 10 + (s[pos++] - u'0');
        return pos == start ? -1 : n;
    }
};

std::optional<double> plain_number(std::u16string_view text)
{
    Cursor c{text};
    bool negative = false;
    bool paren = false;
    bool currency = false;
    if (c.take(u'('))
        paren = true;
    if (c.take(u'$'))
        currency = true;
    if (!paren) {
        if (c.take(u'-'))
            negative = true;
        else
            c.take(u'+');
    }
    if (!currency && c.take(u'$'))
        currency = true;
    c.skip_blanks();

    std::string mantissa;
    std::size_t group_len = 0;
    bool grouped = false;
    bool any_digit = false;
    while (!c.done()) {
        const char16_t ch = c.peek();
        if (is_digit(ch)) {
            mantissa.push_back(static_cast<char>(ch));
            ++group_len;
            any_digit = true;
            ++c.pos;
        } else if (ch == u',' && any_digit && (grouped ? group_len == 3 : group_len <= 3)) {
            grouped = true;
            group_len = 0;
            ++c.pos;
        } else {
            break;
        }
    }
    if (grouped && group_len != 3)
        return std::nullopt;
    if (c.take(u'.')) {
        mantissa.push_back('.');
        while (!c.done() && is_digit(c.peek())) {
            mantissa.push_back(static_cast<char>(c.peek()));
            any_digit = true;
            ++c.pos;
        }
    }
    if (!any_digit)
        return std::nullopt;
    if (c.peek() == u'e' || c.peek() == u'E') {
        ++c.pos;
        mantissa.push_back('e');
        if (c.peek() == u'+' || c.peek() == u'-')
            mantissa.push_back(static_cast<char>(c.s[c.pos++]));
        if (!is_digit(c.peek()))
            return std::nullopt;
        while (!c.done() && is_digit(c.peek()))
            mantissa.push_back(static_cast<char>(c.s[c.pos++]));
    }
    c.skip_blanks();
    if (!currency && c.take(u'$'))
        currency = true; // "12$" reads too, as the spreadsheet does for a trailing currency sign
    const bool percent = c.take(u'%');
    if (paren && !c.take(u')'))
        return std::nullopt;
    if (!c.done())
        return std::nullopt;
    double value = std::strtod(mantissa.c_str(), nullptr);
    if (std::isinf(value))
        return std::nullopt;
    if (percent)
        value /= 100.0;
    return (negative || paren) ? -value : value;
}

int month_from_name(Cursor& c)
{
    static constexpr std::array<std::u16string_view, 12> names{u"january", u"february", u"march", u"april", u"may", u"june",
                                                                u"july", u"august", u"september", u"october", u"november", u"december"};
    std::size_t start = c.pos;
    std::u16string word;
    while (!c.done() && ((c.peek() >= u'a' && c.peek() <= u'z') || (c.peek() >= u'A' && c.peek() <= u'Z')))
        word.push_back(lower(c.s[c.pos++]));
    if (word.size() >= 3)
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i].substr(0, word.size()) == word)
                return static_cast<int>(i) + 1;
    c.pos = start;
    return 0;
}

// A time of day at the cursor; returns the day fraction (may exceed 1 for hours >= 24). An hour
// alone needs AM or PM after it ("6 PM").
std::optional<double> read_time(Cursor& c)
{
    const std::size_t start = c.pos;
    const long long hour = c.digits(4);
    if (hour < 0) {
        c.pos = start;
        return std::nullopt;
    }
    const bool hour_alone = !c.take(u':');
    const long long minute = hour_alone ? 0 : c.digits(2);
    if (minute < 0 || minute > 59) {
        c.pos = start;
        return std::nullopt;
    }
    double second = 0.0;
    if (!hour_alone && c.take(u':')) {
        const long long whole = c.digits(2);
        if (whole < 0 || whole > 59) {
            c.pos = start;
            return std::nullopt;
        }
        second = static_cast<double>(whole);
        if (c.take(u'.')) {
            double scale = 0.1;
            while (!c.done() && is_digit(c.peek())) {
                second += scale * (c.s[c.pos++] - u'0');
                scale /= 10;
            }
        }
    }
    long long h = hour;
    const std::size_t before_suffix = c.pos;
    c.skip_blanks();
    const char16_t a = lower(c.peek());
    if ((a == u'a' || a == u'p') && c.pos + 1 < c.s.size() && lower(c.s[c.pos + 1]) == u'm') {
        if (h < 1 || h > 12) {
            c.pos = start;
            return std::nullopt;
        }
        h = h % 12 + (a == u'p' ? 12 : 0);
        c.pos += 2;
    } else if (hour_alone) {
        c.pos = start;
        return std::nullopt;
    } else {
        c.pos = before_suffix;
    }
    return day_fraction(static_cast<int>(h), static_cast<int>(minute), second);
}

std::optional<double> date_serial(long long year, long long month, long long day)
{
    if (year < 0 || month < 1 || month > 12 || day < 1)
        return std::nullopt;
    if (year < 100)
        year += year < 30 ? 2000 : 1900; // two-digit years, the spreadsheet's default window
    if (year < 1900 || year > 9999)
        return std::nullopt;
    const int limit = (year == 1900 && month == 2) ? 29 : days_in_month(static_cast<int>(year), static_cast<int>(month));
    if (day > limit)
        return std::nullopt;
    return serial_from_date(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
}

// A date at the cursor.
std::optional<double> read_date(Cursor& c)
{
    const std::size_t start = c.pos;
    auto fail = [&]() -> std::optional<double> {
        c.pos = start;
        return std::nullopt;
    };
    if (int month = month_from_name(c)) { // "May 31, 2014"; "May 2014" is its first day
        c.take(u',');
        c.skip_blanks();
        const std::size_t number_start = c.pos;
        const long long number = c.digits(4);
        if (c.pos - number_start == 4) {
            auto serial = date_serial(number, month, 1);
            return serial ? serial : fail();
        }
        c.take(u',');
        c.skip_blanks();
        const long long year = c.digits(4);
        auto serial = date_serial(year, month, number);
        return serial ? serial : fail();
    }
    const long long first = c.digits(4);
    if (first < 0)
        return fail();
    const char16_t sep = c.peek();
    if (sep != u'-' && sep != u'/' && sep != u' ')
        return fail();
    ++c.pos;
    if (int month = month_from_name(c)) { // "31-May-2014", "31 May 2014"
        if (!c.take(sep))
            return fail();
        const long long year = c.digits(4);
        auto serial = date_serial(year, month, first);
        return serial ? serial : fail();
    }
    if (sep == u' ')
        return fail();
    const long long second = c.digits(2);
    if (second < 0 || !c.take(sep))
        return fail();
    const long long third = c.digits(4);
    if (third < 0)
        return fail();
    // Year first (2014-05-31) when the first number can only be a year, else month first (5/31/2014).
    auto serial = first >= 100 ? date_serial(first, second, third) : date_serial(third, first, second);
    return serial ? serial : fail();
}

} // namespace

std::optional<double> date_time_from_text(std::u16string_view text)
{
    Cursor c{trim(text)};
    if (c.done())
        return std::nullopt;
    if (auto time = read_time(c)) {
        c.skip_blanks();
        return c.done() ? time : std::nullopt;
    }
    auto date = read_date(c);
    if (!date)
        return std::nullopt;
    if (c.done())
        return date;
    if (!is_blank(c.peek()) && c.peek() != u'T')
        return std::nullopt;
    ++c.pos;
    c.skip_blanks();
    auto time = read_time(c);
    c.skip_blanks();
    if (!time || !c.done())
        return std::nullopt;
    return *date + *time;
}

std::optional<double> number_from_text(std::u16string_view text)
{
    const auto trimmed = trim(text);
    if (trimmed.empty())
        return std::nullopt;
    if (auto n = plain_number(trimmed))
        return n;
    return date_time_from_text(trimmed);
}

} // namespace zorvane::host
