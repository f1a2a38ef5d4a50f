// The regular expressions work on wchar_t, which is 16 bits on Windows and 32 bits on Linux.
// Worksheet text is UTF-16 everywhere, so each UTF-16 code unit is carried into one wchar_t and
// back, never decoded: a surrogate pair is two units to "." on every platform, and a result never
// differs between the builds.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

#include "xll/traits.h"

namespace xll::regex {

using unit_string = std::wstring;
using unit_view = std::wstring_view;

inline wchar_t to_unit(XCHAR c) { return static_cast<wchar_t>(static_cast<std::make_unsigned_t<XCHAR>>(c)); }

unit_string to_units(xstring_view text);
// Every unit came from worksheet text or from a pattern that matched it, so it fits 16 bits.
xstring from_units(unit_view units);

// A text to match, held behind one line break. The flag that says "the character before the first
// one may be read" (REGEX_MATCH_PREV_AVAIL) then reads that line break instead of memory that is
// not ours, and reads it as the flag's help promises: the start counts as the beginning of a line
// and of a word, whatever REGEX_MATCH_NOT_BOL and REGEX_MATCH_NOT_BOW say.
class Subject {
public:
    Subject() = default;
    explicit Subject(xstring_view text) { assign(text); }
    void assign(xstring_view text);

    const wchar_t* begin() const { return buffer_.data() + 1; }
    const wchar_t* end() const { return buffer_.data() + buffer_.size(); }

private:
    unit_string buffer_;
};

} // namespace xll::regex
