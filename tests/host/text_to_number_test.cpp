// Reading text as a number the way the spreadsheet does (VALUE, arithmetic on text, B arguments,
// typed cell entries), and writing numbers back as its General format does.
#include "host/engine/number_text.h"
#include "host/engine/text_to_number.h"
#include "host/engine/utf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace zorvane::host::test {
namespace {

void expect_reads(std::initializer_list<std::pair<const char16_t*, double>> cases)
{
    for (const auto& [text, expected] : cases) {
        const auto n = number_from_text(text);
        ASSERT_TRUE(n.has_value()) << utf16_to_utf8(text);
        EXPECT_NEAR(*n, expected, std::fabs(expected) * 1e-15) << utf16_to_utf8(text);
    }
}

void expect_unreadable(std::initializer_list<const char16_t*> cases)
{
    for (const char16_t* text : cases)
        EXPECT_FALSE(number_from_text(text).has_value()) << utf16_to_utf8(text);
}

TEST(TextToNumber, SignsCurrencyGroupsAndPercent)
{
    expect_reads({
        {u"1,234,567", 1234567},
        {u"12,345.6", 12345.6},
        {u"$1,234.50", 1234.5},
        {u"-$1,234.50", -1234.5},
        {u"$-12", -12},
        {u"(1,234.5)", -1234.5},
        {u"($12)", -12},
        {u"(12%)", -0.12},
        {u"50 %", 0.5},
        {u"1.5E+3", 1500},
        {u"1E-2", 0.01},
        {u"1.", 1},
        {u"\u00a012\u00a0", 12}, // no-break spaces around
        {u"123456789012345678901234567890", 1.2345678901234568e29},
    });
    // Groups of three only, and nothing left over.
    expect_unreadable({u"1,2345", u"12,34", u"1,234,5", u",123", u"1,234.5,6", u".", u"+-1", u"(12", u"12)",
                       u"-(12)", u"0x1A", u"1E+", u"e3", u"12-", u"1e400", u"5 5"});
}

TEST(TextToNumber, DatesInTheSpreadsheetsForms)
{
    expect_reads({
        {u"2014-5-31", 41790},
        {u"2014/05/31", 41790},
        {u"5/31/14", 41790},      // two-digit years below 30 are this century
        {u"1/1/30", 10959},       // and from 30 the last one
        {u"31 May 2014", 41790},
        {u"31-may-2014", 41790},
        {u"MAY 31, 2014", 41790},
        {u"Sep 1, 2014", 41883},
        {u"September 1 2014", 41883},
        {u"2014-05-31T18:00", 41790.75},
        {u"5/31/2014 6:00 PM", 41790.75},
        {u"1900-01-01", 1},
        {u"1900-03-01", 61},      // after the 29 February 1900 that the 1900 system counts
        {u"9999-12-31", 2958465},
    });
    expect_unreadable({u"2014-13-01", u"2014-00-10", u"2014-02-29", u"2100-02-29", u"31/12/2014", u"10000-01-01",
                       u"Mayo 31, 2014", u"Ma 31, 2014", u"2014-05-31 25:61", u"2014-05-31x"});
}

// A month named with a year alone is the first of that month; the year is not split into a day.
TEST(TextToNumber, MonthAndYearIsTheFirstOfTheMonth)
{
    expect_reads({
        {u"May 2014", 41760},
        {u"May, 2014", 41760},
        {u"Dec 1999", 36495},
    });
    expect_unreadable({u"May 20145", u"May 31 2014 5"});
}

TEST(TextToNumber, TimesOfDay)
{
    expect_reads({
        {u"18:00", 0.75},
        {u"18:00:30", (18 * 3600 + 30) / 86400.0},
        {u"18:00:30.5", (18 * 3600 + 30.5) / 86400.0},
        {u"6:00 PM", 0.75},
        {u"6:00pm", 0.75},
        {u"12:00 AM", 0},
        {u"12:30 AM", 30 / 1440.0},
        {u"12:00 PM", 0.5},
        {u"25:00", 25 / 24.0}, // hours past a day read as a duration
        {u"6 PM", 0.75},       // an hour with AM/PM needs no minutes
        {u"6 am", 0.25},
        {u"12 AM", 0},
    });
    expect_unreadable({u"10:75", u"10:30:60", u"13:00 PM", u"6 PMX", u"13 PM", u"0 AM", u":30"});
}

TEST(NumberText, RoundHalfAwayFromZeroOnTheDecimal)
{
    EXPECT_EQ(round_decimal(1.005, 2), 1.01);
    EXPECT_EQ(round_decimal(2.675, 2), 2.68);
    EXPECT_EQ(round_decimal(-2.5, 0), -3);
    EXPECT_EQ(round_decimal(2.5, 0), 3);
    EXPECT_EQ(round_decimal(1234.5678, -2), 1200);
    EXPECT_EQ(round_decimal(5, -1), 10);
    EXPECT_EQ(round_decimal(4, -1), 0);
    EXPECT_EQ(round_decimal(-0.4, 0), 0);
    EXPECT_FALSE(std::signbit(round_decimal(-0.4, 0))); // never -0
    EXPECT_EQ(round_decimal(9.995, 2), 10);
    EXPECT_EQ(round_decimal(123.456, 20), 123.456);
    EXPECT_EQ(round_decimal(1e300, -301), 0);
}

TEST(NumberText, GeneralSwitchesToScientificAtItsBounds)
{
    EXPECT_EQ(general_number_text(999999999999999.0), "999999999999999");
    EXPECT_EQ(general_number_text(1e15), "1E+15");
    EXPECT_EQ(general_number_text(999999999999999.9), "1E+15"); // rounding to 15 digits carries
    EXPECT_EQ(general_number_text(1e-9), "0.000000001");
    EXPECT_EQ(general_number_text(1.23e-10), "1.23E-10");
    EXPECT_EQ(general_number_text(-1.5e-12), "-1.5E-12");
    EXPECT_EQ(general_number_text(1.7976931348623157e308), "1.79769313486232E+308");
    EXPECT_EQ(general_number_text(5e-324), "4.94065645841247E-324");
    EXPECT_EQ(general_number_text(std::nan("")), "#NUM!");
    EXPECT_EQ(general_number_text(-HUGE_VAL), "#NUM!");
}

} // namespace
} // namespace zorvane::host::test
