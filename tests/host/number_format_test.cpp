// Number formats as TEXT and the printed outputs apply them. The host is the oracle the add-in's
// results are judged by, so each expectation is what the spreadsheet itself shows.
#include "host/engine/number_format.h"
#include "host/engine/utf.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace zorvane::host::test {
namespace {

std::string formatted(double value, const char16_t* format)
{
    const auto text = format_number(value, format);
    return text ? utf16_to_utf8(*text) : "#VALUE!";
}

struct Case {
    double value;
    const char16_t* format;
    const char* shown;
};

void expect_all(std::initializer_list<Case> cases)
{
    for (const auto& c : cases)
        EXPECT_EQ(formatted(c.value, c.format), c.shown) << c.value << " in " << utf16_to_utf8(c.format);
}

TEST(NumberFormat, DigitPlaceholdersAndSeparators)
{
    expect_all({
        {1234567.891, u"#,##0.00", "1,234,567.89"},
        {-1234567.891, u"#,##0", "-1,234,568"},
        {999.5, u"#,##0", "1,000"},
        {0, u"#,##0", "0"},
        {0, u"#", ""},
        {0.5, u"#.##", ".5"},
        {7, u"000.0", "007.0"},
        {12345, u"0", "12345"}, // more digits than placeholders all show
        {0.5, u"0.0?", "0.5 "}, // '?' keeps the place of an insignificant zero
        {1.25, u"??.??", " 1.25"},
        {1234567, u"#,##0,", "1,235"}, // a trailing comma scales by a thousand
        {1234567, u"0.0,,", "1.2"},
        {0.256, u"0.0%", "25.6%"},
        {12, u"\"$\"0", "$12"},
        {12, u"$0", "$12"},
        {5, u"0 \"units\"", "5 units"},
        {5, u"\\#0", "#5"},
    });
}

// Rounding happens on the 15-digit decimal a number reads as, half away from zero, like ROUND:
// 1.005 is stored a little below itself and still shows as 1.01.
TEST(NumberFormat, RoundsTheDecimalTheNumberReadsAs)
{
    expect_all({
        {1.005, u"0.00", "1.01"},
        {2.675, u"0.00", "2.68"},
        {-2.675, u"0.00", "-2.68"},
        {0.145, u"0%", "15%"},
        {2.5, u"0", "3"},
        {-2.5, u"0", "-3"},
        {0.1 + 0.2, u"0.00000000000000000", "0.30000000000000000"},
        {123456789012345678.0, u"0", "123456789012346000"},
        {1e20, u"#,##0", "100,000,000,000,000,000,000"},
    });
}

TEST(NumberFormat, SectionsForNegativeAndZero)
{
    expect_all({
        {-1234.5, u"#,##0.00;(#,##0.00)", "(1,234.50)"},
        {1234.5, u"#,##0.00;(#,##0.00)", "1,234.50"},
        {0, u"0;-0;\"zero\"", "zero"},
        {0, u"0;-0", "0"}, // two sections: zero takes the first
        {-5, u"0;;", ""},
        {-5, u"0;\"minus\"", "minus"},
        {-5, u"0;General", "5"},
        {3, u"\"plus\" 0;\"minus\" 0", "plus 3"},
        {5, u"0;-0;0;@", "5"},
        {-0.25, u"[Red]0.00;[Blue]-0.00", "-0.25"}, // colours change nothing in text
    });
}

TEST(NumberFormat, GeneralAndText)
{
    expect_all({
        {0.1 + 0.2, u"General", "0.3"},
        {1e21, u"general", "1E+21"},
        {-1.5, u"@", "-1.5"},
        {41790, u"", ""},
    });
}

TEST(NumberFormat, DatesAndTimes)
{
    expect_all({
        {41790.75, u"yyyy-mm-dd hh:mm:ss", "2014-05-31 18:00:00"},
        {41790, u"dddd, mmmm d, yyyy", "Saturday, May 31, 2014"},
        {41790, u"ddd d mmm yy", "Sat 31 May 14"},
        {41790, u"mmmmm", "M"},
        {41790, u"m/d/yyyy", "5/31/2014"},
        {41790, u"yyy", "2014"},
        {0.5, u"h:mm AM/PM", "12:00 PM"},
        {0, u"h:mm AM/PM", "12:00 AM"},
        {0.75, u"h A/P", "6 P"},
        {1.0 / 3, u"h:mm:ss", "8:00:00"},
        {0.5 + 5.0 / 1440, u"hh \"h\" mm", "12 h 05"}, // minutes after an hour, across a literal
        {5.0 / 1440 + 7.0 / 86400, u"mm:ss", "05:07"},       // minutes before seconds
        {60, u"yyyy-mm-dd", "1900-02-29"},
        {0, u"yyyy-mm-dd", "1900-01-00"},
        {2958465, u"yyyy-mm-dd", "9999-12-31"},
    });
}

// Elapsed time in brackets counts past the day: a duration of a day and a half is 36 hours.
TEST(NumberFormat, ElapsedTime)
{
    expect_all({
        {1.5, u"[h]:mm", "36:00"},
        {1.5, u"[hh]:mm:ss", "36:00:00"},
        {0.5 / 24, u"[mm]:ss", "30:00"},
        {2.0 / 1440 + 5.0 / 86400, u"[s]", "125"},
        {0.25, u"[h]", "6"},
    });
}

// A time a fraction of a second before midnight shows as the next day's midnight: the whole
// moment rounds to the second, not the time alone.
TEST(NumberFormat, RoundingToTheSecondCarriesIntoTheDate)
{
    expect_all({
        {41790 + 1 - 0.4 / 86400, u"yyyy-mm-dd hh:mm:ss", "2014-06-01 00:00:00"},
        {41790 + 1 - 0.6 / 86400, u"yyyy-mm-dd hh:mm:ss", "2014-05-31 23:59:59"},
        {41790 + 0.5 / 86400, u"yyyy-mm-dd hh:mm:ss", "2014-05-31 00:00:01"},
        {0.999999999, u"hh:mm:ss", "00:00:00"},
    });
}

TEST(NumberFormat, DatesOutOfRangeCannotBeShown)
{
    expect_all({
        {-1, u"yyyy-mm-dd", "#VALUE!"},
        {2958466, u"yyyy-mm-dd", "#VALUE!"},
    });
}

} // namespace
} // namespace zorvane::host::test
