// Users type the flag numbers, so each must reach exactly its library flag whatever values the
// library uses, and a number without a meaning must reach nothing.
#include <gtest/gtest.h>

#include "regex/flags.h"
#include "regex/unit_text.h"

using namespace xll::regex;
namespace rc = boost::regex_constants;

TEST(RegexFlags, EachWorksheetBitReachesItsLibraryFlag)
{
    const std::pair<int32_t, rc::match_flag_type> table[] = {
        {4096, rc::format_first_only}, {2048, rc::format_no_copy}, {1024, rc::format_sed}, {16, rc::match_any},
        {64, rc::match_continuous},    {1, rc::match_not_bol},     {4, rc::match_not_bow}, {2, rc::match_not_eol},
        {8, rc::match_not_eow},        {32, rc::match_not_null},   {256, rc::match_prev_avail},
    };
    const rc::match_flag_type always = library_flags(0);
    EXPECT_TRUE(always & rc::match_single_line); // ^ and $ are the ends of the text
    rc::match_flag_type all = always;
    for (const auto& [bit, flag] : table) {
        EXPECT_EQ(library_flags(bit), always | flag) << bit;
        all |= flag;
    }
    EXPECT_EQ(library_flags(128 | 8192 | (1 << 20) | (1 << 30)), always);
    EXPECT_EQ(library_flags(-1), all);
}

TEST(RegexUnits, EveryUtf16UnitIsCarriedAndBack)
{
    xll::xstring all;
    for (unsigned u = 1; u <= 0xFFFF; ++u)
        all += static_cast<XCHAR>(u);
    unit_string units = to_units(all);
    EXPECT_EQ(static_cast<unsigned>(units.back()), 0xFFFFu); // no sign extension, no decoding
    EXPECT_EQ(from_units(units), all);
}
