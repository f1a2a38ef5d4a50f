// How the fuzz targets read their bytes: fields separated by zero bytes, so that a hand-made
// corpus file is written with printf and each field stays readable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "xll/text.h"

namespace fuzz {

// At most n fields; the last one takes the rest of the input, zero bytes included.
inline std::vector<std::string_view> fields(const uint8_t* data, size_t size, size_t n)
{
    std::string_view all(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> out;
    while (out.size() + 1 < n) {
        size_t zero = all.find('\0');
        if (zero == std::string_view::npos)
            break;
        out.push_back(all.substr(0, zero));
        all.remove_prefix(zero + 1);
    }
    out.push_back(all);
    out.resize(n);
    return out;
}

// Worksheet text from a field. A field starting with the byte 0xFE is read as raw little-endian
// code units, so unpaired surrogates and other units no UTF-8 text can carry are reached too;
// any other field is UTF-8 (an invalid byte becomes U+FFFD).
inline xll::xstring units(std::string_view field)
{
    if (!field.empty() && static_cast<unsigned char>(field[0]) == 0xFE) {
        xll::xstring out;
        for (size_t i = 1; i + 1 < field.size(); i += 2)
            out += static_cast<XCHAR>(static_cast<unsigned char>(field[i]) |
                                      static_cast<unsigned char>(field[i + 1]) << 8);
        return out;
    }
    return xll::utf8_to_xstring(field);
}

// A small integer from a decimal field ("4096", "-3"); 0 for anything else.
inline long number(std::string_view field)
{
    std::string text(field.substr(0, 20));
    return std::strtol(text.c_str(), nullptr, 10);
}

// A failed expectation is a finding: libFuzzer keeps the input that made it.
inline void expect(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace fuzz
