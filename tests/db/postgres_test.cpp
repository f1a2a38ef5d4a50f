// What only a real server shows: connection failures over the network, and its own types.
#include <gtest/gtest.h>

#include <cstdlib>

#include "databases.h"
#include "db/calendar.h"
#include "db/statement_run.h"
#include "db_test.h"

using namespace test;
using xll::OPER12;

namespace {

class Postgres : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZORVANE_REQUIRE_DATABASE(PostgresDb);
    }
    std::string run_text(const std::string& cs, const std::string& sql)
    {
        return show(test::run_query(u(cs), u(sql), false, calendar).value);
    }
    static std::string server(int port, const std::string& password)
    {
        return PostgresDb::connection_string("postgres", port, password);
    }
    StubCalendar calendar;
};

TEST_F(Postgres, UnreachableServerIsAConnectionDiagnostic)
{
    // The cluster's port plus one: nothing listens there.
    std::string text = run_text(server(PostgresDb::port() + 1, PostgresDb::password()), "SELECT 1");
    EXPECT_EQ(text.rfind("#SQL Error ", 0), 0u) << text;
    EXPECT_NE(text.find(":1:"), std::string::npos) << text;
    EXPECT_NE(text.find("connect"), std::string::npos) << text;
}

TEST_F(Postgres, WrongPasswordIsReportedByTheServer)
{
    std::string text = run_text(server(PostgresDb::port(), "not-the-password"), "SELECT 1");
    EXPECT_EQ(text.rfind("#SQL Error ", 0), 0u) << text;
    EXPECT_NE(text.find("password authentication failed"), std::string::npos) << text;
    EXPECT_EQ(run_text(server(PostgresDb::port(), PostgresDb::password()), "SELECT 'ok'"), "<array 5x1>");
}

TEST_F(Postgres, GuidIsTextAndTimestampKeepsItsFraction)
{
    auto cs = u(PostgresDb::fresh_connection_string());
    auto v = test::run_query(cs,
                             u("SELECT CAST('123e4567-e89b-12d3-a456-426614174000' AS uuid), "
                               "CAST('2014-03-05 13:45:10.5' AS timestamp), CAST(NULL AS uuid)"),
                             false, calendar)
                 .value;
    EXPECT_EQ(show(v(0, 0)), "123E4567-E89B-12D3-A456-426614174000"); // the driver's text form
    EXPECT_DOUBLE_EQ(v(0, 1).val.num, 20140305.0 + (13 * 3600 + 45 * 60 + 10.5) / 86400.0);
    EXPECT_EQ(show(v(0, 2)), "");
}

// NaN and the infinities have no cell of their own: each is #NUM!, its neighbours stand.
TEST_F(Postgres, NonFiniteNumbersAreNumErrorsInTheirOwnCells)
{
    auto cs = u(PostgresDb::fresh_connection_string());
    auto v = test::run_query(cs,
                             u("SELECT CAST('NaN' AS numeric), CAST('Infinity' AS double precision), "
                               "CAST('-Infinity' AS real), CAST('NaN' AS double precision), 1.5"),
                             false, calendar)
                 .value;
    for (size_t c : {0, 1, 2, 3})
        EXPECT_EQ(show(v(0, c)), "<err 36>") << c;
    EXPECT_EQ(v(0, 4), 1.5);
}

// The driver reads through a cursor, a hundred rows a round trip: the row that divides by zero
// fails the fetch of its round, after rows have already arrived. The failure is the result.
// Where a result comes in blocks, psqlODBC's dates and time stamps are read as its fields; value by
// value (a column of unknown size keeps a result off blocks), as its text. Both readings of the same
// values, from every year the worksheet shows and the ones it does not, the driver's stand-ins for
// what it cannot read among them, are the same cells to the last bit.
TEST_F(Postgres, DateAndTimeStampFieldsAndTheDriversTextGiveTheSameCells)
{
    auto cs = u(PostgresDb::fresh_connection_string());
    db::SerialCalendar dates; // the add-in's own date numbers, finer than the stand-in's
    const std::string stamps =
        "SELECT k, x::timestamp AS ts, x::timestamp::date AS d FROM (VALUES (1, 'infinity'), (2, '-infinity'), "
        "(3, '2000-01-01 12:00 BC'), (4, '12345-06-07 01:02:03'), (5, CURRENT_DATE::text), "
        "(6, (CURRENT_DATE + 1)::text || ' 12:00'), (7, (CURRENT_DATE - 1)::text), (8, '9999-12-31 23:59:59'), "
        "(9, '9999-12-31 23:59:59.999999'), (10, '1899-12-31 23:59:59.999999'), (11, '1900-01-01'), "
        "(12, '1900-02-28 23:59:59.5'), (13, '2000-02-29 12:00:00.000001'), (14, NULL), (15, '19999-01-01'), "
        "(16, '99999-12-31'), (17, (CURRENT_DATE - INTERVAL '30 years')::date::text)) AS v(k, x) UNION ALL "
        "SELECT 100 + g, t, t::date FROM (SELECT g, TIMESTAMP '1890-01-01' + (g::bigint * 51234567890123 % "
        "255000000000000000) * INTERVAL '1 microsecond' AS t FROM generate_series(1, 3000) AS g) AS s";
    const OPER12 fields =
        test::run_query(cs, u("SELECT ts, d FROM (" + stamps + ") AS s ORDER BY k"), false, dates).value;
    const OPER12 text =
        test::run_query(cs, u("SELECT ts, d, ''::text FROM (" + stamps + ") AS s ORDER BY k"), false, dates).value;
    ASSERT_EQ(fields.rows(), 3017u) << show(fields);
    ASSERT_EQ(text.rows(), 3017u) << show(text);
    EXPECT_TRUE(same_cells(fields, text, 2));
}

TEST_F(Postgres, ItsConnectLeavesAnEightBitDriversTextAsItIs)
{
    setenv("LC_ALL", "C.UTF-8", 1);
    EXPECT_EQ(run_text(PostgresDb::fresh_connection_string(), "SELECT 1"), "<array 5x1>");
    unsetenv("LC_ALL");
    const auto sqlite = u(SqliteDb::fresh_connection_string());
    ASSERT_TRUE(executed(sqlite, "CREATE TABLE t (s TEXT)"));
    ASSERT_TRUE(executed(sqlite, "INSERT INTO t VALUES ('Müller 日本 😀')"));
    const OPER12 v = test::run_query(sqlite, u("SELECT s, hex(s) FROM t"), false, calendar).value;
    EXPECT_EQ(s(v(0, 0).text()), "Müller 日本 😀");
    EXPECT_EQ(show(v(0, 1)), "4DC3BC6C6C657220E697A5E69CAC20F09F9880");
}

TEST_F(Postgres, FetchFailingMidResultShowsItsDiagnosticsNotTheRowsSoFar)
{
    std::string cs = PostgresDb::fresh_connection_string() + "UseDeclareFetch=1;Fetch=100;";
    auto q = test::run_query(u(cs), u("SELECT 1 / (250 - g) FROM generate_series(1, 400) AS g"), true, calendar);
    std::string text = show(q.value);
    EXPECT_EQ(text.rfind("#SQL Error 22012:1:", 0), 0u) << text;
    EXPECT_NE(text.find("division by zero"), std::string::npos) << text;
    // The rows taken before the failing fetch: the add-in asks for blocks of rows, and the block
    // holding the third round fails whole.
    EXPECT_LT(q.last_row, 250);

    // The end of the data is still the normal end.
    auto whole = test::run_query(u(cs), u("SELECT g FROM generate_series(1, 250) AS g"), false, calendar);
    ASSERT_EQ(whole.value.rows(), 250u) << show(whole.value);
    EXPECT_EQ(whole.value(249, 0), 250.0);
}

} // namespace
