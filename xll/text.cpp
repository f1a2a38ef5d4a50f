#include "xll/text.h"

#include <cstdint>
#include <cstring>

namespace xll {

namespace {

constexpr char32_t replacement = 0xFFFD;

// Decodes one UTF-8 sequence at s[i]; advances i. Returns replacement for a malformed sequence
// (consuming one byte), so every byte is accounted for.
char32_t decode(std::string_view s, size_t& i, bool& ok)
{
    auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = b(i);
    ok = true;
    if (c < 0x80) {
        ++i;
        return c;
    }
    int n = 0;
    char32_t cp = 0, min = 0;
    if ((c & 0xE0) == 0xC0) {
        n = 1;
        cp = c & 0x1F;
        min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 2;
        cp = c & 0x0F;
        min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 3;
        cp = c & 0x07;
        min = 0x10000;
    } else {
        ok = false;
        ++i;
        return replacement;
    }
    if (i + static_cast<size_t>(n) >= s.size()) { // sequence cut off by the end
        ok = false;
        ++i;
        return replacement;
    }
    for (int k = 1; k <= n; ++k) {
        unsigned char d = b(i + static_cast<size_t>(k));
        if ((d & 0xC0) != 0x80) {
            ok = false;
            ++i;
            return replacement;
        }
        cp = (cp << 6) | (d & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ok = false;
        ++i;
        return replacement;
    }
    i += static_cast<size_t>(n) + 1;
    return cp;
}

} // namespace

xstring well_formed(xstring_view text)
{
    auto high = [](XCHAR c) { return c >= 0xD800 && c <= 0xDBFF; };
    auto low = [](XCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; };
    xstring out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        if (high(out[i]) && i + 1 < out.size() && low(out[i + 1]))
            ++i; // a pair: both units stay
        else if (high(out[i]) || low(out[i]))
            out[i] = static_cast<XCHAR>(replacement);
    }
    return out;
}

void replace_nul(xstring& text)
{
    for (XCHAR& c : text)
        if (c == 0)
            c = static_cast<XCHAR>(replacement);
}

xstring utf8_to_xstring(std::string_view utf8)
{
    xstring out;
    utf8_to_xstring(utf8, out);
    return out;
}

void utf8_to_xstring(std::string_view utf8, xstring& out)
{
    // Every sequence of n bytes makes at most n units (four bytes, two), so the room is known.
    out.resize(utf8.size());
    XCHAR* o = out.data();
    bool ok;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            *o++ = c;
            ++i;
            continue;
        }
        char32_t cp = decode(utf8, i, ok);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *o++ = static_cast<XCHAR>(0xD800 + (cp >> 10));
            *o++ = static_cast<XCHAR>(0xDC00 + (cp & 0x3FF));
        } else
            *o++ = static_cast<XCHAR>(cp);
    }
    out.resize(static_cast<size_t>(o - out.data()));
}

std::string xstring_to_utf8(xstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = static_cast<uint16_t>(text[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
            char32_t lo = static_cast<uint16_t>(text[i + 1]);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        append_utf8(out, cp);
    }
    return out;
}

void append_utf8(std::string& out, char32_t cp)
{
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        cp = replacement;
    if (cp < 0x80)
        out += static_cast<char>(cp);
    else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool is_valid_utf8(std::string_view bytes)
{
    bool ok = true;
    for (size_t i = 0; i < bytes.size() && ok;)
        decode(bytes, i, ok);
    return ok;
}

std::optional<size_t> well_formed_utf8_into(std::string_view utf8, XCHAR* out, size_t room)
{
    XCHAR* const first = out;
    XCHAR* const last = out + room;
    bool ok = true;
    for (size_t i = 0; i < utf8.size();) {
        // ASCII, nearly all of a result's text, eight bytes at a time.
        if (std::uint64_t eight; utf8.size() - i >= 8 && last - out >= 8 &&
                                 (std::memcpy(&eight, utf8.data() + i, 8), (eight & 0x8080808080808080u) == 0)) {
            for (size_t k = 0; k < 8; ++k)
                out[k] = static_cast<unsigned char>(utf8[i + k]);
            out += 8;
            i += 8;
            continue;
        }
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            if (out == last)
                return std::nullopt;
            *out++ = c;
            ++i;
            continue;
        }
        char32_t cp = decode(utf8, i, ok);
        if (!ok)
            return std::nullopt;
        if (cp >= 0x10000) {
            if (last - out < 2)
                return std::nullopt;
            cp -= 0x10000;
            *out++ = static_cast<XCHAR>(0xD800 + (cp >> 10));
            *out++ = static_cast<XCHAR>(0xDC00 + (cp & 0x3FF));
        } else {
            if (out == last)
                return std::nullopt;
            *out++ = static_cast<XCHAR>(cp);
        }
    }
    return static_cast<size_t>(out - first);
}

} // namespace xll
