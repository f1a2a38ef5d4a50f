// Esc while a query runs: the texts the user sees, and real statements stopped, abandoned, joined
// and taken over on each driver, also when the server or a lock holds them.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <thread>

#include "databases.h"
#include "support/process.h"
#include "db/odbc_connection.h"
#include "db/result_cache.h"
#include "db/statement_kind.h"
#include "db_test.h"
#include "fake_watch_host.h"

using namespace test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// What Esc may throw away: only a statement that plainly reads runs again.
TEST(StatementKind, OnlyPlainReadsAreReads)
{
    for (const char* read : {"SELECT * FROM t", "  select 1", "WITH c AS (SELECT 1) SELECT * FROM c",
                             "SELECT 'INSERT INTO x' FROM t -- DELETE", "SELECT \"update\" FROM t /* DROP */",
                             "VALUES (1)", "SHOW TABLES", "SELECT 1; SELECT 2"})
        EXPECT_TRUE(db::plainly_reads(u(read))) << read;
    for (const char* changing : {"INSERT INTO t VALUES (1) RETURNING n", "CALL p()", "EXEC p", "UPDATE t SET a = 1",
                                 "WITH d AS (DELETE FROM t RETURNING *) SELECT * FROM d", "SELECT * INTO u FROM t",
                                 "SELECT nextval('s')", "SELECT 1; DELETE FROM t", "DO $$ BEGIN END $$", "BEGIN",
                                 "PRAGMA journal_mode = WAL", ""})
        EXPECT_FALSE(db::plainly_reads(u(changing))) << changing;
}

// Waits for a condition, a tenth of a second at a time, up to a limit.
template <class F> bool eventually(F condition, std::chrono::seconds limit = 20s)
{
    for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(100ms))
        if (condition())
            return true;
    return condition();
}

// The run's end wakes the waiting thread at once: with a poll far longer than the query, Esc is
// never asked for and nothing is shown.
TEST(SqliteRoad, AQuickQueryNeverTalksToTheSpreadsheetAndKeepsItsConnection)
{
    TestRoad road;
    road.place.times.poll = road.place.times.quiet = 10min;
    auto q = road.answer(SqliteDb::fresh_connection_string(), "SELECT 1");
    EXPECT_EQ(q.status, db::QueryStatus::ok);
    EXPECT_EQ(road.host.asks, 0);
    EXPECT_TRUE(road.host.statuses.empty());
    EXPECT_EQ(road.pool->size(), 1u);
    EXPECT_EQ(road.registry.size(), 0u);
}

// Esc while rows arrive: a read is cancelled, kept nowhere, its session closed; the status bar
// showed progress and was given back.
TEST(SqliteRoad, AMillionRowFetchStopsMidwayAndTheBarComesBack)
{
    const auto cs = SqliteDb::fresh_connection_string();
    ASSERT_TRUE(executed(cs, "CREATE TABLE big AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                             "WHERE x < 1000000) SELECT x, 'row ' || x AS name FROM c"));
    TestRoad road;
    road.host.escape_while_fetching();
    auto q = road.answer(cs, "SELECT x, name FROM big");
    EXPECT_EQ(q.kind, db::FailureKind::cancelled);
    EXPECT_TRUE(std::regex_match(show(q.value), std::regex("#Cancelled after [1-9][0-9,]* rows"))) << show(q.value);
    EXPECT_FALSE(db::ResultCache::admits(q));
    const std::regex progress("Connecting to the database\\.\\.\\. \\(Esc to cancel\\)|"
                              "zStatement: ([0-9]{1,3}(,[0-9]{3})* rows?|executing) \\(Esc to cancel\\)");
    ASSERT_GE(road.host.statuses.size(), 2u);
    EXPECT_EQ(road.host.statuses.back(), "");
    for (size_t i = 0; i + 1 < road.host.statuses.size(); ++i)
        EXPECT_TRUE(std::regex_match(road.host.statuses[i], progress)) << road.host.statuses[i];
    // Left in the registry until the worker notices; the next call runs the read afresh.
    road.host.escape = [] { return false; };
    auto again = road.answer(cs, "SELECT count(*) FROM big");
    EXPECT_EQ(show(again.value(0, 0)), "<num 1000000.000000>");
    EXPECT_TRUE(eventually([&] { return road.pool->size() == 1; })) << "only the last, unstopped session is kept";
}

// Esc that arrives once the result is complete: the complete result is the answer.
TEST(SqliteRoad, AResultCompleteBeforeEscWasSeenIsShownComplete)
{
    TestRoad road;
    road.place.times.poll = 0ms;
    const db::Request request{u(SqliteDb::fresh_connection_string()),
                              // Long enough (a tenth of a second) that the calling thread reads
                              // Esc before the run ends, even on a loaded machine.
                              u("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 500000) "
                                "SELECT count(*) FROM c"),
                              std::nullopt, false};
    road.host.escape = [&] { // the query ends while the user reaches for the key
        const auto run = road.registry.find(request);
        return eventually([&] { return run->finished(); });
    };
    auto q = db::answer_request(request, road.place);
    ASSERT_GE(road.host.asks, 1);
    ASSERT_EQ(q.status, db::QueryStatus::ok) << show(q.value);
    EXPECT_EQ(show(q.value(0, 0)), "<num 500000.000000>");
    EXPECT_TRUE(db::ResultCache::admits(q));
}

// Another process holds the file write-locked: Esc frees the cell at once, the INSERT waits on
// its worker, completes when the lock goes, and the next call of the same query takes its
// outcome rather than sending it again.
TEST(SqliteRoad, AnInsertAbandonedOnALockedFileCompletesOnceAndIsTakenOver)
{
    const auto cs = SqliteDb::fresh_connection_string();
    ASSERT_TRUE(executed(cs, "CREATE TABLE t (n INTEGER)"));
    TestRoad road;
    // The connection is opened and kept before the lock: the INSERT itself waits on it.
    ASSERT_EQ(road.answer(cs, "SELECT count(*) FROM t").status, db::QueryStatus::ok);
    const std::string file = cs.substr(cs.find("Database=") + 9);
    const std::string locked = file + ".locked";
    const std::string lock_holder = "python3 -c \"import sqlite3, sys; c = sqlite3.connect(sys.argv[1], "
                                    "isolation_level=None); c.execute('BEGIN EXCLUSIVE'); open(sys.argv[2], 'w')"
                                    ".close(); sys.stdin.read()\" " + shell_quote(file) + " " + shell_quote(locked);
    FILE* holder = popen(lock_holder.c_str(), "w");
    ASSERT_NE(holder, nullptr);
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(locked); }));

    road.host.escape = [&] { return road.host.asks >= 20; };
    // Answered while the lock is still held: the calling thread did not wait for the worker.
    auto left = road.answer(cs, "INSERT INTO t VALUES (1)");
    EXPECT_EQ(show(left.value), "#Cancelled after 0 rows");
    EXPECT_FALSE(db::ResultCache::admits(left));
    EXPECT_EQ(road.registry.size(), 1u) << "the abandoned run waits to be taken over";

    pclose(holder); // the lock goes; the INSERT completes on its worker
    road.host.escape = [] { return false; };
    auto taken = road.answer(cs, "INSERT INTO t VALUES (1)");
    EXPECT_EQ(taken.status, db::QueryStatus::ok) << show(taken.value);
    EXPECT_EQ(road.registry.size(), 0u);
    StubCalendar calendar;
    EXPECT_EQ(show(test::run_query(u(cs), u("SELECT count(*) FROM t"), false, calendar).value(0, 0)),
              "<num 1.000000>");
    std::remove(locked.c_str());
}

// A file renamed over the database, then the file deleted, between two calls: the kept
// connection is not the file the string names any more.
TEST(SqliteRoad, AKeptConnectionFollowsTheFileThePathNames)
{
    const auto made = SqliteDb::fresh_connection_string();
    const std::string file = made.substr(made.find("Database=") + 9);
    const auto cs = made + ";NoCreat=1";
    ASSERT_TRUE(executed(made, "CREATE TABLE t (n INTEGER)"));
    ASSERT_TRUE(executed(made, "INSERT INTO t VALUES (1)"));
    TestRoad road;
    EXPECT_EQ(show(road.answer(cs, "SELECT count(*) FROM t").value(0, 0)), "<num 1.000000>");
    ASSERT_EQ(road.pool->size(), 1u);

    const std::string other = file + ".new";
    ASSERT_TRUE(executed("Driver=SQLite3;Database=" + other, "CREATE TABLE t (n INTEGER)"));
    ASSERT_TRUE(executed("Driver=SQLite3;Database=" + other, "INSERT INTO t VALUES (1), (2)"));
    std::filesystem::rename(other, file);
    EXPECT_EQ(show(road.answer(cs, "SELECT count(*) FROM t").value(0, 0)), "<num 2.000000>");

    std::filesystem::remove(file);
    auto gone = road.answer(cs, "SELECT count(*) FROM t");
    EXPECT_EQ(show(gone.value).rfind("#SQL Error ", 0), 0u) << show(gone.value);
    EXPECT_FALSE(std::filesystem::exists(file)) << "NoCreat=1 made no file";
}

// A connection dropped in the middle of a transaction (autocommit off) rolls it back before it
// disconnects, which the driver refuses while a transaction is open: nothing stays locked.
TEST(SqliteRoad, AConnectionDroppedInATransactionLeavesNothingLocked)
{
    const auto cs = SqliteDb::fresh_connection_string();
    ASSERT_TRUE(executed(cs, "CREATE TABLE t (n INTEGER)"));
    {
        db::OdbcConnection dropped(u(cs));
        ASSERT_TRUE(dropped.connected());
        ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(dropped.handle(), SQL_ATTR_AUTOCOMMIT,
                                                    reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)));
        db::OdbcStatement statement;
        dropped.execute(u("INSERT INTO t VALUES (1)"), statement);
    }
    // A writer that waits a tenth of a second at most for a lock.
    EXPECT_TRUE(executed(cs + ";Timeout=100", "INSERT INTO t VALUES (2)"));
    StubCalendar calendar;
    EXPECT_EQ(show(test::run_query(u(cs), u("SELECT count(*) FROM t"), false, calendar).value(0, 0)), "<num 1.000000>");
}

// A statement that sleeps on the server, per server.
template <class Db> struct Sleeping;
template <> struct Sleeping<PostgresDb> {
    static constexpr const char* statement = "SELECT pg_sleep(30)";
    static constexpr const char* sessions = "SELECT count(*) FROM pg_stat_activity WHERE datname = current_database()";
    static constexpr const char* running_prefix = "SELECT count(*) FROM pg_stat_activity WHERE query = '";
    static constexpr const char* pausing = "SELECT 1 FROM pause, pg_sleep(pause.seconds)";
};
template <> struct Sleeping<MariaDb> {
    static constexpr const char* statement = "SELECT SLEEP(30)";
    static constexpr const char* sessions =
        "SELECT count(*) FROM information_schema.processlist WHERE db = database()";
    static constexpr const char* running_prefix =
        "SELECT count(*) FROM information_schema.processlist WHERE info = '";
    static constexpr const char* pausing = "SELECT 1 FROM pause WHERE SLEEP(seconds) = 0";
};

template <class Db> class ServerCancel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZORVANE_REQUIRE_DATABASE(Db);
        cs = Db::fresh_connection_string();
    }
    void TearDown() override { Db::thaw(); }

    // The one value of a one-row result, read on a session of its own.
    std::string elsewhere(const std::string& sql)
    {
        StubCalendar calendar;
        auto v = test::run_query(u(cs), u(sql), false, calendar).value;
        return show(v.is(xltypeMulti) ? v(0, 0) : v);
    }
    // Whether the server runs the statement now, seen from a session of its own.
    bool running(const std::string& statement)
    {
        return elsewhere(Sleeping<Db>::running_prefix + statement + "'") == "<num 1.000000>";
    }
    // On the waiting thread of `of`, once the server runs the statement: `then`, and Esc at the
    // next poll when `escape` (else never).
    void once_running(TestRoad& of, const std::string& statement, std::function<void()> then, bool escape)
    {
        of.host.escape = [this, statement, then, escape, done = false]() mutable {
            if (!done && running(statement)) {
                then();
                done = true;
                return false;
            }
            return done && escape;
        };
    }

    std::string cs;
    TestRoad road;
};

using Servers = ::testing::Types<PostgresDb, MariaDb>;
TYPED_TEST_SUITE(ServerCancel, Servers, DatabaseNames);

// The statement is stopped on the server (psqlODBC's cancel, MariaDB's KILL QUERY from a
// connection of its own), the cell is free at once, and the next query works.
TYPED_TEST(ServerCancel, AStatementStillExecutingStopsOnTheServer)
{
    ASSERT_EQ(this->road.answer(this->cs, "SELECT 1").status, db::QueryStatus::ok); // a kept connection
    const std::string sleeping = Sleeping<TypeParam>::statement;
    this->once_running(this->road, sleeping, [] {}, true);
    auto q = this->road.answer(this->cs, sleeping);
    EXPECT_EQ(show(q.value), "#Cancelled after 0 rows");
    EXPECT_TRUE(eventually([&] { return !this->running(sleeping); })) << "the statement still runs on the server";
    this->road.host.escape = [] { return false; };
    auto again = this->road.answer(this->cs, "SELECT 'again'");
    ASSERT_TRUE(again.value.is(xltypeMulti)) << show(again.value);
    EXPECT_EQ(show(again.value(0, 0)), "again");
}

// A server that stops answering (SIGSTOP) during the query, or before the login: Esc frees the
// cell while the server is still frozen, whatever the driver waits for; once thawed, the worker
// ends and leaves no session behind.
TYPED_TEST(ServerCancel, AFrozenServerNeverHoldsTheCell)
{
    for (const bool during_login : {false, true}) {
        SCOPED_TRACE(during_login ? "during the login" : "during the query");
        TestRoad fresh;
        if (during_login) {
            TypeParam::freeze();
            fresh.host.escape = [&] { return fresh.host.asks >= 20; };
        }
        else
            this->once_running(fresh, Sleeping<TypeParam>::statement, TypeParam::freeze, true);
        auto q = fresh.answer(this->cs, during_login ? "SELECT 1" : Sleeping<TypeParam>::statement);
        EXPECT_EQ(show(q.value), during_login ? "#Cancelled while connecting" : "#Cancelled after 0 rows");
        TypeParam::thaw();
        EXPECT_TRUE(eventually([&] { return this->elsewhere(Sleeping<TypeParam>::sessions) == "<num 1.000000>"; }, 40s))
            << "a session was left behind";
    }
}

// A connect that never completes (a listening socket on loopback that never accepts): Esc frees
// the cell, and without Esc the login timeout of the connection string ends it with the driver's
// diagnostics, a failure that passes and is not kept.
TYPED_TEST(ServerCancel, AConnectThatNeverCompletes)
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 8), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string silent = TypeParam::connection_string("x", ntohs(address.sin_port), TypeParam::password());

    // The default login timeout: only Esc can end the wait here.
    this->road.host.escape = [&] { return this->road.host.asks >= 20; };
    auto left = this->road.answer(silent, "SELECT 1");
    EXPECT_EQ(show(left.value), "#Cancelled while connecting");

    // MariaDB's connector bounds only the socket's connect by the login timeout, not the wait for
    // the server's greeting: there only Esc ends it.
    if (std::string(TypeParam::name) != "MariaDB") {
        this->road.host.escape = [] { return false; };
        const auto start = Clock::now();
        auto failed = this->road.answer(silent + "LoginTimeout=2;", "SELECT 2");
        // Far below the default of 30 s: the string's own limit ended it.
        EXPECT_LT(Clock::now() - start, 20s);
        EXPECT_EQ(show(failed.value).rfind("#SQL Error ", 0), 0u) << show(failed.value);
        EXPECT_EQ(failed.kind, db::FailureKind::transient) << show(failed.value);
        EXPECT_FALSE(db::ResultCache::admits(failed));
    }
    // Connections still waiting in its queue are refused: a worker left on one ends.
    close(listener);
}

// The server goes away while a statement runs and comes back: the failure is the connection's,
// kept nowhere, and the same formula works afterwards without clearing the cache.
TYPED_TEST(ServerCancel, AServerKilledAndRestartedFailsOnceThenWorks)
{
    ASSERT_TRUE(executed(this->cs, "CREATE TABLE pause (seconds INTEGER)"));
    ASSERT_TRUE(executed(this->cs, "INSERT INTO pause VALUES (30)"));
    const std::string pausing = Sleeping<TypeParam>::pausing;
    this->once_running(this->road, pausing, TypeParam::stop, false);
    auto lost = this->road.answer(this->cs, pausing);
    EXPECT_EQ(show(lost.value).rfind("#SQL Error ", 0), 0u) << show(lost.value);
    EXPECT_EQ(lost.kind, db::FailureKind::transient) << show(lost.value);
    EXPECT_FALSE(db::ResultCache::admits(lost));
    TypeParam::restart();
    ASSERT_TRUE(executed(this->cs, "UPDATE pause SET seconds = 0"));
    this->road.host.escape = [] { return false; };
    auto back = this->road.answer(this->cs, pausing);
    ASSERT_TRUE(back.value.is(xltypeMulti)) << show(back.value);
    EXPECT_EQ(show(back.value(0, 0)), "<num 1.000000>");
}

} // namespace
