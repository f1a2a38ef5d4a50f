// SQL literals through the headless host, as a user types them.
#include <gtest/gtest.h>

#include <string>

#include "support/host_eval.h"

using test::eval;

TEST(SqlLiterals, DatesAndTimes)
{
    EXPECT_EQ(eval("=zSQLDate(41790)"), "'2014-05-31'\n");
    EXPECT_EQ(eval("=zSQLDate(41790.99)"), "'2014-05-31'\n"); // the time of day is ignored
    EXPECT_EQ(eval("=zD(41644)"), "'2014-01-05'\n");           // one-digit month and day
    EXPECT_EQ(eval("=zDT(41790.75)"), "'2014-05-31 18:00:00'\n");
    EXPECT_EQ(eval("=zSQLDateTime(41644)"), "'2014-01-05 00:00:00'\n"); // a whole number is midnight
    EXPECT_EQ(eval("=zDT(41644+TIME(9,5,7))"), "'2014-01-05 09:05:07'\n");
    EXPECT_EQ(eval("=zSQLDate(60)"), "'1900-02-29'\n"); // the calendar is the host's
    EXPECT_EQ(eval("=zSQLDate(DATE(2024,2,29))"), "'2024-02-29'\n");
}

// The serial is rounded to the second once, so the day and the time come from the same moment:
// what the spreadsheet's own TEXT shows of it, never this day's date with the next day's midnight.
TEST(SqlLiterals, DateTimeIsRoundedOnceAsTextShowsIt)
{
    EXPECT_EQ(eval("=zDT(DATE(2024,12,31)+0.9999999)"), "'2025-01-01 00:00:00'\n");
    for (const char* x : {"DATE(2024,12,31)+0.9999999", "41790+0.5/86400", "41790+0.49/86400", "41790.75-0.4/86400",
                          "DATE(1900,2,28)+0.99999999"})
        EXPECT_EQ(eval(std::string("=zDT(") + x + ")=\"'\"&TEXT(" + x + ",\"yyyy-mm-dd hh:mm:ss\")&\"'\""), "TRUE\n")
            << x;
}

TEST(SqlLiterals, HostErrorsPassThrough)
{
    EXPECT_EQ(eval("=zSQLDate(-1)"), "#NUM!\n");
}

TEST(SqlLiterals, StringsAreAlwaysOneValidLiteral)
{
    EXPECT_EQ(eval("=zS(\"abc\")"), "'abc'\n");
    EXPECT_EQ(eval("=zS(\"\")"), "''\n");
    EXPECT_EQ(eval("=zSQLString(\"O'Brien\")"), "'O''Brien'\n");
    EXPECT_EQ(eval("=zS(\"  two  blanks \")"), "'  two  blanks '\n");
    EXPECT_EQ(eval("=zS(\"''\")"), "''''''\n");
    EXPECT_EQ(eval("=zS(\"Müller 日本\")"), "'Müller 日本'\n");
    EXPECT_EQ(eval("=zS(42)"), "'42'\n");
}

TEST(SqlLiterals, LongestTextThatFitsAndTheFirstThatDoesNot)
{
    // 32765 characters plus two quotes is the longest literal a cell holds.
    EXPECT_EQ(eval("=LEN(zS(REPT(\"a\",32765)))"), "32767\n");
    EXPECT_EQ(eval("=zS(REPT(\"a\",32766))"), "#VALUE!\n");
    // Doubling quotes can push a text that fits over the limit.
    EXPECT_EQ(eval("=LEN(zS(REPT(\"'\",16382)))"), "32766\n");
    EXPECT_EQ(eval("=zS(REPT(\"'\",16383))"), "#VALUE!\n");
}
