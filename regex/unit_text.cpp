#include "regex/unit_text.h"

namespace xll::regex {

unit_string to_units(xstring_view text)
{
    unit_string units;
    units.reserve(text.size());
    for (XCHAR c : text)
        units += to_unit(c);
    return units;
}

xstring from_units(unit_view units)
{
    xstring text;
    text.reserve(units.size());
    for (wchar_t u : units)
        text += static_cast<XCHAR>(u);
    return text;
}

void Subject::assign(xstring_view text)
{
    buffer_.assign(1, L'\n');
    buffer_.reserve(text.size() + 1);
    for (XCHAR c : text)
        buffer_ += to_unit(c);
}

} // namespace xll::regex
