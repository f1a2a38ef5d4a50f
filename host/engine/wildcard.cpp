#include "host/engine/wildcard.h"

#include "host/engine/utf.h"

namespace zorvane::host {

namespace {

bool escapable(char16_t c)
{
    return c == u'*' || c == u'?' || c == u'~';
}

// Greedy with backtracking to the last '*', which is enough because a '*' absorbs any text.
bool match_from(std::u16string_view pattern, std::u16string_view text, std::size_t t, bool whole)
{
    constexpr auto none = std::u16string_view::npos;
    std::size_t p = 0;
    std::size_t star_p = none;
    std::size_t star_t = 0;
    for (;;) {
        if (p == pattern.size()) {
            if (!whole || t == text.size())
                return true;
        } else if (pattern[p] == u'*') {
            star_p = ++p;
            star_t = t;
            continue;
        } else {
            const bool escaped = pattern[p] == u'~' && p + 1 < pattern.size() && escapable(pattern[p + 1]);
            const char16_t want = escaped ? pattern[p + 1] : pattern[p];
            if (t < text.size() && ((!escaped && want == u'?') || fold_upper(text[t]) == fold_upper(want))) {
                p += escaped ? 2 : 1;
                ++t;
                continue;
            }
        }
        if (star_p == none || star_t >= text.size())
            return false;
        p = star_p;
        t = ++star_t;
    }
}

} // namespace

bool wildcard_match(std::u16string_view pattern, std::u16string_view text)
{
    return match_from(pattern, text, 0, true);
}

bool wildcard_prefix_match(std::u16string_view pattern, std::u16string_view text, std::size_t at)
{
    return match_from(pattern, text, at, false);
}

bool has_wildcards(std::u16string_view pattern)
{
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'~' && i + 1 < pattern.size() && escapable(pattern[i + 1]))
            ++i;
        else if (pattern[i] == u'*' || pattern[i] == u'?')
            return true;
    }
    return false;
}

} // namespace zorvane::host
