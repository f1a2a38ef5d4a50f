// zSplit, zJoin, zVersion and zFileLocation through the headless host: the numbers a field turns
// into and the text of joined values are the host's own decisions, so only the host can check them.
#include <gtest/gtest.h>

#include "sheet.h"
#include "support/host_eval.h"

using test::eval;

TEST(SplitE2E, Shapes)
{
    EXPECT_EQ(eval("=zSplit(\"1,2,3;4,5,6\",\",\",\";\")"), "1,2,3\n4,5,6\n");
    EXPECT_EQ(eval("=zSplit(\"x,y;z\",\",\",\";\")"), "x,y\nz,\n");
    EXPECT_EQ(eval("=zSplit(\"1;\",\",\",\";\")"), "1\n\n");
    EXPECT_EQ(eval("=zSplit(\"x y,z\",\", \",\"\")"), "x,y,z\n");
    EXPECT_EQ(eval("=zSplit(\"a,b;c\",\"\",\"\")"), "\"a,b;c\"\n"); // both sets empty: one cell
    EXPECT_EQ(eval("=zSplit(\"42\",\"\",\"\")"), "42\n");
    EXPECT_EQ(eval("=ROWS(zSplit(\"\",\",\",\";\"))&\"x\"&COLUMNS(zSplit(\"\",\",\",\";\"))"), "1x1\n");
}

TEST(SplitE2E, EmptyFieldsAreTextUnreachedCellsAreBlank)
{
    EXPECT_EQ(eval("=ISTEXT(zSplit(\"1,,2\",\",\",\"\"))"), "FALSE,TRUE,FALSE\n");
    EXPECT_EQ(eval("=ISBLANK(zSplit(\"1,2,\",\",\",\"\"))"), "FALSE,FALSE,TRUE\n");
}

TEST(SplitE2E, OnlyNonZeroNumbersBecomeNumbers)
{
    EXPECT_EQ(eval("=ISTEXT(zSplit(\"0;-0;0.00;abc;1\",\";\",\"\"))"), "TRUE,TRUE,TRUE,TRUE,FALSE\n");
    EXPECT_EQ(eval("=zSplit(\"0;-0;0.00\",\";\",\"\")"), "0,-0,0.00\n"); // exactly as written
    // Whatever the host's VALUE reads: thousands separators, percent, currency, dates, blanks.
    EXPECT_EQ(eval("=zSplit(\"1,234;50%;$12;2014-05-31; 12 ;18:00\",\";\",\"\")"), "1234,0.5,12,41790,12,0.75\n");
    EXPECT_EQ(eval("=ISNUMBER(zSplit(\"1,234;50%; 12 \",\";\",\"\"))"), "TRUE,TRUE,TRUE\n");
}

TEST(SplitE2E, TheColumnLimit)
{
    EXPECT_EQ(eval("=COLUMNS(zSplit(REPT(\",\",16382),\",\",\";\"))"), "16383\n");

    auto r = test::eval_csv({"=zSplit(REPT(\",\",16383),\",\",\";\")"});
    EXPECT_EQ(r.status, test::printed_failure_status);
    EXPECT_EQ(r.out, "#NUM!\n"); // no value: the host's own error
    EXPECT_NE(r.err.find("Error: file: oper"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("c <= xll::limits<X>::maxcols"), std::string::npos) << r.err;
}

TEST(JoinE2E, ValuesInStorageOrder)
{
    EXPECT_EQ(eval("=zJoin({\"x\",\"y\",\"z\"},\",\")"), "\"x,y,z\"\n");
    EXPECT_EQ(eval("=zJoin({1,2;3,4},\";\")"), "1;2;3;4\n");
    EXPECT_EQ(eval("=zJoin({\"x\",\"y\",\"z\"})"), "x y z\n");
    EXPECT_EQ(eval("=zJoin({\"x\",\"y\",\"z\"},\"\")"), "x y z\n");
    EXPECT_EQ(eval("=zJoin({1.5,TRUE,\"a\"},\"|\")"), "1.5|TRUE|a\n");
    EXPECT_EQ(eval("=zJoin(42,\",\")"), "42\n");
    EXPECT_EQ(eval("=zJoin({\"a\",\"b\"},\" and \")"), "a and b\n");
}

TEST(JoinE2E, EmptyCellsKeepTheirPlaceAndErrorsCarry)
{
    auto r = test::run_sheet("A1: 'x\nA3: 'y\nB1: 1\nB2: #DIV/0!\nB3: 3\n"
                             "print =zJoin(A1:A3,\"|\")\nprint =zJoin(B1:B3,\"|\")\nprint =zJoin(A1:B3,\"|\")\n");
    EXPECT_EQ(r.status, test::printed_failure_status) << r.err;
    EXPECT_EQ(r.out, "x||y\n#DIV/0!\n#DIV/0!\n");
}

TEST(AddinInfoE2E, VersionAndLocation)
{
    EXPECT_EQ(eval("=ROWS(zVersion())&\"x\"&COLUMNS(zVersion(1))"), "2x1\n");
    EXPECT_EQ(eval("=INDEX(zVersion(),2,1)"), "Zorvane.xll 1.0.0.3\n");
    EXPECT_EQ(eval("=LEFT(INDEX(zVersion(\"any\"),1,1),31)"), "Zorvane.xll 1.0.0.3 May of 2014\n");
    EXPECT_EQ(eval("=zFileLocation()"), test::addin_path() + "\n");

    // The host's --version asks the add-in for its own.
    auto r = test::run({test::host_path(), "--version"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.find('\n') + 1), "Zorvane.xll 1.0.0.3\n");
}
