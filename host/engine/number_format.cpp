#include "host/engine/number_format.h"

#include "host/engine/date_serial.h"
#include "host/engine/number_text.h"
#include "host/engine/utf.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace zorvane::host {

namespace {

char16_t lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

std::vector<std::u16string> split_sections(std::u16string_view format)
{
    std::vector<std::u16string> sections(1);
    bool quoted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char16_t c = format[i];
        if (c == u'"')
            quoted = !quoted;
        if (!quoted && c == u'\\' && i + 1 < format.size()) {
            sections.back() += c;
            sections.back() += format[++i];
            continue;
        }
        if (!quoted && c == u';') {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

// One piece of a section: a literal or a code.
struct Token {
    enum Kind { literal, digit, point, percent, date } kind = literal;
    std::u16string text; // literal text, or the date code in lower case
    char16_t placeholder = u'0';
};

bool is_date_letter(char16_t c)
{
    c = lower(c);
    return c == u'y' || c == u'm' || c == u'd' || c == u'h' || c == u's';
}

struct Section {
    std::vector<Token> tokens;
    bool thousands = false;
    int scale_thousands = 0;
    int percents = 0;
    bool has_date = false;
    bool has_ampm = false;
};

Section parse_section(std::u16string_view s)
{
    Section out;
    auto literal = [&](std::u16string_view text) {
        if (!out.tokens.empty() && out.tokens.back().kind == Token::literal)
            out.tokens.back().text += text;
        else
            out.tokens.push_back({Token::literal, std::u16string(text), 0});
    };
    bool seen_point = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == u'"') {
            const auto end = s.find(u'"', i + 1);
            literal(s.substr(i + 1, end == std::u16string_view::npos ? std::u16string_view::npos : end - i - 1));
            if (end == std::u16string_view::npos)
                break;
            i = end;
        } else if (c == u'\\' && i + 1 < s.size()) {
            literal(s.substr(++i, 1));
        } else if (c == u'_' && i + 1 < s.size()) {
            literal(u" "); // padding as wide as the next character
            ++i;
        } else if (c == u'*' && i + 1 < s.size()) {
            ++i; // fill character: nothing to fill in plain text
        } else if (c == u'[') {
            const auto end = s.find(u']', i);
            if (end == std::u16string_view::npos)
                break;
            // [h], [mm], [ss]: time elapsed, counted past the day; colours and conditions do not
            // change the text.
            const std::u16string_view inside = s.substr(i + 1, end - i - 1);
            if (!inside.empty() && (lower(inside[0]) == u'h' || lower(inside[0]) == u'm' || lower(inside[0]) == u's') &&
                inside.find_first_not_of(std::u16string{inside[0], static_cast<char16_t>(inside[0] ^ 0x20)}) ==
                    std::u16string_view::npos) {
                std::u16string code = u"[";
                for (char16_t letter : inside)
                    code += lower(letter);
                out.tokens.push_back({Token::date, code + u"]", 0});
                out.has_date = true;
            }
            i = end;
        } else if (c == u'0' || c == u'#' || c == u'?') {
            out.tokens.push_back({Token::digit, {}, c});
        } else if (c == u'.' && !seen_point) {
            seen_point = true;
            out.tokens.push_back({Token::point, {}, 0});
        } else if (c == u',') {
            // Between digit placeholders a comma groups thousands; after the last one it scales.
            bool digit_after = false;
            for (std::size_t k = i + 1; k < s.size() && !digit_after; ++k) {
                if (s[k] == u'0' || s[k] == u'#' || s[k] == u'?')
                    digit_after = true;
                else if (s[k] != u',')
                    break;
            }
            const bool digit_before = !out.tokens.empty() && out.tokens.back().kind == Token::digit;
            if (digit_before && digit_after && !seen_point)
                out.thousands = true;
            else if (digit_before)
                ++out.scale_thousands;
            else
                literal(u",");
        } else if (c == u'%') {
            ++out.percents;
            out.tokens.push_back({Token::percent, {}, 0});
        } else if ((lower(c) == u'a') && (s.substr(i, 5) == u"AM/PM" || s.substr(i, 5) == u"am/pm")) {
            out.tokens.push_back({Token::date, u"am/pm", 0});
            out.has_ampm = true;
            out.has_date = true;
            i += 4;
        } else if (lower(c) == u'a' && i + 2 < s.size() && lower(s[i + 1]) == u'/' && lower(s[i + 2]) == u'p') {
            out.tokens.push_back({Token::date, u"a/p", 0});
            out.has_ampm = true;
            out.has_date = true;
            i += 2;
        } else if (is_date_letter(c)) {
            std::u16string code(1, lower(c));
            while (i + 1 < s.size() && lower(s[i + 1]) == code[0])
                code += lower(s[++i]);
            out.tokens.push_back({Token::date, code, 0});
            out.has_date = true;
        } else {
            literal(s.substr(i, 1));
        }
    }
    return out;
}

std::u16string ascii(const std::string& s) { return utf8_to_utf16(s); }

std::optional<std::u16string> format_plain(double value, const Section& section, bool with_sign)
{
    double x = std::fabs(value);
    for (int i = 0; i < section.percents; ++i)
        x *= 100.0;
    for (int i = 0; i < section.scale_thousands; ++i)
        x /= 1000.0;

    int int_places = 0;
    int frac_places = 0;
    bool in_fraction = false;
    bool any_digit = false;
    for (const auto& t : section.tokens) {
        if (t.kind == Token::point)
            in_fraction = true;
        if (t.kind == Token::digit) {
            any_digit = true;
            (in_fraction ? frac_places : int_places)++;
        }
    }
    if (!any_digit) { // a format of literals only shows them, with the sign
        std::u16string out = with_sign && value < 0 ? u"-" : u"";
        for (const auto& t : section.tokens)
            out += t.kind == Token::percent ? u"%" : t.text;
        return out;
    }

    // Rounded like ROUND at the shown decimals, on the decimal the number reads as.
    if (!std::isfinite(x) || x >= 1e300)
        return std::nullopt;
    const std::string number = fixed_number_text(x, frac_places);
    const auto dot = number.find('.');
    std::string int_digits = number.substr(0, dot);
    std::string frac_digits = dot == std::string::npos ? "" : number.substr(dot + 1);
    if (int_digits == "0")
        int_digits.clear();
    const bool is_zero = int_digits.empty() && frac_digits.find_first_not_of('0') == std::string::npos;

    std::u16string out;
    if (with_sign && value < 0 && !is_zero)
        out += u'-';
    const int n = int_places;
    const int len = static_cast<int>(int_digits.size());
    int int_index = 0;
    int frac_index = 0;
    in_fraction = false;
    // Fraction placeholders: '#' drops trailing zeros, '?' shows them as blanks.
    int last_significant = static_cast<int>(frac_digits.find_last_not_of('0'));
    auto emit_int = [&](char16_t digit, int pos_from_right) {
        out += digit;
        if (section.thousands && pos_from_right > 0 && pos_from_right % 3 == 0)
            out += u',';
    };
    for (const auto& t : section.tokens) {
        switch (t.kind) {
        case Token::literal:
        case Token::date:
            out += t.text;
            break;
        case Token::percent:
            out += u'%';
            break;
        case Token::point:
            in_fraction = true;
            out += u'.';
            break;
        case Token::digit:
            if (!in_fraction) {
                if (int_index == 0)
                    for (int k = 0; k < len - n; ++k)
                        emit_int(static_cast<char16_t>(int_digits[static_cast<std::size_t>(k)]), len - 1 - k);
                const int idx = len - n + int_index;
                const int pos = n - 1 - int_index;
                if (idx >= 0)
                    emit_int(static_cast<char16_t>(int_digits[static_cast<std::size_t>(idx)]), pos);
                else if (t.placeholder == u'0')
                    emit_int(u'0', pos);
                else if (t.placeholder == u'?')
                    out += u' ';
                ++int_index;
            } else {
                const char digit = frac_digits[static_cast<std::size_t>(frac_index)];
                if (frac_index <= last_significant || t.placeholder == u'0')
                    out += static_cast<char16_t>(digit);
                else if (t.placeholder == u'?')
                    out += u' ';
                ++frac_index;
            }
            break;
        }
    }
    // "0." with nothing after the point and '#' fractions: drop a dangling point like the sheet
    // does only when the format itself ends in "." - so keep it as written.
    return out;
}

std::u16string two(int n)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return ascii(buf);
}

// The letter of a date code, also of an elapsed one ("[h]" is an hour).
char16_t date_letter(const Token& t) { return t.text[0] == u'[' ? t.text[1] : t.text[0]; }

std::optional<std::u16string> format_date(double serial, const Section& section)
{
    if (!(serial >= 0.0) || serial >= max_date_serial + 1.0)
        return std::nullopt;
    // The whole moment rounds to the second, so a time just short of midnight shows the next day.
    const long long moment = std::llround(serial * seconds_per_day);
    const long long days = moment / seconds_per_day;
    const long long seconds = moment % seconds_per_day;
    const auto date = date_from_serial(static_cast<double>(days));
    if (!date)
        return std::nullopt;
    const TimeOfDay time{static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60)};
    static constexpr std::array<const char*, 12> months{"January", "February", "March", "April", "May", "June",
                                                         "July", "August", "September", "October", "November", "December"};
    static constexpr std::array<const char*, 7> weekdays{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    // Serial 1 (1900-01-01) counts as a Sunday in the 1900 system.
    const int weekday = static_cast<int>((days + 6) % 7);
    std::u16string out;
    const auto& tokens = section.tokens;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const auto& t = tokens[i];
        if (t.kind != Token::date) {
            out += t.kind == Token::point ? u"." : (t.kind == Token::percent ? u"%" : (t.kind == Token::digit ? std::u16string(1, t.placeholder) : t.text));
            continue;
        }
        const std::u16string& code = t.text;
        const char16_t c = code[0];
        if (c == u'[') {
            // Elapsed units count the whole moment; the units below them stay within theirs.
            const char16_t unit = code[1];
            const long long count = unit == u'h' ? moment / 3600 : unit == u'm' ? moment / 60 : moment;
            std::string digits = std::to_string(count);
            const std::size_t width = code.size() - 2;
            if (digits.size() < width)
                digits.insert(0, width - digits.size(), '0');
            out += ascii(digits);
        } else if (code == u"am/pm" || code == u"a/p") {
            const bool pm = time.hour >= 12;
            out += code == u"am/pm" ? (pm ? u"PM" : u"AM") : (pm ? u"P" : u"A");
        } else if (c == u'y') {
            out += code.size() <= 2 ? two(date->year % 100) : ascii(std::to_string(date->year));
        } else if (c == u'd') {
            if (code.size() == 1)
                out += ascii(std::to_string(date->day));
            else if (code.size() == 2)
                out += two(date->day);
            else
                out += ascii(std::string(weekdays[static_cast<std::size_t>(weekday)]).substr(0, code.size() == 3 ? 3 : std::string::npos));
        } else if (c == u'h') {
            int hour = time.hour;
            if (section.has_ampm)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            out += code.size() == 1 ? ascii(std::to_string(hour)) : two(hour);
        } else if (c == u's') {
            out += code.size() == 1 ? ascii(std::to_string(time.second)) : two(time.second);
        } else if (c == u'm') {
            // Minutes right after an hour or right before seconds, months otherwise.
            bool minutes = false;
            for (std::size_t k = i; k-- > 0;) {
                if (tokens[k].kind == Token::date) {
                    minutes = date_letter(tokens[k]) == u'h';
                    break;
                }
            }
            for (std::size_t k = i + 1; k < tokens.size() && !minutes; ++k) {
                if (tokens[k].kind == Token::date) {
                    minutes = date_letter(tokens[k]) == u's';
                    break;
                }
            }
            if (minutes && code.size() <= 2)
                out += code.size() == 1 ? ascii(std::to_string(time.minute)) : two(time.minute);
            else if (code.size() == 1)
                out += ascii(std::to_string(date->month));
            else if (code.size() == 2)
                out += two(date->month);
            else if (code.size() == 3)
                out += ascii(std::string(months[static_cast<std::size_t>(date->month - 1)]).substr(0, 3));
            else if (code.size() == 5)
                out += ascii(std::string(months[static_cast<std::size_t>(date->month - 1)]).substr(0, 1));
            else
                out += ascii(months[static_cast<std::size_t>(date->month - 1)]);
        }
    }
    return out;
}

} // namespace

std::optional<std::u16string> format_number(double value, std::u16string_view format)
{
    if (format.empty())
        return std::u16string();
    if (iequals_ascii(format, u"General") || iequals_ascii(format, u"@"))
        return utf8_to_utf16(general_number_text(value));
    auto sections = split_sections(format);
    std::size_t index = 0;
    bool with_sign = true;
    if (value < 0 && sections.size() >= 2) {
        index = 1;
        with_sign = false;
    } else if (value == 0 && sections.size() >= 3) {
        index = 2;
    }
    if (iequals_ascii(sections[index], u"General")) {
        const double shown = with_sign ? value : std::fabs(value);
        return utf8_to_utf16(general_number_text(shown));
    }
    const Section section = parse_section(sections[index]);
    if (section.has_date)
        return format_date(value, section);
    return format_plain(value, section, with_sign);
}

} // namespace zorvane::host
