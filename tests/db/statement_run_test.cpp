// The statement road against real drivers, each test written once and run per driver.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <vector>

#include "databases.h"
#include "db/statement_run.h"
#include "db_test.h"

using namespace test;
using xll::OPER12;
namespace fs = std::filesystem;

namespace {

template <class Db> class Query : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZORVANE_REQUIRE_DATABASE(Db);
        cs = u(Db::fresh_connection_string());
    }

    db::QueryResult full(const std::string& sql, bool headers = false)
    {
        return test::run_query(cs, u(sql), headers, calendar);
    }
    OPER12 run(const std::string& sql, bool headers = false) { return full(sql, headers).value; }
    static std::string type(const char* t) { return t; }

    xll::xstring cs;
    StubCalendar calendar;
};

using Drivers = ::testing::Types<SqliteDb, PostgresDb, MariaDb>;
TYPED_TEST_SUITE(Query, Drivers, DatabaseNames);

TYPED_TEST(Query, ResultHasAtLeastFiveRowsAndHeadersTakeRowZero)
{
    ASSERT_TRUE(executed(this->cs, "CREATE TABLE t (a INTEGER, b VARCHAR(10), c INTEGER)"));
    auto empty = this->full("SELECT a, b, c FROM t", true);
    ASSERT_EQ(empty.value.rows(), 5u);
    ASSERT_EQ(empty.value.columns(), 3u);
    EXPECT_EQ(show(empty.value(0, 1)), "b");
    for (size_t r = 1; r < 5; ++r)
        for (size_t c = 0; c < 3; ++c)
            EXPECT_TRUE(is_na(empty.value(r, c)));
    EXPECT_EQ(empty.last_row, 0);
    EXPECT_EQ(empty.last_column, 2);

    OPER12 none = this->run("SELECT a, b, c FROM t");
    ASSERT_EQ(none.rows(), 5u);
    EXPECT_TRUE(is_na(none(0, 0)));

    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (1, 'x', 10)"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (2, 'y', 20)"));
    auto two = this->full("SELECT a, b, c FROM t ORDER BY a", true);
    ASSERT_EQ(two.value.rows(), 5u);
    EXPECT_EQ(show(two.value(0, 0)), "a");
    EXPECT_EQ(two.value(1, 0), 1.0);
    EXPECT_EQ(show(two.value(2, 1)), "y");
    EXPECT_EQ(two.value(2, 2), 20.0);
    EXPECT_TRUE(is_na(two.value(3, 0)));
    EXPECT_TRUE(is_na(two.value(4, 2)));
    EXPECT_EQ(two.last_row, 2);

    for (int i = 3; i <= 7; ++i)
        ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (" + std::to_string(i) + ", 'z', 0)"));
    EXPECT_EQ(this->run("SELECT a FROM t").rows(), 7u);
    auto seven = this->full("SELECT a FROM t ORDER BY a", true);
    ASSERT_EQ(seven.value.rows(), 8u);
    EXPECT_EQ(seven.value(7, 0), 7.0);
    EXPECT_EQ(seven.last_row, 7);
    EXPECT_EQ(seven.last_column, 0);
}

TYPED_TEST(Query, StatementWithoutResultSetGivesTheEmptyValue)
{
    ASSERT_TRUE(executed(this->cs, "CREATE TABLE t (a INTEGER)"));
    auto q = this->full("UPDATE t SET a = 1 WHERE a = 2", true);
    EXPECT_TRUE(q.value.is(xltypeMissing)) << show(q.value);
    EXPECT_EQ(q.last_row, 0);
    EXPECT_EQ(q.last_column, -1);
}

TYPED_TEST(Query, ManyRowsArriveInOrderWithTheExactHeight)
{
    auto q = this->full("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3001) "
                        "SELECT x, x * 2 FROM c",
                        true);
    ASSERT_EQ(q.value.rows(), 3002u);
    for (size_t r = 1; r <= 3001; ++r) {
        ASSERT_EQ(q.value(r, 0), static_cast<double>(r)) << r;
        ASSERT_EQ(q.value(r, 1), static_cast<double>(2 * r)) << r;
    }
    EXPECT_EQ(q.last_row, 3001);
}

TYPED_TEST(Query, NumbersOfEveryWidthAndTheirNulls)
{
    ASSERT_TRUE(executed(this->cs, "CREATE TABLE t (k INTEGER, i INTEGER, s SMALLINT, b BIGINT, d " +
                                       this->type(TypeParam::double_type) + ", n " +
                                       this->type(TypeParam::numeric_type) + ")"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (1, -2147483648, -32768, 5000000000, 1.5, 12.25)"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (2, 2147483647, 32767, -9007199254740992, -0.125, -99.5)"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (3, NULL, NULL, NULL, NULL, NULL)"));
    OPER12 v = this->run("SELECT i, s, b, d, n FROM t ORDER BY k");
    EXPECT_EQ(v(0, 0), -2147483648.0);
    EXPECT_EQ(v(0, 1), -32768.0);
    EXPECT_EQ(v(0, 2), 5000000000.0); // a 64-bit value, not a failed 32-bit read
    EXPECT_EQ(v(0, 3), 1.5);
    EXPECT_EQ(v(0, 4), 12.25);
    EXPECT_EQ(v(1, 0), 2147483647.0);
    EXPECT_EQ(v(1, 2), -9007199254740992.0);
    EXPECT_EQ(v(1, 4), -99.5);
    for (size_t c = 0; c < 5; ++c)
        EXPECT_TRUE(is_na(v(2, c))) << c << ": " << show(v(2, c));
}

// A time stamp no reader takes (a text SQLite was given, MariaDB's zero date, PostgreSQL's
// infinity) shows in its own cell: the other 9,999 rows are the result.
TYPED_TEST(Query, OneOddTimestampKeepsEveryOtherRow)
{
    const std::string engine = TypeParam::name;
    const std::string odd = engine == "SQLite" ? "not a date" : engine == "MariaDB" ? "0000-00-00 00:00:00" : "infinity";
    ASSERT_TRUE(executed(this->cs, "CREATE TABLE t (k INTEGER, ts " + this->type(TypeParam::timestamp_type) + ")"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t (k, ts) WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 "
                                   "FROM n WHERE k < 10000) SELECT k, '2014-03-05 13:45:10' FROM n"));
    ASSERT_TRUE(executed(this->cs, "UPDATE t SET ts = '" + odd + "' WHERE k = 5000"));
    OPER12 v = this->run("SELECT ts FROM t ORDER BY k");
    ASSERT_EQ(v.rows(), 10000u) << show(v);
    const double stamp = 20140305.0 + (13 * 3600 + 45 * 60 + 10) / 86400.0;
    for (size_t r = 0; r < v.rows(); ++r)
        if (r != 4999) {
            ASSERT_EQ(v(r, 0), stamp) << r;
        }
    EXPECT_EQ(show(v(4999, 0)).substr(0, odd.size()), odd);
}

TYPED_TEST(Query, NullTextIsEmptyTextAndBinaryIsAlwaysTrue)
{
    ASSERT_TRUE(executed(this->cs, "CREATE TABLE t (k INTEGER, s " + this->type(TypeParam::text_type) + ", b " +
                                       this->type(TypeParam::binary_type) + ")"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t (k, s, b) VALUES (1, 'abc', NULL)"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t (k, s) VALUES (2, NULL)"));
    OPER12 v = this->run("SELECT s, b FROM t ORDER BY k");
    EXPECT_EQ(show(v(0, 0)), "abc");
    EXPECT_TRUE(v(1, 0).is(xltypeStr));
    EXPECT_EQ(show(v(1, 0)), "");
    EXPECT_EQ(show(v(0, 1)), "<TRUE>");
    EXPECT_EQ(show(v(1, 1)), "<TRUE>");
}

TYPED_TEST(Query, DatesTimesAndTimestampsBecomeDateNumbers)
{
    ASSERT_TRUE(executed(this->cs, "CREATE TABLE t (k INTEGER, d DATE, t TIME, ts " +
                                       this->type(TypeParam::timestamp_type) + ")"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (1, '2014-03-05', '13:45:10', '2014-03-05 13:45:10')"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (2, '1900-01-01', '00:00:01', '1900-02-28 23:59:59.25')"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (3, NULL, NULL, NULL)"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (4, '1899-12-31', '23:59:59', '1000-06-15 08:00:00')"));
    OPER12 v = this->run("SELECT d, t, ts FROM t ORDER BY k");
    EXPECT_EQ(v(0, 0), 20140305.0);
    EXPECT_DOUBLE_EQ(v(0, 1).val.num, (13 * 3600 + 45 * 60 + 10) / 86400.0);
    EXPECT_DOUBLE_EQ(v(0, 2).val.num, 20140305.0 + (13 * 3600 + 45 * 60 + 10) / 86400.0);
    EXPECT_EQ(v(1, 0), 19000101.0);
    EXPECT_DOUBLE_EQ(v(1, 1).val.num, 1 / 86400.0);
    EXPECT_DOUBLE_EQ(v(1, 2).val.num, 19000228.0 + (23 * 3600 + 59 * 60 + 59.25) / 86400.0);
    for (size_t c = 0; c < 3; ++c)
        EXPECT_TRUE(is_na(v(2, c))) << c << ": " << show(v(2, c));
    // Before 1900 the worksheet's DATE counts from 1900 (1899 would be 3799): such a day keeps the
    // database's text instead of becoming another day's number.
    EXPECT_EQ(show(v(3, 0)), "1899-12-31");
    EXPECT_EQ(show(v(3, 2)).substr(0, 19), "1000-06-15 08:00:00");
}

// 64-bit values, their aggregates and computed columns: each the database's number, however the
// driver declares the column (SQLite's says INTEGER, 32 bits, for all of them).
TYPED_TEST(Query, SixtyFourBitValuesAggregatesAndComputedColumnsAreExact)
{
    ASSERT_TRUE(executed(this->cs, "CREATE TABLE t (k INTEGER, v " + this->type(TypeParam::big_integer_type) +
                                       ", qty INTEGER, price " + this->type(TypeParam::numeric_type) + ")"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (1, 150000000000, 2, 3)"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (2, -9000000000000, 3, 46.62)"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (3, 9000000000, 1, 0.5)"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (4, 9223372036854775807, 0, 0)"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (5, -9223372036854775808, 0, 0)"));
    OPER12 v = this->run("SELECT v, qty * price FROM t ORDER BY k");
    EXPECT_EQ(v(0, 0), 150000000000.0);
    EXPECT_EQ(v(1, 0), -9000000000000.0);
    EXPECT_EQ(v(2, 0), 9000000000.0);
    EXPECT_EQ(v(3, 0), 9223372036854775807.0); // the nearest double, 2^63
    EXPECT_EQ(v(4, 0), -9223372036854775808.0);
    EXPECT_EQ(v(0, 1), 6.0);
    EXPECT_EQ(v(1, 1), 139.86);
    EXPECT_EQ(v(2, 1), 0.5);

    OPER12 a = this->run("SELECT SUM(v), COUNT(*), AVG(v), MAX(v) - MIN(v) FROM t WHERE k <= 3");
    EXPECT_EQ(a(0, 0), -8841000000000.0);
    EXPECT_EQ(a(0, 1), 3.0);
    EXPECT_EQ(a(0, 2), -2947000000000.0);
    EXPECT_EQ(a(0, 3), 9150000000000.0);
}

TYPED_TEST(Query, NonAsciiTextRoundTripsThroughTablesStatementsAndNames)
{
    ASSERT_TRUE(
        executed(this->cs, "CREATE TABLE customers (id INTEGER, name " + this->type(TypeParam::text_type) + ")"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO customers VALUES (1, 'Müller')"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO customers VALUES (2, 'Søren')"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO customers VALUES (3, '日本商事')"));
    OPER12 all = this->run("SELECT name FROM customers ORDER BY id");
    EXPECT_EQ(show(all(0, 0)), "Müller");
    EXPECT_EQ(show(all(1, 0)), "Søren");
    EXPECT_EQ(show(all(2, 0)), "日本商事");
    EXPECT_EQ(all(2, 0).text().size(), 4u);

    OPER12 one = this->run("SELECT id, name AS \"Größe\" FROM customers WHERE name = '日本商事'", true);
    EXPECT_EQ(show(one(0, 1)), "Größe");
    EXPECT_EQ(one(1, 0), 3.0);
    EXPECT_TRUE(is_na(one(2, 0)));
    EXPECT_EQ(this->run("SELECT id FROM customers WHERE name = 'Müller'")(0, 0), 1.0);
}

// Rows come in blocks of bound buffers. A decimal's text past its buffer, in every row of several
// blocks, is read again whole from its own row (MariaDB's connector, positioned within a block,
// reads the block's first row), and text beyond ASCII in every other row keeps its characters.
TYPED_TEST(Query, ValuesPastTheirBuffersAndBeyondAsciiInEveryRowOfEveryBlock)
{
    ASSERT_TRUE(executed(this->cs, "CREATE TABLE b (k INTEGER, s VARCHAR(20), d DECIMAL(65,30))"));
    auto text = [](int k) { return std::string(k % 3 == 0 ? "Müller " : k % 3 == 1 ? "日本 😀 " : "x") + std::to_string(k); };
    // 35 digits, a point and 30 more in the server's text: past a number's 64 bytes.
    auto decimal = [](int k) { return std::to_string(k + 1) + std::string(32, '0') + ".5"; };
    constexpr int rows = 600;
    std::string values;
    for (int k = 0; k < rows; ++k)
        values += (k ? ",(" : "(") + std::to_string(k) + ",'" + text(k) + "'," + decimal(k) + ")";
    ASSERT_TRUE(executed(this->cs, "INSERT INTO b VALUES " + values));
    OPER12 v = this->run("SELECT k, s, d FROM b ORDER BY k");
    ASSERT_EQ(v.rows(), static_cast<size_t>(rows)) << show(v);
    for (int k = 0; k < rows; ++k) {
        const auto r = static_cast<size_t>(k);
        ASSERT_EQ(v(r, 0), static_cast<double>(k));
        ASSERT_EQ(s(v(r, 1).text()), text(k)) << k;
        ASSERT_DOUBLE_EQ(v(r, 2).val.num, std::strtod(decimal(k).c_str(), nullptr)) << k;
    }
}

TYPED_TEST(Query, LongTextIsReadWholeUpToTheCellLimit)
{
    ASSERT_TRUE(executed(this->cs, "CREATE TABLE t (k INTEGER, s TEXT)"));
    auto insert = [&](int k, const std::string& text) {
        ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (" + std::to_string(k) + ", '" + text + "')"));
    };
    std::string smile = "\xF0\x9F\x98\x80"; // one character, two UTF-16 units
    insert(1, std::string(5000, 'a') + "end");
    insert(2, std::string(32767, 'b'));
    insert(3, std::string(40000, 'c'));
    std::string umlauts;
    for (int i = 0; i < 20000; ++i)
        umlauts += "ü";
    insert(4, umlauts);
    insert(5, std::string(32766, 'd') + smile);
    OPER12 v = this->run("SELECT s FROM t ORDER BY k");
    EXPECT_EQ(v(0, 0).text().size(), 5003u);
    EXPECT_EQ(s(v(0, 0).text().substr(4998)), "aaend");
    EXPECT_EQ(v(1, 0).text().size(), 32767u);
    // The worksheet holds 32767 units in a cell: longer text is cut there.
    EXPECT_EQ(v(2, 0).text().size(), 32767u);
    EXPECT_EQ(v(2, 0).text().back(), XCHAR('c'));
    EXPECT_EQ(s(v(3, 0).text()), umlauts);
    // The cut never leaves half of a surrogate pair.
    EXPECT_EQ(v(4, 0).text().size(), 32766u);
    EXPECT_EQ(v(4, 0).text().back(), XCHAR('d'));
}

TYPED_TEST(Query, ColumnsBeyondAThousandAreAllDescribed)
{
    std::string sql = "SELECT ";
    for (int j = 1; j <= 1500; ++j)
        sql += (j > 1 ? ", " : "") + std::to_string(j) + " AS c" + std::to_string(j);
    OPER12 v = this->run(sql, true);
    ASSERT_EQ(v.columns(), 1500u);
    EXPECT_EQ(show(v(0, 1499)), "c1500");
    EXPECT_EQ(v(1, 1499), 1500.0);
    EXPECT_EQ(v(1, 0), 1.0);
}

TYPED_TEST(Query, FailureIsTheDriversDiagnosticsOneLinePerRecord)
{
    auto q = this->full("SELECT * FROM no_such_table", true);
    ASSERT_TRUE(q.value.is(xltypeStr));
    std::string text = show(q.value);
    // A driver's message may itself span lines (PostgreSQL's does), so only each record's start
    // and the final line feed are fixed.
    EXPECT_TRUE(std::regex_search(text, std::regex("^#SQL Error [0-9A-Z]{5}:1:-?[0-9]+:"))) << text;
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find("no_such_table"), std::string::npos) << text;
    EXPECT_EQ(q.last_row, 0);
    EXPECT_EQ(q.last_column, -1);
}

// The worksheet's last row is the limit: one row more, here the header, fails with the array's
// own check text, in band.
TEST(SqliteQuery, ResultFillsTheWorksheetsRowsAndNotOneMore)
{
    auto cs = u(SqliteDb::fresh_connection_string());
    StubCalendar calendar;
    const std::string rows = std::to_string(xll::limits<XLOPER12>::maxrows);
    const auto sql = u("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " + rows + ") SELECT x FROM c");
    auto fits = test::run_query(cs, sql, false, calendar);
    ASSERT_EQ(fits.value.rows(), static_cast<size_t>(xll::limits<XLOPER12>::maxrows));
    EXPECT_EQ(fits.value(xll::limits<XLOPER12>::maxrows - 1, 0), static_cast<double>(xll::limits<XLOPER12>::maxrows));
    auto over = test::run_query(cs, sql, true, calendar);
    EXPECT_EQ(show(over.value), "file: oper\nline: 439\nfunction: XOPER<struct xloper12>::realloc\n"
                                "ensure: \"r <= xll::limits<X>::maxrows\" failed");
}

// SQLite keeps any value in any column: rows come in blocks of bound buffers sized by the declared
// types, and a value past its buffer (or 8-bit text beyond ASCII in a number column) is fetched back
// whole once the blocks are read. Such values at the edges of blocks and in the short last block
// come back whole, and every other value of their rows stays its own.
TEST(SqliteQuery, ValuesPastTheirBlockBuffersComeBackWholeInTheirOwnCells)
{
    auto cs = u(SqliteDb::fresh_connection_string());
    ASSERT_TRUE(executed(cs, "CREATE TABLE b (k INTEGER, s VARCHAR(10), n REAL, t TEXT)"));
    const std::vector<int> long_s = {0, 255, 256, 511, 512, 600, 698, 699};
    std::string in_long_s;
    for (int k : long_s)
        in_long_s += (in_long_s.empty() ? "" : ",") + std::to_string(k);
    ASSERT_TRUE(executed(cs, "INSERT INTO b WITH RECURSIVE c(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM c WHERE k < 699) "
                             "SELECT k, CASE WHEN k IN (" + in_long_s + ") THEN replace(hex(zeroblob(150 + k)), '00', 'sü') "
                             "ELSE 's' || k END, "
                             "CASE WHEN k % 97 = 3 THEN 'ü not a number ' || k "
                             "WHEN k % 89 = 5 THEN replace(hex(zeroblob(40)), '00', 'xy') || k ELSE k * 0.5 END, "
                             "CASE WHEN k % 50 = 7 THEN NULL WHEN k % 233 = 1 THEN replace(hex(zeroblob(20000)), '00', '日') "
                             "ELSE 't' || k END FROM c"));
    auto repeat = [](const std::string& part, int times) {
        std::string out;
        for (int i = 0; i < times; ++i)
            out += part;
        return out;
    };
    StubCalendar calendar;
    OPER12 v = test::run_query(cs, u("SELECT k, s, n, t FROM b ORDER BY k"), false, calendar).value;
    ASSERT_EQ(v.rows(), 700u) << show(v);
    for (int k = 0; k < 700; ++k) {
        SCOPED_TRACE("row " + std::to_string(k));
        const auto r = static_cast<size_t>(k);
        EXPECT_EQ(v(r, 0), static_cast<double>(k));
        const bool long_text = std::find(long_s.begin(), long_s.end(), k) != long_s.end();
        EXPECT_EQ(s(v(r, 1).text()), long_text ? repeat("sü", 150 + k) : "s" + std::to_string(k));
        if (k % 97 == 3)
            EXPECT_EQ(s(v(r, 2).text()), "ü not a number " + std::to_string(k));
        else if (k % 89 == 5)
            EXPECT_EQ(s(v(r, 2).text()), repeat("xy", 40) + std::to_string(k));
        else
            EXPECT_EQ(v(r, 2), k * 0.5);
        const std::string t = k % 50 == 7 ? "" : k % 233 == 1 ? repeat("日", 20000) : "t" + std::to_string(k);
        EXPECT_EQ(s(v(r, 3).text()), t);
    }
}

// SQLite's driver reads its connection string as 8-bit text: a non-ASCII file name reaches it as
// the UTF-8 the file system holds, and no Latin-1 twin of the file is ever created, whichever way
// the connection string spells the driver.
TEST(SqliteQuery, NonAsciiDatabaseNameOpensThatFileAlone)
{
    StubCalendar calendar;
    int n = 0;
    for (std::string driver : {"Driver=SQLite3;", "DRIVER={SQLite3};", "driver=sqlite3;"}) {
        fs::path folder = fs::temp_directory_path() / ("zorvane-names-" + std::to_string(getpid()) + "-" + std::to_string(++n));
        fs::remove_all(folder);
        fs::create_directories(folder);
        const std::string file = (folder / "tÿpes-ü.db").string();
        auto cs = u(driver + "Database=" + file);
        ASSERT_TRUE(executed(cs, "CREATE TABLE t (a INTEGER)")) << driver;
        ASSERT_TRUE(executed(cs, "INSERT INTO t VALUES (7)")) << driver;
        EXPECT_EQ(test::run_query(cs, u("SELECT a FROM t"), false, calendar).value(0, 0), 7.0) << driver;
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"tÿpes-ü.db"}) << driver;
        fs::remove_all(folder);
    }
}

} // namespace
