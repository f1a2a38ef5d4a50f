// Connections kept between queries: one per exact connection string, checked before reuse,
// tidied or closed after each query, and never the reason a statement runs twice.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "databases.h"
#include "db/connection_pool.h"
#include "db_test.h"
#include "fake_watch_host.h"

using namespace test;
using namespace std::chrono_literals;

namespace {

std::unique_ptr<db::OdbcConnection> unconnected() { return std::make_unique<db::OdbcConnection>(); }

TEST(ConnectionPool, OnePerExactStringTakenNotSharedLeastRecentlyUsedOut)
{
    db::ConnectionPool pool(2);
    pool.keep(u("DSN=a"), unconnected());
    pool.keep(u("DSN=b"), unconnected());
    EXPECT_EQ(pool.take(u("DSN=b ")), nullptr);
    EXPECT_EQ(pool.take(u("DSN=B")), nullptr);
    auto b = pool.take(u("DSN=b"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(pool.take(u("DSN=b")), nullptr) << "a taken connection is the taker's alone";
    pool.keep(u("DSN=b"), std::move(b)); // b is now the most recently used
    pool.keep(u("DSN=c"), unconnected());
    EXPECT_EQ(pool.size(), 2u);
    EXPECT_EQ(pool.take(u("DSN=a")), nullptr);
    EXPECT_NE(pool.take(u("DSN=b")), nullptr);
    EXPECT_NE(pool.take(u("DSN=c")), nullptr);
}

TEST(ConnectionPool, IdleConnectionsCloseAtTheNextTakeAndClearClosesAll)
{
    auto now = std::chrono::steady_clock::time_point{} + 1h;
    db::ConnectionPool pool(4, 5min, [&] { return now; });
    pool.keep(u("DSN=old"), unconnected());
    now += 4min;
    pool.keep(u("DSN=recent"), unconnected());
    now += 2min;
    EXPECT_EQ(pool.take(u("DSN=other")), nullptr);
    EXPECT_EQ(pool.size(), 1u);
    EXPECT_EQ(pool.take(u("DSN=old")), nullptr);
    pool.clear();
    EXPECT_EQ(pool.take(u("DSN=recent")), nullptr);
}

// The same tests on each driver, through the road the worksheet functions take, with a pool and
// a spreadsheet of their own.
template <class Db> class KeptConnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (auto why = Db::unavailable(); !why.empty())
            GTEST_SKIP() << Db::name << ": " << why;
        cs = Db::fresh_connection_string();
    }

    db::QueryResult query(const std::string& sql, const std::string& connection_string = "")
    {
        return road.answer(connection_string.empty() ? cs : connection_string, sql);
    }
    // The one value of a one-row result, or the failure's text.
    std::string value(const std::string& sql, const std::string& connection_string = "")
    {
        auto q = query(sql, connection_string);
        return show(q.value.is(xltypeMulti) ? q.value(0, 0) : q.value);
    }

    // The one value of a one-row result, read on a session of its own.
    std::string elsewhere(const std::string& sql)
    {
        auto v = test::run_query(u(cs), u(sql), false, calendar).value;
        return show(v.is(xltypeMulti) ? v(0, 0) : v);
    }

    std::string cs;
    TestRoad road;
    db::ConnectionPool& pool = *road.pool;
    StubCalendar calendar;
};

// A connection string the driver refuses: a missing file, or a wrong password.
template <class Db> std::string refused_connection()
{
    return Db::connection_string(Db::name == std::string("MariaDB") ? "mysql" : "postgres", Db::port(), "wrong");
}
template <> std::string refused_connection<SqliteDb>()
{
    return "Driver=SQLite3;Database=/nonexistent/folder/x.sqlite;NoCreat=1";
}

using Drivers = ::testing::Types<SqliteDb, PostgresDb, MariaDb>;
TYPED_TEST_SUITE(KeptConnection, Drivers, DatabaseNames);

// A temporary table lives as long as its session: the second query finds it only on the same one.
TYPED_TEST(KeptConnection, TheNextQueryWithTheSameStringContinuesTheSession)
{
    EXPECT_EQ(this->value("CREATE TEMPORARY TABLE mark (n INTEGER)"), "<missing>");
    EXPECT_EQ(this->pool.size(), 1u);
    EXPECT_EQ(this->value("SELECT count(*) FROM mark"), "<num 0.000000>");
    EXPECT_EQ(this->pool.size(), 1u);
}

// Autocommit stays on and a transaction the statement left open ends with the call, as it did when
// each query closed its connection: nothing holds locks or hides rows between calls.
TYPED_TEST(KeptConnection, ATransactionLeftOpenEndsWithItsCall)
{
    ASSERT_TRUE(executed(this->cs, "CREATE TABLE t (n INTEGER)"));
    EXPECT_EQ(this->value("BEGIN"), "<missing>");
    EXPECT_EQ(this->value("INSERT INTO t VALUES (1)"), "<missing>");
    ASSERT_EQ(this->pool.size(), 1u);
    // Seen from another session, and written by it: the kept one holds nothing.
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t VALUES (2)"));
    EXPECT_EQ(this->elsewhere("SELECT count(*) FROM t"), "<num 2.000000>");
}

TYPED_TEST(KeptConnection, AFailedStatementKeepsItsSoundConnectionAFailedConnectKeepsNothing)
{
    EXPECT_EQ(this->value("SELECT nothing FROM nowhere").rfind("#SQL Error ", 0), 0u);
    EXPECT_EQ(this->pool.size(), 1u);
    this->pool.clear();
    EXPECT_EQ(this->value("SELECT 1", refused_connection<TypeParam>()).rfind("#SQL Error ", 0), 0u);
    EXPECT_EQ(this->pool.size(), 0u);
}

class KeptPostgres : public KeptConnection<PostgresDb> {
protected:
    // The server's process of the session that ran the query.
    std::string pid(const std::string& connection_string = "")
    {
        auto q = query("SELECT pg_backend_pid() FROM (SELECT " + std::to_string(++round) + ") AS distinct_text",
                       connection_string);
        if (!q.value.is(xltypeMulti))
            return show(q.value);
        return std::to_string(static_cast<long>(q.value(0, 0).val.num));
    }
    int round = 0;
};

// The server restarts between two calls: the kept session is found dead before the statement goes
// out, and the statement runs once, on a new session.
TEST_F(KeptPostgres, ServerRestartedBetweenTwoCalls)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE t (n INTEGER)"));
    const std::string before = pid();
    PostgresDb::restart();
    auto insert = query("INSERT INTO t VALUES (1)");
    EXPECT_EQ(insert.status, db::QueryStatus::ok) << show(insert.value);
    EXPECT_NE(pid(), before);
    EXPECT_EQ(elsewhere("SELECT count(*) FROM t"), "<num 1.000000>");
}

// A connection used moments ago is trusted without the check's round trip: a session ended in
// those seconds fails the next statement as the connection's failure (not kept, never sent again)
// and the one after it runs on a new session. Idle longer, it is checked as before.
TEST_F(KeptPostgres, RecentlyUsedSessionIsTrustedAndItsLossIsNeverRetried)
{
    road.place.pool = std::make_shared<db::ConnectionPool>(db::kept_connections, db::kept_idle_limit,
                                                           std::chrono::steady_clock::now, 1h);
    ASSERT_TRUE(executed(cs, "CREATE TABLE t (n INTEGER)"));
    const std::string victim = pid();
    ASSERT_EQ(elsewhere("SELECT pg_terminate_backend(" + victim + ")::int"), "<num 1.000000>");
    auto insert = query("INSERT INTO t VALUES (1)");
    EXPECT_EQ(insert.status, db::QueryStatus::failed) << show(insert.value);
    EXPECT_EQ(insert.kind, db::FailureKind::transient);
    EXPECT_NE(pid(), victim);
    EXPECT_EQ(elsewhere("SELECT count(*) FROM t"), "<num 0.000000>");
    road.place.pool = road.pool;
}

// A session that ends while its statement runs fails that statement as any failure does; the
// statement is not sent again and the broken connection is not kept.
TEST_F(KeptPostgres, SessionEndedWhileItsStatementRuns)
{
    const std::string victim = pid();
    std::thread killer([&] {
        std::this_thread::sleep_for(300ms);
        StubCalendar own;
        test::run_query(u(cs), u("SELECT pg_terminate_backend(" + victim + ")"), false, own);
    });
    auto slept = query("SELECT pg_sleep(3)");
    killer.join();
    EXPECT_EQ(slept.status, db::QueryStatus::failed);
    EXPECT_EQ(slept.kind, db::FailureKind::transient) << "a lost session is the connection's failure";
    EXPECT_EQ(show(slept.value).rfind("#SQL Error ", 0), 0u) << show(slept.value);
    EXPECT_EQ(pool.size(), 0u);
    EXPECT_NE(pid(), victim);
}

} // namespace
