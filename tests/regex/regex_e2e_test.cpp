// What only the host shows: the constants added up in formulas, values converted by the
// registered argument types, ranges with empty cells, and the alerts.
#include <gtest/gtest.h>

#include "support/host_eval.h"
#include "text/sheet.h"

using test::eval;

TEST(RegexE2E, TheFlagConstantsAddUp)
{
    // Weighted, so that two constants swapped would show.
    EXPECT_EQ(eval("=REGEX_FORMAT_DEFAULT()+REGEX_MATCH_DEFAULT()"), "0\n");
    EXPECT_EQ(eval("=REGEX_FORMAT_FIRST_ONLY()+REGEX_FORMAT_NO_COPY()*10+REGEX_FORMAT_SED()*100"), "126976\n");
    EXPECT_EQ(eval("=REGEX_MATCH_ANY()+REGEX_MATCH_CONTINUOUS()*10+REGEX_MATCH_NOT_NULL()*100+REGEX_MATCH_PREV_AVAIL()*1000"),
              "259856\n");
    EXPECT_EQ(eval("=REGEX_MATCH_NOT_BOL()+REGEX_MATCH_NOT_BOW()*10+REGEX_MATCH_NOT_EOL()*100+REGEX_MATCH_NOT_EOW()*1000"),
              "8241\n");
    EXPECT_EQ(eval("=REGEX.MATCH(\"a\",\"^a$\",REGEX_MATCH_NOT_BOL()+REGEX_MATCH_NOT_EOL())"), "FALSE\n");
    EXPECT_EQ(eval("=REGEX.REPLACE(\"a1b22\",\"\\d+\",\"#\",REGEX_FORMAT_FIRST_ONLY())"), "a#b22\n");
}

TEST(RegexE2E, CellsOfARange)
{
    EXPECT_EQ(eval("=REGEX.MATCH(123,\"\\d+\")"), "#N/A\n"); // a number is not text
    EXPECT_EQ(eval("=REGEX.REPLACE({\"a1\";5},\"\\d\",\"#\")"), "a#\n#N/A\n");
    auto r = test::run_sheet("A1: 'abc\nA2: 42\nB2: 'x\nC1: =\"\"\n"
                             "print =REGEX.MATCH(A1:B2,\"[a-z]+\")\nprint =REGEX.MATCH(C1,\"a*\")\n"
                             "print =REGEX.MATCH(D1,\"a\")\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "TRUE,#N/A\n#N/A,TRUE\nTRUE\n\n"); // an empty subject gives the missing value
}

TEST(RegexE2E, SearchTakesTextAsTheHostWritesIt)
{
    EXPECT_EQ(eval("=REGEX.SEARCH(\"abc123def456\",\"([a-z]+)(\\d+)\")"), "abc\n123\n");
    EXPECT_EQ(eval("=REGEX.SEARCH(12345,\"3.\")"), "34\n");
    EXPECT_EQ(eval("=REGEX.SEARCH(\"abc\",\"\\d\")"), "#NULL!\n");
    EXPECT_EQ(eval("=REGEX.MATCH(\"abcd\",\"a\u0085\")"), "TRUE\n"); // typed as UTF-8
}

TEST(RegexE2E, FailuresAreAnAlertAndNA)
{
    auto r = test::run_sheet("print =REGEX.MATCH(D1,\"(\")\nprint =REGEX.SEARCH(\"a\",\"[\")\n"
                             "print =REGEX.REPLACE(REPT(\"a\",32767),\"^\",\"b\")\n");
    EXPECT_EQ(r.status, test::printed_failure_status);
    EXPECT_EQ(r.out, "#N/A\n#N/A\n#N/A\n");
    EXPECT_EQ(r.err.rfind("Error: regular expression error\nError: regular expression error\nError: file: traits\n", 0), 0u)
        << r.err;
}

TEST(RegexE2E, AFullCell)
{
    EXPECT_EQ(eval("=REGEX.MATCH(REPT(\"ab\",16383)&\"a\",\"(a|b)*\")"), "TRUE\n");
    EXPECT_EQ(eval("=LEN(REGEX.REPLACE(REPT(\"a\",32767),\"a\",\"b\"))"), "32767\n");
}
