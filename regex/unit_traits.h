// Character classes and case of UTF-16 code units, fixed by the add-in rather than by the C
// library under it: glibc and the Windows runtime classify letters above ASCII differently, so
// \w, \s, [[:alpha:]] and (?i) would otherwise answer differently in the two builds. ASCII keeps
// its classic classes and case; above ASCII only the ECMAScript white space and line breaks
// belong to a class, and case folding leaves a unit as it is.
#pragma once

#include <boost/regex.hpp>

namespace xll::regex {

class unit_traits : public boost::cpp_regex_traits<wchar_t> {
    using base = boost::cpp_regex_traits<wchar_t>;

public:
    bool isctype(wchar_t c, char_class_type f) const;

    wchar_t translate(wchar_t c) const { return c; }
    wchar_t translate(wchar_t c, bool icase) const { return icase ? tolower(c) : c; }
    wchar_t translate_nocase(wchar_t c) const { return tolower(c); }
    wchar_t tolower(wchar_t c) const { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }
    wchar_t toupper(wchar_t c) const { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }
};

using unit_regex = boost::basic_regex<wchar_t, unit_traits>;
using unit_match = boost::match_results<const wchar_t*>;

} // namespace xll::regex
