// A query's result in a cell, taken apart by the host's spreadsheet functions as a user's sheet
// would: a header row of texts among the numbers, lookups, conditional sums and arrays of their
// own size, through the real host (on Windows under Wine as well).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "db/databases.h"
#include "db/db_test.h"
#include "db/statement_run.h"
#include "analyst_sheets.h"
#include "support/host_eval.h"
#include "support/process.h"

using namespace test;

namespace {

TEST(QueryResultsInFormulas, HeaderTextsAreSkippedAndArraysShowWhole)
{
    if (auto why = SqliteDb::unavailable(); !why.empty())
        GTEST_SKIP() << why;
    const std::string cs = SqliteDb::fresh_connection_string();
    ASSERT_TRUE(executed(cs, "CREATE TABLE sales (id INTEGER, region VARCHAR(10), rep VARCHAR(10), product VARCHAR(10), "
                             "units DOUBLE PRECISION)"));
    ASSERT_TRUE(executed(cs, "INSERT INTO sales VALUES (1,'East','Tom','Apple',6380), (2,'West','Fred','Grape',5619), "
                             "(3,'North','Amy','Pear',4565), (4,'South','Sal','Banana',5323), "
                             "(5,'East','Fritz','Apple',4394), (6,'West','Sravan','Grape',7195), "
                             "(7,'South','Sal','Apple',1310), (8,'West','Sravan','Apple',8499)"));

    const auto path = std::filesystem::temp_directory_path() / ("zorvane-query-functions-" + std::to_string(::getpid()) + ".sheet");
    std::ofstream(path) << "A1: =zStatement(" << formula_string(cs)
                        << ",\"SELECT region, rep, product, units FROM sales ORDER BY id\",TRUE)\n"
                           "F1: =FILTER(A1,INDEX(A1,0,1)=\"East\")\n"
                           "print =SUM(A1)\n"
                           "print =COUNT(A1)\n"
                           "print =AVERAGE(INDEX(A1,0,4))\n"
                           "print =MIN(A1)&\" \"&MAX(A1)\n"
                           "print =SUMIF(INDEX(A1,0,3),\"Apple\",INDEX(A1,0,4))\n"
                           "print =COUNTIF(INDEX(A1,0,1),\"W*\")\n"
                           "print =XLOOKUP(\"sravan\",INDEX(A1,0,2),INDEX(A1,0,4))\n"
                           "print =XLOOKUP(\"sravan\",INDEX(A1,0,2),INDEX(A1,0,4),,0,-1)\n"
                           "print =VLOOKUP(\"North\",A1,2,FALSE)\n"
                           "print =IFERROR(VLOOKUP(\"Central\",A1,2,FALSE),\"none\")\n"
                           "print =TEXTJOIN(\"/\",TRUE,UNIQUE(INDEX(A1,0,1)))\n"
                           "print =SORT(FILTER(A1,INDEX(A1,0,3)=\"Apple\"),4,-1)\n"
                           "print =COUNT(F1)&\" \"&SUM(F1)\n"
                           "print =UPPER(INDEX(A1,2,2))&SUBSTITUTE(INDEX(A1,2,3),\"p\",\"P\",2)\n"
                           "print =ROUND(1.005,2)&\" \"&ROUND(-2.5,0)&\" \"&ROUND(AVERAGE(INDEX(A1,0,4)),-2)\n";
    const test::Run r = test::run({host_path(), "--addin", addin_path(), "run", path.string()});
    std::filesystem::remove(path);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "43285\n"
                     "8\n"
                     "5410.625\n"
                     "1310 8499\n"
                     "20583\n"
                     "3\n"
                     "7195\n"
                     "8499\n"
                     "Amy\n"
                     "none\n"
                     "region/East/West/North/South\n"
                     "West,Sravan,Apple,8499\n"
                     "East,Tom,Apple,6380\n"
                     "East,Fritz,Apple,4394\n"
                     "South,Sal,Apple,1310\n"
                     "2 10774\n"
                     "TOMApPle\n"
                     "1.01 -3 5400\n");
}

class AnalystSheetOnSqlite : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (auto why = SqliteDb::unavailable(); !why.empty())
            GTEST_SKIP() << why;
        cs = SqliteDb::fresh_connection_string();
    }
    std::string cs;
};

TEST_F(AnalystSheetOnSqlite, CellsHoldingColumnsAgreeWithTheEnginesSums) { expect_array_cells_agree_with_the_engine(cs); }
TEST_F(AnalystSheetOnSqlite, RecordsKeepRowsOfNulls) { expect_records_keep_rows_of_nulls(cs); }
TEST_F(AnalystSheetOnSqlite, JsonNumbersReadBackExactly) { expect_json_numbers_read_back(cs, "INTEGER"); }

} // namespace
