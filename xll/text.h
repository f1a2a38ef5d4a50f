// Conversions between byte strings and worksheet text.
#pragma once

#include <string>
#include <string_view>

#include "xll/traits.h"

namespace xll {

// One code unit per byte, of the same value, up to the first zero byte: what the runtime's
// default locale makes of 8-bit text.
inline xstring WidenText(std::string_view bytes)
{
    xstring out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        if (c == '\0')
            break;
        out += static_cast<XCHAR>(static_cast<unsigned char>(c));
    }
    return out;
}

// UTF-8 to UTF-16; a byte that does not start a valid sequence becomes U+FFFD.
xstring utf8_to_xstring(std::string_view utf8);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string xstring_to_utf8(xstring_view text);
// Whether the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool is_valid_utf8(std::string_view bytes);

} // namespace xll
