// The REGEX functions through the headless host: arguments converted by their registered types,
// the flag constants added up in formulas, alerts on standard error.
#include <gtest/gtest.h>

#include "support/process.h"
#include "text/sheet.h"

namespace {

std::string eval(const std::string& formula)
{
    auto r = test::eval_csv({formula});
    EXPECT_EQ(r.status, 0) << formula << "\n" << r.err;
    EXPECT_EQ(r.err, "") << formula;
    return r.out;
}

} // namespace

TEST(RegexE2E, TheFlagConstants)
{
    auto r = test::eval_csv({"=REGEX_FORMAT_DEFAULT()&\",\"&REGEX_FORMAT_FIRST_ONLY()&\",\"&REGEX_FORMAT_NO_COPY()&\",\"&"
                             "REGEX_FORMAT_SED()&\",\"&REGEX_MATCH_ANY()&\",\"&REGEX_MATCH_CONTINUOUS()&\",\"&"
                             "REGEX_MATCH_DEFAULT()",
                             "=REGEX_MATCH_NOT_BOL()&\",\"&REGEX_MATCH_NOT_BOW()&\",\"&REGEX_MATCH_NOT_EOL()&\",\"&"
                             "REGEX_MATCH_NOT_EOW()&\",\"&REGEX_MATCH_NOT_NULL()&\",\"&REGEX_MATCH_PREV_AVAIL()"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"0,4096,2048,1024,16,64,0\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"1,4,2,8,32,256\""), std::string::npos) << r.out;
    // Flags combine by addition.
    EXPECT_EQ(eval("=REGEX.MATCH(\"a\",\"^a$\",REGEX_MATCH_NOT_BOL()+REGEX_MATCH_NOT_EOL())"), "FALSE\n");
    EXPECT_EQ(eval("=REGEX.MATCH(\"a\",\"^a\",REGEX_MATCH_NOT_EOL())"), "TRUE\n");
}

TEST(RegexE2E, MatchCellByCell)
{
    EXPECT_EQ(eval("=REGEX.MATCH(\"123\",\"\\d+\")"), "TRUE\n");
    EXPECT_EQ(eval("=REGEX.MATCH(\"a123\",\"\\d+\")"), "FALSE\n");
    EXPECT_EQ(eval("=REGEX.MATCH(\"ABC\",\"abc\")"), "FALSE\n");
    EXPECT_EQ(eval("=REGEX.MATCH(123,\"\\d+\")"), "#N/A\n"); // a number is not text
    EXPECT_EQ(eval("=REGEX.MATCH({\"1\",\"x\";\"22\",TRUE},\"\\d+\")"), "TRUE,FALSE\nTRUE,#N/A\n");

    auto r = test::run_sheet("A1: 'abc\nA2: 42\nB2: 'x\nC1: =\"\"\n"
                             "print =REGEX.MATCH(A1:B2,\"[a-z]+\")\nprint =REGEX.MATCH(C1,\"a*\")\n"
                             "print =REGEX.MATCH(D1,\"a\")\nprint =REGEX.REPLACE(D1,\"a\",\"b\")\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "TRUE,#N/A\n#N/A,TRUE\nTRUE\n\n\n"); // an empty subject gives the missing value
}

TEST(RegexE2E, ABadPatternIsAnAlertAndNA)
{
    auto r = test::run_sheet("print =REGEX.MATCH(D1,\"(\")\nprint =REGEX.SEARCH(\"a\",\"[\")\n"
                             "print =REGEX.REPLACE({\"a\",\"b\"},\"*\",\"\")\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "#N/A\n#N/A\n#N/A\n");
    EXPECT_EQ(r.err, "Error: regular expression error\nError: regular expression error\n"
                     "Error: regular expression error\n");
}

TEST(RegexE2E, ReplaceWithEachFormatFlag)
{
    EXPECT_EQ(eval("=REGEX.REPLACE(\"a1b22\",\"\\d+\",\"#\")"), "a#b#\n");
    EXPECT_EQ(eval("=REGEX.REPLACE(\"a1b22\",\"\\d+\",\"#\",REGEX_FORMAT_FIRST_ONLY())"), "a#b22\n");
    EXPECT_EQ(eval("=REGEX.REPLACE(\"a1b22\",\"\\d+\",\"#\",REGEX_FORMAT_NO_COPY())"), "##\n");
    EXPECT_EQ(eval("=REGEX.REPLACE(\"a1b22\",\"([a-z])(\\d+)\",\"\\2\\1&\",REGEX_FORMAT_SED())"), "1aa122bb22\n");
    EXPECT_EQ(eval("=REGEX.REPLACE(\"a1b22\",\"([a-z])(\\d+)\",\"$2$1$&\")"), "1aa122bb22\n");
    EXPECT_EQ(eval("=REGEX.REPLACE(\"xyz\",\"\\d\",\"#\")"), "xyz\n");
    EXPECT_EQ(eval("=REGEX.REPLACE({\"a1\";5},\"\\d\",\"#\")"), "a#\n#N/A\n");
}

TEST(RegexE2E, SearchFirstMatchAndGroups)
{
    EXPECT_EQ(eval("=REGEX.SEARCH(\"abc123def456\",\"\\d+\")"), "123\n");
    EXPECT_EQ(eval("=REGEX.SEARCH(\"abc123def456\",\"([a-z]+)(\\d+)\")"), "abc\n123\n");
    EXPECT_EQ(eval("=ISTEXT(REGEX.SEARCH(\"abc\",\"([a-z]+)(\\d+)?\"))"), "TRUE\nTRUE\n");
    EXPECT_EQ(eval("=LEN(REGEX.SEARCH(\"abc\",\"([a-z]+)(\\d+)?\"))"), "3\n0\n");
    EXPECT_EQ(eval("=REGEX.SEARCH(\"abc\",\"\\d\")"), "#NULL!\n");
    EXPECT_EQ(eval("=REGEX.SEARCH(12345,\"3.\")"), "34\n"); // the host turns the number into text
}

TEST(RegexE2E, TheCodePageEllipsisInAPattern)
{
    EXPECT_EQ(eval("=REGEX.MATCH(\"abcd\",\"a\u0085\")"), "TRUE\n");
    EXPECT_EQ(eval("=REGEX.MATCH(\"ab\",\"a\u0085\")"), "FALSE\n");
}

TEST(RegexE2E, AFullCell)
{
    EXPECT_EQ(eval("=REGEX.MATCH(REPT(\"a\",32767),\"(a|b)*\")"), "TRUE\n");
    EXPECT_EQ(eval("=REGEX.MATCH(REPT(\"ab\",16383)&\"a\",\"(a|b)*\")"), "TRUE\n");
    EXPECT_EQ(eval("=LEN(REGEX.REPLACE(REPT(\"a\",32767),\"a\",\"b\"))"), "32767\n");

    auto r = test::eval_csv({"=REGEX.REPLACE(REPT(\"a\",32767),\"^\",\"b\")"});
    EXPECT_EQ(r.out, "#N/A\n");
    EXPECT_NE(r.err.find("n <= limits<XLOPER12>::maxchars"), std::string::npos) << r.err;
}
