// What only MariaDB's connector shows: its dates and time stamps read as the fields it prints their
// text from.
#include <gtest/gtest.h>


#include "databases.h"
#include "db/calendar.h"
#include "db/statement_run.h"
#include "db_test.h"

using namespace test;
using xll::OPER12;

namespace {

// In blocks, dates and time stamps are read as the connector's fields. It hands a zero or
// impossible date as NULL fields, so a block where a column's fields hold a NULL, a month or day 0
// or a year before 1900 is fetched again with that column as text, and the column stays text. Value
// by value (a BIT column keeps a result off blocks) every value is read as its text. Both readings
// of the same values, those of every case among them, are the same cells to the last bit.
TEST(Mariadb, DateFieldsAndTheConnectorsTextGiveTheSameCells)
{
    ZORVANE_REQUIRE_DATABASE(MariaDb);
    const std::string cs = MariaDb::fresh_connection_string();
    ASSERT_TRUE(executed(cs, "CREATE TABLE t (k INT, d DATE, ts DATETIME(6), late DATETIME, dense DATE, b BIT(1))"));
    // Each column's first doubtful value in another block: d's in the third, ts's in the fifth,
    // late's in the last, dense's in the first.
    ASSERT_TRUE(executed(
        cs, "SET STATEMENT sql_mode='ALLOW_INVALID_DATES' FOR INSERT INTO t "
            "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 2000) SELECT k, "
            "CASE WHEN k > 600 AND k % 7 = 0 THEN NULL WHEN k > 600 AND k % 11 = 0 THEN '0000-00-00' "
            "WHEN k > 600 AND k % 13 = 0 THEN '2020-02-30' WHEN k > 600 AND k % 17 = 0 THEN '1899-12-31' "
            "WHEN k % 19 = 0 THEN CURDATE() ELSE DATE '1900-01-01' + INTERVAL k * 37 DAY END, "
            "CASE WHEN k > 1200 AND k % 23 = 0 THEN NULL WHEN k > 1200 AND k % 29 = 0 THEN '0000-00-00 00:00:00' "
            "WHEN k > 1200 AND k % 31 = 0 THEN '2020-00-00 12:00:00' WHEN k % 37 = 0 THEN '9999-12-31 23:59:59.999999' "
            "WHEN k > 1200 AND k % 41 = 0 THEN '1850-06-07 08:09:10' "
            "ELSE TIMESTAMP '1900-01-01 00:00:00' + INTERVAL k * 5123456789012 MICROSECOND END, "
            "CASE WHEN k = 1999 THEN NULL ELSE TIMESTAMP '2014-03-05 13:45:10' + INTERVAL k MINUTE END, "
            "CASE WHEN k IN (5, 1500) THEN '0000-00-00' WHEN k % 3 = 0 THEN CURDATE() - INTERVAL k DAY END, "
            "1 FROM n"));
    db::SerialCalendar dates;
    const OPER12 fields =
        test::run_query(u(cs), u("SELECT k, d, ts, late, dense FROM t ORDER BY k"), false, dates).value;
    const OPER12 text =
        test::run_query(u(cs), u("SELECT k, d, ts, late, dense, b FROM t ORDER BY k"), false, dates).value;
    ASSERT_EQ(fields.rows(), 2000u) << show(fields);
    ASSERT_EQ(text.rows(), 2000u) << show(text);
    EXPECT_EQ(show(fields(4, 4)), "0000-00-00");
    EXPECT_EQ(show(fields(1499, 4)), "0000-00-00"); // once the column is read as text
    EXPECT_TRUE(same_cells(fields, text, 5));
}

} // namespace
