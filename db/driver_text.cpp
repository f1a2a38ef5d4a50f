#include "db/driver_text.h"

#include <string>

#include "xll/text.h"

namespace db {

xll::xstring DriverText::outgoing(xll::xstring_view text) const
{
    if (!bytes_as_units_)
        return xll::xstring(text);
    std::string utf8 = xll::xstring_to_utf8(text);
    xll::xstring units;
    units.reserve(utf8.size());
    for (char c : utf8)
        units += static_cast<XCHAR>(static_cast<unsigned char>(c));
    return units;
}

xll::xstring_view DriverText::incoming(xll::xstring_view text, xll::xstring& scratch) const
{
    if (!bytes_as_units_)
        return text;
    bool ascii = true;
    for (XCHAR c : text) {
        if (c > 0xFF)
            return text; // not bytes at all: nothing to undo
        if (c >= 0x80)
            ascii = false;
    }
    if (ascii)
        return text;
    std::string bytes(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
        bytes[i] = static_cast<char>(text[i]);
    if (!xll::is_valid_utf8(bytes)) {
        // A text cut to a buffer may end inside a character: drop that partial tail.
        size_t keep = bytes.size();
        for (size_t k = 1; k <= 3 && k <= bytes.size(); ++k) {
            if ((static_cast<unsigned char>(bytes[bytes.size() - k]) & 0xC0) == 0xC0) {
                keep = bytes.size() - k;
                break;
            }
        }
        if (keep == bytes.size() || !xll::is_valid_utf8(std::string_view(bytes).substr(0, keep)))
            return text;
        bytes.resize(keep);
    }
    scratch = xll::utf8_to_xstring(bytes);
    return scratch;
}

} // namespace db
