// The built-in functions where the spreadsheet's behaviour is easy to get wrong: date serials at
// the 1900 bounds, time rounding, number-to-text, reading text as numbers, wildcards.
#include "fake_context.h"
#include "host/engine/builtins.h"
#include "host/engine/errors.h"
#include "host/engine/number_text.h"
#include "host/engine/text_to_number.h"
#include "host/engine/utf.h"
#include "xll/xlcall.h"

#include <gtest/gtest.h>

#include <optional>

namespace zorvane::host::test {
namespace {

TEST(Dates, SerialsAtTheBoundsOfThe1900System)
{
    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=DATE(1900,1,1)"), Value(1.0));
    EXPECT_EQ(ctx.eval("=DATE(1900,2,28)"), Value(59.0));
    EXPECT_EQ(ctx.eval("=DATE(1900,2,29)"), Value(60.0)); // the day that never was
    EXPECT_EQ(ctx.eval("=DATE(1900,3,1)"), Value(61.0));
    EXPECT_EQ(ctx.eval("=DATE(2014,5,31)"), Value(41790.0));
    EXPECT_EQ(ctx.eval("=DATE(2014,1,5)"), Value(41644.0));
    EXPECT_EQ(ctx.eval("=DATE(9999,12,31)"), Value(2958465.0));
    EXPECT_EQ(ctx.eval("=DATE(1900,1,0)"), Value(0.0));
    EXPECT_EQ(ctx.eval("=DATE(1900,1,-1)"), Value(ErrorCode::num));
    EXPECT_EQ(ctx.eval("=DATE(10000,1,1)"), Value(ErrorCode::num));
    // Overflowing months and days roll over; small years count from 1900.
    EXPECT_EQ(ctx.eval("=DATE(2013,17,5)"), Value(41764.0)); // 2014-05-05
    EXPECT_EQ(ctx.eval("=DATE(2014,6,0)"), Value(41790.0));
    EXPECT_EQ(ctx.eval("=DATE(2014,0,1)"), Value(41609.0)); // 2013-12-01
    EXPECT_EQ(ctx.eval("=DATE(114,5,31)"), Value(41790.0));

    const std::tuple<const char*, int, int, int> parts[] = {
        {"1", 1900, 1, 1}, {"59", 1900, 2, 28}, {"60", 1900, 2, 29}, {"61", 1900, 3, 1}, {"41790.99", 2014, 5, 31},
        {"41644", 2014, 1, 5}, {"0", 1900, 1, 0}, {"2958465", 9999, 12, 31}};
    for (const auto& [serial, y, m, d] : parts) {
        EXPECT_EQ(ctx.eval(std::string("=YEAR(") + serial + ")"), Value(y)) << serial;
        EXPECT_EQ(ctx.eval(std::string("=MONTH(") + serial + ")"), Value(m)) << serial;
        EXPECT_EQ(ctx.eval(std::string("=DAY(") + serial + ")"), Value(d)) << serial;
    }
    EXPECT_EQ(ctx.eval("=DAY(-1)"), Value(ErrorCode::num));
    EXPECT_EQ(ctx.eval("=YEAR(2958466)"), Value(ErrorCode::num));
    EXPECT_EQ(ctx.eval("=DAY(\"2014-05-31\")"), Value(31.0)); // text goes through VALUE
    EXPECT_EQ(ctx.eval("=WEEKDAY(41790)"), Value(7.0));        // a Saturday
    EXPECT_EQ(ctx.eval("=WEEKDAY(1)"), Value(1.0));            // the 1900 system's Sunday
    EXPECT_EQ(ctx.eval("=WEEKDAY(1,1E10)"), Value(ErrorCode::num)); // a type far outside int
}

TEST(Dates, TimesInWholeSecondsAndRounding)
{
    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=TIME(18,0,0)"), Value(0.75)); // exactly
    EXPECT_EQ(ctx.eval("=TIME(12,0,0)"), Value(0.5));
    EXPECT_EQ(ctx.eval("=TIME(25,0,0)"), ctx.eval("=TIME(1,0,0)")); // wraps at a day
    EXPECT_EQ(ctx.eval("=TIME(0,-1,0)"), Value(ErrorCode::num));
    EXPECT_DOUBLE_EQ(ctx.eval("=TIME(0,0,1.5)*86400").number(), 1.5); // fractional seconds stay
    EXPECT_EQ(ctx.eval("=TIME(9.9,5,7)"), ctx.eval("=TIME(9,5,7)")); // hours are whole

    EXPECT_EQ(ctx.eval("=HOUR(41790.75)"), Value(18.0));
    EXPECT_EQ(ctx.eval("=MINUTE(41790.75)"), Value(0.0));
    EXPECT_EQ(ctx.eval("=SECOND(41790.75)"), Value(0.0));
    // 17:59:59.6 rounds to the next second, and so up through the minute and the hour.
    EXPECT_EQ(ctx.eval("=HOUR(41790+TIME(17,59,59.6))"), Value(18.0));
    EXPECT_EQ(ctx.eval("=MINUTE(41790+TIME(17,59,59.6))"), Value(0.0));
    EXPECT_EQ(ctx.eval("=SECOND(41790+TIME(9,5,7.4))"), Value(7.0));
    EXPECT_EQ(ctx.eval("=HOUR(0.99999999)"), Value(0.0)); // rounds to midnight
    EXPECT_EQ(ctx.eval("=HOUR(\"18:30\")"), Value(18.0));
}

TEST(NumberText, FifteenSignificantDigitsInGeneralFormat)
{
    EXPECT_EQ(general_number_text(0.1 + 0.2), "0.3");
    EXPECT_EQ(general_number_text(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(general_number_text(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(general_number_text(1e21), "1E+21");
    EXPECT_EQ(general_number_text(1e20), "1E+20");
    EXPECT_EQ(general_number_text(123456789012345.0), "123456789012345");
    EXPECT_EQ(general_number_text(1234567890123456.0), "1.23456789012346E+15");
    EXPECT_EQ(general_number_text(-0.0), "0");
    EXPECT_EQ(general_number_text(-1.5), "-1.5");
    EXPECT_EQ(general_number_text(41790), "41790");
    EXPECT_EQ(general_number_text(0.000001), "0.000001");
    EXPECT_EQ(general_number_text(1e-10), "1E-10");
    EXPECT_EQ(general_number_text(1.5e-12), "1.5E-12");
    EXPECT_EQ(general_number_text(1e100), "1E+100");
    EXPECT_EQ(general_number_text(100), "100");

    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=CONCATENATE(0.1+0.2)"), Value(u"0.3"));
    EXPECT_EQ(ctx.eval("=CONCATENATE(1/3)"), Value(u"0.333333333333333"));
    EXPECT_EQ(ctx.eval("=CONCATENATE(1E+21,\"|\",-0,\"|\",TRUE,\"|\",C9,\"|\",FALSE)"), Value(u"1E+21|0|TRUE||FALSE"));
    EXPECT_EQ(ctx.eval("=CONCATENATE(\"a\",#N/A,#REF!)"), Value(ErrorCode::na));
    EXPECT_EQ(ctx.eval("=CONCATENATE(\"x\",)"), Value(u"x"));
}

TEST(Text, TextFormats)
{
    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=TEXT(5,\"00\")"), Value(u"05"));
    EXPECT_EQ(ctx.eval("=TEXT(123,\"00\")"), Value(u"123"));
    EXPECT_EQ(ctx.eval("=TEXT(5.5,\"0\")"), Value(u"6"));
    EXPECT_EQ(ctx.eval("=TEXT(-5,\"00\")"), Value(u"-05"));
    EXPECT_EQ(ctx.eval("=TEXT(0.1+0.2,\"General\")"), Value(u"0.3"));
    EXPECT_EQ(ctx.eval("=TEXT(1234.5,\"#,##0.00\")"), Value(u"1,234.50"));
    EXPECT_EQ(ctx.eval("=TEXT(0.256,\"0.0%\")"), Value(u"25.6%"));
    EXPECT_EQ(ctx.eval("=TEXT(41790.75,\"yyyy-mm-dd hh:mm:ss\")"), Value(u"2014-05-31 18:00:00"));
    EXPECT_EQ(ctx.eval("=TEXT(41644,\"d mmm yy\")"), Value(u"5 Jan 14"));
    EXPECT_EQ(ctx.eval("=TEXT(0.75,\"h AM/PM\")"), Value(u"6 PM"));
    EXPECT_EQ(ctx.eval("=TEXT(\"abc\",\"00\")"), Value(u"abc"));
    EXPECT_EQ(ctx.eval("=TEXT(-2,\"0;(0)\")"), Value(u"(2)"));
}

TEST(Text, ValueReadsTextTheWayTheSpreadsheetDoes)
{
    const std::pair<const char16_t*, double> readable[] = {
        {u" 42 ", 42},         {u"-1.5", -1.5},       {u"+3", 3},          {u"1,234.5", 1234.5}, {u"50%", 0.5},
        {u"$12", 12},          {u"-$12", -12},        {u"1e3", 1000},      {u"(7)", -7},         {u".5", 0.5},
        {u"2014-05-31", 41790}, {u"5/31/2014", 41790}, {u"31-May-2014", 41790}, {u"May 31, 2014", 41790},
        {u"18:00", 0.75},      {u"6:00 PM", 0.75},    {u"2014-05-31 18:00", 41790.75}, {u"1900-02-29", 60}};
    for (const auto& [text, expected] : readable) {
        auto n = number_from_text(text);
        ASSERT_TRUE(n.has_value()) << utf16_to_utf8(text);
        EXPECT_DOUBLE_EQ(*n, expected);
    }
    for (const char16_t* text : {u"", u"abc", u"1,23", u"12a", u"1e", u"2014-02-30", u"1899-12-31", u"25:61", u"--1", u"1.2.3"})
        EXPECT_FALSE(number_from_text(text).has_value()) << utf16_to_utf8(text);

    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=VALUE(\"1,234.5\")"), Value(1234.5));
    EXPECT_EQ(ctx.eval("=VALUE(7)"), Value(7.0));
    EXPECT_EQ(ctx.eval("=VALUE(\"x\")"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=VALUE(#N/A)"), Value(ErrorCode::na));
}

TEST(Text, SearchFindLeftLenRept)
{
    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=SEARCH(\"B\",\"abcb\")"), Value(2.0));
    EXPECT_EQ(ctx.eval("=SEARCH(\"b\",\"abcb\",3)"), Value(4.0));
    EXPECT_EQ(ctx.eval("=SEARCH(\"a?c\",\"xxabc\")"), Value(3.0));
    EXPECT_EQ(ctx.eval("=SEARCH(\"b*d\",\"abcxd\")"), Value(2.0));
    EXPECT_EQ(ctx.eval("=SEARCH(\"~*\",\"a*b\")"), Value(2.0));
    EXPECT_EQ(ctx.eval("=SEARCH(\"z\",\"abc\")"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=SEARCH(\"\",\"abc\")"), Value(1.0));
    EXPECT_EQ(ctx.eval("=SEARCH(\"a\",\"abc\",5)"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=FIND(\"B\",\"abcB\")"), Value(4.0)); // case matters
    EXPECT_EQ(ctx.eval("=FIND(\"?\",\"ab?\")"), Value(3.0)); // no wildcards
    EXPECT_EQ(ctx.eval("=FIND(\"x\",\"abc\")"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=LEFT(\"abc\")"), Value(u"a"));
    EXPECT_EQ(ctx.eval("=LEFT(\"abc\",10)"), Value(u"abc"));
    EXPECT_EQ(ctx.eval("=LEFT(\"abc\",-1)"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=LEFT(12345,2)"), Value(u"12"));
    EXPECT_EQ(ctx.eval("=LEN(\"Müller\")"), Value(6.0));
    EXPECT_EQ(ctx.eval("=LEN(1/3)"), Value(17.0));
    EXPECT_EQ(ctx.eval("=LEN(REPT(\"ab\",3))"), Value(6.0));
    EXPECT_EQ(ctx.eval("=REPT(\"a\",32768)"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=LEN(REPT(\"a\",32767))"), Value(32767.0));
    EXPECT_EQ(ctx.eval("=REPT(\"\",1E9)"), Value(u"")); // at once, not a billion empty appends
}

TEST(Text, CaseTrimAndPiecesAsTheHelpShowsThem)
{
    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=UPPER(\"total\")"), Value(u"TOTAL"));
    EXPECT_EQ(ctx.eval("=UPPER(\"Yield\")"), Value(u"YIELD"));
    EXPECT_EQ(ctx.eval("=LOWER(\"E. E. Cummings\")"), Value(u"e. e. cummings"));
    EXPECT_EQ(ctx.eval("=LOWER(\"Apt. 2B\")"), Value(u"apt. 2b"));
    EXPECT_EQ(ctx.eval("=UPPER(\"müller ŝ σ ж\")"), Value(u"MÜLLER Ŝ Σ Ж"));
    EXPECT_EQ(ctx.eval("=LOWER(\"MÜLLER Ŝ ΣΑ Ж Ÿ İ\")"), Value(u"müller ŝ σα ж ÿ İ")); // no partner: kept
    EXPECT_EQ(ctx.eval("=UPPER(TRUE)&LOWER(1E+21)"), Value(u"TRUE1e+21"));
    EXPECT_EQ(ctx.eval("=LOWER(#N/A)"), Value(ErrorCode::na));

    EXPECT_EQ(ctx.eval("=TRIM(\" First Quarter   Earnings \")"), Value(u"First Quarter Earnings"));
    EXPECT_EQ(ctx.eval("=TRIM(\"   \")"), Value(u""));

    EXPECT_EQ(ctx.eval("=LEFT(\"Sale Price\",4)"), Value(u"Sale"));
    EXPECT_EQ(ctx.eval("=LEFT(\"Sweden\")"), Value(u"S"));
    EXPECT_EQ(ctx.eval("=RIGHT(\"Sale Price\",5)"), Value(u"Price"));
    EXPECT_EQ(ctx.eval("=RIGHT(\"Stock Number\")"), Value(u"r"));
    EXPECT_EQ(ctx.eval("=RIGHT(\"abc\",0)&RIGHT(\"abc\",9)"), Value(u"abc"));
    EXPECT_EQ(ctx.eval("=RIGHT(\"abc\",-1)"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=MID(\"Fluid Flow\",1,5)"), Value(u"Fluid"));
    EXPECT_EQ(ctx.eval("=MID(\"Fluid Flow\",7,20)"), Value(u"Flow"));
    EXPECT_EQ(ctx.eval("=MID(\"Fluid Flow\",20,5)"), Value(u""));
    EXPECT_EQ(ctx.eval("=MID(\"Fluid Flow\",0,5)"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=MID(\"Fluid Flow\",1,-1)"), Value(ErrorCode::value));
}

TEST(Text, SubstituteAndTextjoin)
{
    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=SUBSTITUTE(\"Sales Data\",\"Sales\",\"Cost\")"), Value(u"Cost Data"));
    EXPECT_EQ(ctx.eval("=SUBSTITUTE(\"Quarter 1, 2008\",\"1\",\"2\",1)"), Value(u"Quarter 2, 2008"));
    EXPECT_EQ(ctx.eval("=SUBSTITUTE(\"Quarter 1, 2011\",\"1\",\"2\",3)"), Value(u"Quarter 1, 2012"));
    EXPECT_EQ(ctx.eval("=SUBSTITUTE(\"aaaa\",\"aa\",\"b\")"), Value(u"bb"));
    EXPECT_EQ(ctx.eval("=SUBSTITUTE(\"aaa\",\"aa\",\"b\",2)"), Value(u"aaa")); // occurrences do not overlap
    EXPECT_EQ(ctx.eval("=SUBSTITUTE(\"abc\",\"B\",\"x\")"), Value(u"abc")); // case matters
    EXPECT_EQ(ctx.eval("=SUBSTITUTE(\"abc\",\"\",\"x\")"), Value(u"abc"));
    EXPECT_EQ(ctx.eval("=SUBSTITUTE(\"abc\",\"b\",\"x\",9)"), Value(u"abc"));
    EXPECT_EQ(ctx.eval("=SUBSTITUTE(\"abc\",\"b\",\"x\",0)"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=SUBSTITUTE(REPT(\"a\",20000),\"a\",\"bb\")"), Value(ErrorCode::value));

    // The help's currencies; a block with an empty row; and addresses joined by a row of
    // delimiters used in turn.
    ctx.put("A2", {{u"US Dollar"}, {u"Australian Dollar"}, {u"Chinese Yuan"}, {u"Hong Kong Dollar"}, {u"Israeli Shekel"},
                   {u"South Korean Won"}, {u"Russian Ruble"}});
    EXPECT_EQ(ctx.eval("=TEXTJOIN(\", \",TRUE,A2:A8)"),
              Value(u"US Dollar, Australian Dollar, Chinese Yuan, Hong Kong Dollar, Israeli Shekel, South Korean Won, Russian Ruble"));
    ctx.put("C2", {{u"a1", u"b1"}, {u"a2", u"b2"}, {Nil{}, Nil{}}, {u"a4", u"b4"}, {u"a5", u"b5"}, {u"a6", u"b6"}, {u"a7", u"b7"}});
    EXPECT_EQ(ctx.eval("=TEXTJOIN(\", \",TRUE,C2:D8)"), Value(u"a1, b1, a2, b2, a4, b4, a5, b5, a6, b6, a7, b7"));
    EXPECT_EQ(ctx.eval("=TEXTJOIN(\", \",FALSE,C2:D4)"), Value(u"a1, b1, a2, b2, , "));
    ctx.put("F2", {{u"Tulsa", u"OK", 74133, u"US"},
                   {u"Seattle", u"WA", 98109, u"US"},
                   {u"Iselin", u"NJ", u"08830", u"US"},
                   {u"Fort Lauderdale", u"FL", 33309, u"US"},
                   {u"Tempe", u"AZ", 85285, u"US"},
                   {u"end"},
                   {u",", u",", u",", u";"}});
    EXPECT_EQ(ctx.eval("=TEXTJOIN(F8:I8,TRUE,F2:I7)"),
              Value(u"Tulsa,OK,74133,US;Seattle,WA,98109,US;Iselin,NJ,08830,US;Fort Lauderdale,FL,33309,US;Tempe,AZ,85285,US;end"));
    EXPECT_EQ(ctx.eval("=TEXTJOIN(\"\",TRUE,1/4,TRUE,\"\",,\"x\")"), Value(u"0.25TRUEx"));
    EXPECT_EQ(ctx.eval("=TEXTJOIN(\"-\",FALSE,\"a\",,\"b\")"), Value(u"a--b"));
    EXPECT_EQ(ctx.eval("=TEXTJOIN(\"-\",TRUE,\"a\",{1,#DIV/0!})"), Value(ErrorCode::div0));
    EXPECT_EQ(ctx.eval("=TEXTJOIN(#N/A,TRUE,\"a\")"), Value(ErrorCode::na));
    EXPECT_EQ(ctx.eval("=TEXTJOIN(\",\",TRUE,REPT(\"a\",20000),REPT(\"b\",20000))"), Value(ErrorCode::value));
}

TEST(Text, TextsplitCutsRowsThenColumns)
{
    FakeContext ctx;
    const std::pair<const char*, const char*> cases[] = {
        // The help's examples: a name at blanks, rows and columns, short rows padded.
        {"=TEXTSPLIT(\"Dakota Lennon Sanchez\",\" \")", "={\"Dakota\",\"Lennon\",\"Sanchez\"}"},
        {"=TEXTSPLIT(\"1,2,3;4,5,6\",\",\",\";\")", "={\"1\",\"2\",\"3\";\"4\",\"5\",\"6\"}"},
        {"=TEXTSPLIT(\"Do. Or do not. There is no try. -Anonymous\",\".\")",
         "={\"Do\",\" Or do not\",\" There is no try\",\" -Anonymous\"}"},
        {"=TEXTSPLIT(\"Do. Or do not. There is no try. -Anonymous\",,\".\")",
         "={\"Do\";\" Or do not\";\" There is no try\";\" -Anonymous\"}"},
        {"=TEXTSPLIT(\"Do. Or do not. There is no try. -Anonymous\",{\".\",\"-\"},,TRUE)",
         "={\"Do\",\" Or do not\",\" There is no try\",\" \",\"Anonymous\"}"},
        {"=TEXTSPLIT(\"1,2,3;4,5\",\",\",\";\")", "={\"1\",\"2\",\"3\";\"4\",\"5\",#N/A}"},
        {"=TEXTSPLIT(\"1,2,3;4,5\",\",\",\";\",,,\"-\")", "={\"1\",\"2\",\"3\";\"4\",\"5\",\"-\"}"},
        // Empty pieces kept or left out, case, the longest delimiter at a place.
        {"=TEXTSPLIT(\"a,,b\",\",\")", "={\"a\",\"\",\"b\"}"},
        {"=TEXTSPLIT(\"a,,b;;c\",\",\",\";\",TRUE)", "={\"a\",\"b\";\"c\",#N/A}"},
        {"=TEXTSPLIT(\"1x2X3\",\"x\")", "={\"1\",\"2X3\"}"},
        {"=TEXTSPLIT(\"1x2X3\",\"x\",,,1)", "={\"1\",\"2\",\"3\"}"},
        {"=TEXTSPLIT(\"a--b-c\",{\"-\",\"--\"})", "={\"a\",\"b\",\"c\"}"},
        {"=TEXTSPLIT(\"a\",\"\")", "=#VALUE!"},
        {"=TEXTSPLIT(\"a\",,)", "=#VALUE!"},
        {"=TEXTSPLIT(\",\",\",\",,TRUE)", "=#CALC!"},
        {"=TEXTSPLIT({\"a,b\";\"c,d\"},\",\")", "={\"a\";\"c\"}"}};
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(ctx.eval(formula), ctx.eval(expected)) << formula;
}

// IFERROR's fallback is evaluated only when it is needed; a registered function counts its calls.
class CountingContext : public FakeContext {
public:
    int calls = 0;
    std::optional<int> registered_arity(std::string_view name) override
    {
        return name == "tick" ? std::optional<int>(0) : std::nullopt;
    }
    Value call_registered(std::string_view, std::vector<Value>) override { return ++calls; }
};

TEST(Info, IferrorGivesTheFallbackForErrorsOnly)
{
    CountingContext ctx;
    // The help's quotas and units sold.
    ctx.put("A2", {{210, 35}, {55, 0}, {Nil{}, 23}});
    EXPECT_EQ(ctx.eval("=IFERROR(A2/B2,\"Error in calculation\")"), Value(6.0));
    EXPECT_EQ(ctx.eval("=IFERROR(A3/B3,\"Error in calculation\")"), Value(u"Error in calculation"));
    EXPECT_EQ(ctx.eval("=IFERROR(A4/B4,\"Error in calculation\")"), Value(0.0));
    EXPECT_EQ(ctx.eval("=IFERROR(C9,1)"), Value(u"")); // an empty cell reads as ""
    EXPECT_EQ(ctx.eval("=IFERROR(#N/A,C9)"), Value(u""));
    EXPECT_EQ(ctx.eval("=IFERROR(A2:A3/B2:B3,-1)"), ctx.eval("={6;-1}"));
    EXPECT_EQ(ctx.eval("=IFERROR(#REF!,#N/A)"), Value(ErrorCode::na));
    EXPECT_EQ(ctx.eval("=IFERROR(1,tick())"), Value(1.0));
    EXPECT_EQ(ctx.calls, 0);
    EXPECT_EQ(ctx.eval("=IFERROR(1/0,tick())"), Value(1.0));
    EXPECT_EQ(ctx.calls, 1);
}

TEST(Info, IfnaAndChooseEvaluateOnlyWhatTheyGiveBack)
{
    CountingContext ctx;
    // IFNA's help: a region looked up that the table lacks.
    ctx.put("A5", {{u"Atlanta", 105}, {u"Portland", 142}, {u"Chicago", 175}, {u"Los Angeles", 186}, {u"Boise", 132}, {u"Phoenix", 126}});
    EXPECT_EQ(ctx.eval("=IFNA(VLOOKUP(\"Seattle\",$A$5:$B$10,2,0),\"Not found\")"), Value(u"Not found"));
    EXPECT_EQ(ctx.eval("=IFNA(VLOOKUP(\"Boise\",$A$5:$B$10,2,0),\"Not found\")"), Value(132.0));
    EXPECT_EQ(ctx.eval("=IFNA(1/0,0)"), Value(ErrorCode::div0)); // other errors stay
    EXPECT_EQ(ctx.eval("=SUM(IFNA({1;#N/A;2},0))"), Value(3.0));
    EXPECT_EQ(ctx.eval("=IFNA(C99,1)"), Value(u""));
    // CHOOSE's help: the second of four values, a text among numbers, and an index past them.
    ctx.put("D2", {{u"1st", u"Nails"}, {u"2nd", u"Screws"}, {u"Finished", u"Nuts"}, {u"Nails", u"Bolts"}});
    EXPECT_EQ(ctx.eval("=CHOOSE(2,D2,D3,D4,D5)"), Value(u"2nd"));
    EXPECT_EQ(ctx.eval("=CHOOSE(4,E2,E3,E4,E5)"), Value(u"Bolts"));
    EXPECT_EQ(ctx.eval("=CHOOSE(3,\"Wide\",115,\"world\",8)"), Value(u"world"));
    EXPECT_EQ(ctx.eval("=CHOOSE(2.9,\"a\",\"b\")"), Value(u"b"));
    EXPECT_EQ(ctx.eval("=CHOOSE(3,\"a\",\"b\")"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=CHOOSE({1,2},\"a\",\"b\")"), ctx.eval("={\"a\",\"b\"}"));
    EXPECT_EQ(ctx.eval("=ROWS(OFFSET(CHOOSE(2,D2,E2),1,0,2))"), Value(2.0)); // a chosen reference stays one
    EXPECT_EQ(ctx.eval("=CHOOSE(1,1,tick())+IFNA(1,tick())+IF(TRUE,1,tick())"), Value(3.0));
    EXPECT_EQ(ctx.calls, 0);
    EXPECT_EQ(ctx.eval("=IF({TRUE,FALSE},1,tick())"), ctx.eval("={1,1}")); // an array condition takes both
    EXPECT_EQ(ctx.calls, 1);
}

TEST(Info, LetNamesItsValuesForWhatFollows)
{
    CountingContext ctx;
    ctx.put("A1", {{1}, {2}, {3}});
    const std::pair<const char*, Value> cases[] = {
        {"=LET(x,1,x+1)", 2.0},
        {"=LET(x,5,y,x*2,x+y)", 15.0},               // later values see earlier names
        {"=LET(Total,2,total*3)", 6.0},               // without regard to case
        {"=LET(r,A1:A3,ROWS(r)&\"/\"&SUM(r))", Value(u"3/6")}, // a reference stays one
        {"=LET(x,1,LET(x,2,x)+x)", 3.0},              // an inner name hides the outer only inside
        {"=LET(t,tick(),t+t)", 2.0},                  // each value is evaluated once
    };
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(ctx.eval(formula), expected) << formula;
    for (const char* wrong : {"=LET(x,1)", "=LET(x,1,y,2)", "=LET(A1,1,A1)", "=LET(x,1,y)", "=x+LET(x,1,x)"})
        EXPECT_THROW(ctx.eval(wrong), UsageError) << wrong;
}

TEST(Arrays, IndexRowsColumnsAndElementWiseFunctions)
{
    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=INDEX({1,2;3,4},2,1)"), Value(3.0));
    EXPECT_EQ(ctx.eval("=INDEX({1,2,3},2)"), Value(2.0)); // one row: the index runs along it
    EXPECT_EQ(ctx.eval("=INDEX({1;2;3},3)"), Value(3.0));
    EXPECT_EQ(ctx.eval("=INDEX({1,2;3,4},3,1)"), Value(ErrorCode::ref));
    EXPECT_EQ(ctx.eval("=INDEX({1,2;3,4},0,2)"), ctx.eval("={2;4}"));
    EXPECT_EQ(ctx.eval("=ROWS({1,2;3,4;5,6})"), Value(3.0));
    EXPECT_EQ(ctx.eval("=COLUMNS({1,2;3,4;5,6})"), Value(2.0));
    EXPECT_EQ(ctx.eval("=ROWS(A1:B7)"), Value(7.0));
    EXPECT_EQ(ctx.eval("=COLUMNS(5)"), Value(1.0));
    EXPECT_EQ(ctx.eval("=LEN({\"a\",\"bb\"})"), ctx.eval("={1,2}"));
    EXPECT_EQ(ctx.eval("=ISERROR({1,#N/A})"), ctx.eval("={FALSE,TRUE}"));
    EXPECT_EQ(ctx.eval("=IF({TRUE,FALSE},{1,2},{3,4})"), ctx.eval("={1,4}"));
}

TEST(Info, PredicatesIfIntRand)
{
    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=ISERROR(#N/A)"), Value(true));
    EXPECT_EQ(ctx.eval("=ISERROR(1)"), Value(false));
    EXPECT_EQ(ctx.eval("=ISNA(#N/A)"), Value(true));
    EXPECT_EQ(ctx.eval("=ISNA(#VALUE!)"), Value(false));
    EXPECT_EQ(ctx.eval("=ISNUMBER(\"1\")"), Value(false)); // no conversion in the IS functions
    EXPECT_EQ(ctx.eval("=ISTEXT(\"1\")"), Value(true));
    EXPECT_EQ(ctx.eval("=IF(1,\"y\",\"n\")"), Value(u"y"));
    EXPECT_EQ(ctx.eval("=IF(0,\"y\")"), Value(false));
    EXPECT_EQ(ctx.eval("=IF(\"maybe\",1,2)"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=IF(TRUE,1,1/0)"), Value(1.0)); // the other branch is not evaluated
    EXPECT_EQ(ctx.eval("=INT(-1.5)"), Value(-2.0));
    EXPECT_EQ(ctx.eval("=RAND()"), Value(0.25));
    EXPECT_EQ(ctx.eval("=NOW()"), Value(41790.75));
    EXPECT_EQ(ctx.eval("=TODAY()"), Value(41790.0)); // the host clock's day
    EXPECT_EQ(ctx.eval("=YEAR(TODAY())-1963"), Value(51.0));
}

// A cell holding an array (a query's result) is that array for every built-in reading a
// reference to it, and A1# says so as the spreadsheet writes it.
TEST(Arrays, ACellHoldingAnArrayIsReadAsThatArrayEverywhere)
{
    FakeContext ctx;
    ctx.cells[{1, 1}] = ctx.eval("={\"a\";\"b\";\"a\"}"); // B2
    ctx.cells[{1, 2}] = ctx.eval("={1;2;3}");             // C2
    ctx.cells[{1, 3}] = 5.0;                              // D2: no array
    const std::pair<const char*, Value> cases[] = {
        {"=SUMIF(B2,\"a\",C2)", 4.0},  {"=SUMIF(B2#,\"a\",C2#)", 4.0}, {"=COUNTIF(B2,\"a\")", 2.0},
        {"=AVERAGEIF(B2,\"a\",C2)", 2.0}, {"=SUMIFS(C2,B2,\"a\",C2,\">1\")", 3.0}, {"=COUNTIFS(B2,\"a\",C2,\"<3\")", 1.0},
        {"=ROWS(B2)", 3.0},               {"=COLUMNS(B2#)", 1.0},           {"=ROWS(D2)", 1.0},
        {"=SUM(C2#)", 6.0},               {"=COUNTA(B2)", 3.0},             {"=INDEX(C2#,3)", 3.0},
        {"=MATCH(\"b\",B2,0)", 2.0},      {"=XLOOKUP(\"b\",B2#,C2#)", 2.0}, {"=ROWS(UNIQUE(B2#))", 2.0},
        {"=SUM(FILTER(C2,B2=\"a\"))", 4.0}, {"=D2#", ErrorCode::ref},       {"=ROWS(OFFSET(B2,1,0))", 1.0}};
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(ctx.eval(formula), expected) << formula;
}

TEST(Table, NamesAndNumbersAgree)
{
    // The callbacks find built-ins by number, formulas by name: both must reach the same entry.
    const std::pair<const char*, int> expected[] = {
        {"DATE", xlfDate},   {"TIME", xlfTime},     {"DAY", xlfDay},         {"MONTH", xlfMonth}, {"YEAR", xlfYear},
        {"HOUR", xlfHour},   {"MINUTE", xlfMinute}, {"SECOND", xlfSecond},   {"TEXT", xlfText},   {"CONCATENATE", xlfConcatenate},
        {"LEN", xlfLen},     {"NOW", xlfNow},       {"VALUE", xlfValue},     {"SEARCH", 82},      {"FIND", 124},
        {"LEFT", 115},       {"INDEX", xlfIndex},   {"ROWS", xlfRows},       {"COLUMNS", xlfColumns}, {"IF", xlfIf},
        {"ISERROR", xlfIserror}, {"ISNA", xlfIsna}, {"ISNUMBER", xlfIsnumber}, {"ISTEXT", xlfIstext}, {"INT", xlfInt},
        {"RAND", xlfRand},   {"REPT", xlfRept},     {"AVERAGE", 5},          {"MIN", 6},          {"MAX", 7},
        {"VLOOKUP", 102},    {"LOWER", 112},        {"UPPER", 113},          {"SUBSTITUTE", 120}, {"SUMIF", 345},
        {"COUNTIF", 346},    {"IFERROR", 480},      {"MATCH", 64},           {"CHOOSE", 100},     {"HLOOKUP", 101},
        {"COUNTA", 169},     {"ROUNDUP", 212},      {"ROUNDDOWN", 213},      {"TODAY", 221},      {"COUNTBLANK", 347},
        {"COUNTIFS", 481},   {"SUMIFS", 482},       {"AVERAGEIF", 483},      {"AVERAGEIFS", 484}};
    for (const auto& [name, number] : expected) {
        const Builtin* by_name = find_builtin(name);
        ASSERT_NE(by_name, nullptr) << name;
        EXPECT_EQ(by_name, find_builtin_number(number)) << name;
    }
    EXPECT_EQ(find_builtin("concatenate"), find_builtin("CONCATENATE"));
    EXPECT_EQ(find_builtin("NOSUCH"), nullptr);
}

} // namespace
} // namespace zorvane::host::test
