// Replacement texts read by the standard's rules, not the library's own: the library's default
// rules take a backslash as an escape, which would turn the format text C:\temp into C:<tab>emp.
//   ECMAScript (the default): $$ a dollar, $& the match, $` the text before it, $' the text after
//     it, $n and $nn a group (two digits are always read as one number; a group the pattern does
//     not have gives nothing); any other character, a lone $ included, stands for itself.
//   sed (REGEX_FORMAT_SED): & the match, \n a group, a backslash before any other character
//     stands for that character.
#pragma once

#include "regex/unit_traits.h"

namespace xll::regex {

class Format {
public:
    explicit Format(const wchar_t* first, const wchar_t* last) : first_(first), last_(last) {}

    // Called by the library's replace once per match.
    template <class Match, class Out>
    Out operator()(const Match& m, Out out, boost::regex_constants::match_flag_type flags) const
    {
        return (flags & boost::regex_constants::format_sed) ? sed(m, out) : ecmascript(m, out);
    }

private:
    static bool digit(wchar_t c) { return c >= L'0' && c <= L'9'; }

    template <class Range, class Out> static Out copy(const Range& r, Out out)
    {
        for (auto p = r.first; p != r.second; ++p)
            *out++ = *p;
        return out;
    }
    template <class Match, class Out> static Out group(const Match& m, size_t n, Out out)
    {
        return n < m.size() && m[static_cast<int>(n)].matched ? copy(m[static_cast<int>(n)], out) : out;
    }

    template <class Match, class Out> Out ecmascript(const Match& m, Out out) const
    {
        for (const wchar_t* p = first_; p != last_;) {
            wchar_t c = *p++;
            if (c != L'$' || p == last_) {
                *out++ = c;
                continue;
            }
            wchar_t next = *p;
            if (next == L'$') {
                *out++ = L'$';
                ++p;
            }
            else if (next == L'&') {
                out = group(m, 0, out);
                ++p;
            }
            else if (next == L'`') {
                out = copy(m.prefix(), out);
                ++p;
            }
            else if (next == L'\'') {
                out = copy(m.suffix(), out);
                ++p;
            }
            else if (digit(next)) {
                size_t n = static_cast<size_t>(*p++ - L'0');
                if (p != last_ && digit(*p))
                    n = n * 10 + static_cast<size_t>(*p++ - L'0');
                out = group(m, n, out);
            }
            else {
                *out++ = c;
            }
        }
        return out;
    }

    template <class Match, class Out> Out sed(const Match& m, Out out) const
    {
        for (const wchar_t* p = first_; p != last_;) {
            wchar_t c = *p++;
            if (c == L'&')
                out = group(m, 0, out);
            else if (c != L'\\' || p == last_)
                *out++ = c;
            else if (digit(*p))
                out = group(m, static_cast<size_t>(*p++ - L'0'), out);
            else
                *out++ = *p++;
        }
        return out;
    }

    const wchar_t* first_;
    const wchar_t* last_;
};

} // namespace xll::regex
