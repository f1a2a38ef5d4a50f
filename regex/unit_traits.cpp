#include "regex/unit_traits.h"

#include <type_traits>

namespace xll::regex {

namespace {

// ECMAScript's WhiteSpace and LineTerminator above ASCII.
bool ecma_space(wchar_t c)
{
    return c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

// The library's line separators (line feed, carriage return, form feed, U+0085, U+2028, U+2029).
bool separator(wchar_t c)
{
    return c == L'\n' || c == L'\r' || c == L'\f' || c == 0x0085 || c == 0x2028 || c == 0x2029;
}

} // namespace

bool unit_traits::isctype(wchar_t c, char_class_type f) const
{
    if (static_cast<std::make_unsigned_t<wchar_t>>(c) < 0x80)
        return base::isctype(c, f);

    using impl = boost::BOOST_REGEX_DETAIL_NS::cpp_regex_traits_implementation<wchar_t>;
    const bool space = ecma_space(c);
    const bool vertical = separator(c);
    if ((f & impl::mask_unicode) && c > 0xFF)
        return true;
    if ((f & std::ctype_base::space) && space)
        return true;
    if ((f & impl::mask_vertical) && vertical)
        return true;
    if ((f & (impl::mask_blank | impl::mask_horizontal)) && space && !vertical)
        return true;
    return false;
}

} // namespace xll::regex
