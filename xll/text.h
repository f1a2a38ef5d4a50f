// Conversions between byte strings and worksheet text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "xll/traits.h"

namespace xll {

// One code unit per byte, of the same value, in either width: the framework's own ASCII texts
// (formula pieces, registration suffixes) and 8-bit labels widen like the rest of its 8-bit text.
template <class X> std::basic_string<typename traits<X>::xchar> widen_bytes(std::string_view bytes)
{
    std::basic_string<typename traits<X>::xchar> out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out += static_cast<typename traits<X>::xchar>(static_cast<unsigned char>(c));
    return out;
}

// One code unit per byte, of the same value, up to the first zero byte: what the runtime's
// default locale makes of 8-bit text.
inline xstring widen_text(std::string_view bytes) { return widen_bytes<XLOPER12>(bytes.substr(0, bytes.find('\0'))); }

// The first max units of text, one fewer where the cut would split a surrogate pair.
inline xstring_view cut_units(xstring_view text, size_t max)
{
    if (text.size() <= max)
        return text;
    if (max > 0 && text[max - 1] >= 0xD800 && text[max - 1] <= 0xDBFF)
        --max;
    return text.substr(0, max);
}

// A zero-terminated worksheet argument as text; a null pointer is empty. Arguments may be longer
// than a cell holds (a built statement), so no limit applies here.
inline xstring_view argument_text(const XCHAR* s) { return s ? xstring_view(s) : xstring_view(); }

// The text with every unpaired surrogate (a high one without a low one after it, a low one
// without a high one before it) replaced by U+FFFD, one unit for one, so every length rule of the
// text still holds. What a driver or a converter makes of an unpaired surrogate is its own affair:
// one that joins it with the unit after it swallows a closing quote.
xstring well_formed(xstring_view text);
// Every NUL replaced by U+FFFD. Whatever reads the text as zero-terminated next (a cell argument,
// a statement handed to a driver) would cut it there, and a statement cut short can do more than
// the whole one (DELETE FROM t<NUL> WHERE id = 5).
void replace_nul(xstring& text);

// UTF-8 to UTF-16; a byte that does not start a valid sequence becomes U+FFFD.
xstring utf8_to_xstring(std::string_view utf8);
// The same into out, whose room is used again: a result's values are decoded one after another.
void utf8_to_xstring(std::string_view utf8, xstring& out);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string xstring_to_utf8(xstring_view text);
// One code point appended as UTF-8: the add-in's one encoder. A surrogate or a value past U+10FFFF
// is no character and becomes U+FFFD, so the bytes are always well-formed.
void append_utf8(std::string& out, char32_t code_point);
// Whether the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool is_valid_utf8(std::string_view bytes);
// Well-formed UTF-8 decoded into the room at out, in the one pass that checks it is well-formed;
// the units written, or nothing for bytes that are not well-formed or need more room (out then
// holds a part of them).
std::optional<size_t> well_formed_utf8_into(std::string_view utf8, XCHAR* out, size_t room);

} // namespace xll
