// UTF-8 in and out of worksheet text: the one encoder every caller goes through, and what it makes
// of text that is no character.
#include <gtest/gtest.h>

#include <string>

#include "xll/text.h"

using namespace xll;

namespace {

std::string encoded(char32_t code_point)
{
    std::string out;
    append_utf8(out, code_point);
    return out;
}

xstring units(std::initializer_list<char16_t> list)
{
    xstring out;
    for (char16_t c : list)
        out += static_cast<XCHAR>(c);
    return out;
}

const std::string replacement = "\xEF\xBF\xBD";

} // namespace

TEST(Utf8, EachLengthAtItsBounds)
{
    EXPECT_EQ(encoded(0x7F), "\x7F");
    EXPECT_EQ(encoded(0x80), "\xC2\x80");
    EXPECT_EQ(encoded(0x7FF), "\xDF\xBF");
    EXPECT_EQ(encoded(0x800), "\xE0\xA0\x80");
    EXPECT_EQ(encoded(0xFFFF), "\xEF\xBF\xBF");
    EXPECT_EQ(encoded(0x10000), "\xF0\x90\x80\x80");
    EXPECT_EQ(encoded(0x10FFFF), "\xF4\x8F\xBF\xBF");
}

TEST(Utf8, WhatIsNoCharacterBecomesTheReplacement)
{
    EXPECT_EQ(encoded(0xD800), replacement);
    EXPECT_EQ(encoded(0xDFFF), replacement);
    EXPECT_EQ(encoded(0x110000), replacement);
    EXPECT_EQ(encoded(0xFFFFFFFF), replacement);
}

TEST(Utf8, PairsJoinAndLoneSurrogatesAreReplaced)
{
    EXPECT_EQ(xstring_to_utf8(units({u'a', 0xD83D, 0xDE00, u'b'})), "a\xF0\x9F\x98\x80" "b");
    EXPECT_EQ(xstring_to_utf8(units({0xD83D})), replacement);
    EXPECT_EQ(xstring_to_utf8(units({0xD83D, u'x'})), replacement + "x");
    EXPECT_EQ(xstring_to_utf8(units({0xDE00, 0xD83D})), replacement + replacement);
    const xstring text = units({u'\u00e9', 0x20AC, 0xD83D, 0xDE00, 0xFFFD});
    EXPECT_EQ(utf8_to_xstring(xstring_to_utf8(text)), text);
    EXPECT_TRUE(is_valid_utf8(xstring_to_utf8(units({0xDC00, 0xD800}))));
}

// 8-bit text widens unit for unit, high bytes keeping their value; worksheet text stops at a zero
// byte, the framework's own texts in either width do not.
TEST(Widening, EachByteBecomesTheUnitOfItsValue)
{
    const std::string bytes("a\xE9\xFF\0b", 5);
    EXPECT_EQ(widen_text(bytes), units({u'a', 0xE9, 0xFF}));
    EXPECT_EQ(widen_text(std::string_view()), xstring());
    EXPECT_EQ(widen_bytes<XLOPER12>(bytes), units({u'a', 0xE9, 0xFF, 0, u'b'}));
    const std::string eight = widen_bytes<XLOPER>(bytes);
    EXPECT_EQ(eight, bytes);
}

// What every driver is handed: the UTF-8 encoder's reading of the text, unit for unit.
TEST(WellFormed, UnpairedSurrogatesBecomeTheReplacementAndPairsStay)
{
    const struct {
        xstring given, made;
    } cases[] = {
        {units({u'a', 0xD83D, 0xDE00, u'b'}), units({u'a', 0xD83D, 0xDE00, u'b'})},
        {units({u'x', 0xD83D}), units({u'x', 0xFFFD})},
        {units({0xD83D, u'\''}), units({0xFFFD, u'\''})},
        {units({0xDE00, 0xD83D}), units({0xFFFD, 0xFFFD})},
        {units({0xD83D, 0xD83D, 0xDE00}), units({0xFFFD, 0xD83D, 0xDE00})},
        {units({0xDE00, 0xDE00}), units({0xFFFD, 0xFFFD})},
        {xstring(), xstring()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(well_formed(c.given), c.made) << xstring_to_utf8(c.given);
        EXPECT_EQ(well_formed(c.given), utf8_to_xstring(xstring_to_utf8(c.given)));
    }
    xstring full(32766, u'x');
    full += static_cast<XCHAR>(0xD83D);
    EXPECT_EQ(well_formed(full).size(), 32767u); // a cell's text stays a cell's text

    xstring nul = units({u'a', 0, u'b', 0});
    replace_nul(nul);
    EXPECT_EQ(nul, units({u'a', 0xFFFD, u'b', 0xFFFD}));
}

// The one-pass decoder into a cell's room: the same units as utf8_to_xstring for well-formed
// bytes, nothing at all for any other or for too little room, never a unit past the room.
TEST(Utf8, WellFormedIntoRoomDecodesOrRefusesWhole)
{
    const struct {
        std::string bytes;
        size_t room;
        bool taken;
    } cases[] = {
        {"", 0, true},
        {"plain ascii past eight bytes", 28, true},
        {"M\xC3\xBCller \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 and more ascii", 40, true},
        {"twelve bytes", 11, false},                  // one unit short
        {"\xF0\x9F\x98\x80", 1, false},               // a pair needs two
        {"\xC0\xAF", 2, false},                       // overlong
        {"\xED\xA0\x80", 3, false},                   // a surrogate's bytes
        {"abc\xE6\x97", 5, false},                    // cut inside a character
        {"\xFF latin-1 bytes are no UTF-8", 40, false},
    };
    for (const auto& c : cases) {
        xstring out(c.room + 1, u'#');
        const auto units = well_formed_utf8_into(c.bytes, out.data(), c.room);
        EXPECT_EQ(units.has_value(), c.taken) << c.bytes;
        EXPECT_EQ(out.back(), u'#') << c.bytes;
        if (units && c.taken) {
            EXPECT_EQ(out.substr(0, *units), utf8_to_xstring(c.bytes)) << c.bytes;
        }
    }
}
