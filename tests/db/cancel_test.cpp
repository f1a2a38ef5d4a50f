// Esc and progress while a query runs: the texts the user sees, the waiting thread's part against a
// scripted query, and real statements stopped on each driver.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <set>
#include <thread>

#include "databases.h"
#include "db/watched_query.h"
#include "db_test.h"
#include "fake_watch_host.h"

using namespace test;
using namespace std::chrono_literals;
using Phase = db::QueryRun::Phase;

namespace {

TEST(QueryTexts, RowsAreCountedWithThousandsSetApart)
{
    const auto label = u("zStatement");
    EXPECT_EQ(s(db::progress_text(label, Phase::fetching, 120000, false)), "zStatement: 120,000 rows (Esc to cancel)");
    EXPECT_EQ(s(db::progress_text(label, Phase::fetching, 1, false)), "zStatement: 1 row (Esc to cancel)");
    EXPECT_EQ(s(db::progress_text(label, Phase::fetching, 999, false)), "zStatement: 999 rows (Esc to cancel)");
    EXPECT_EQ(s(db::progress_text(label, Phase::fetching, 1048575, false)), "zStatement: 1,048,575 rows (Esc to cancel)");
    EXPECT_EQ(s(db::progress_text(label, Phase::executing, 0, false)), "zStatement: executing (Esc to cancel)");
    EXPECT_EQ(s(db::progress_text(label, Phase::connecting, 0, false)), "zStatement: connecting (Esc to cancel)");
    EXPECT_EQ(s(db::progress_text(label, Phase::fetching, 5, true)), "zStatement: cancelling");
    EXPECT_EQ(s(db::cancelled_text(0)), "#Cancelled after 0 rows");
    EXPECT_EQ(s(db::cancelled_text(1)), "#Cancelled after 1 row");
    EXPECT_EQ(s(db::cancelled_text(1000)), "#Cancelled after 1,000 rows");
    EXPECT_EQ(s(db::cancelled_text(12345678)), "#Cancelled after 12,345,678 rows");
}

// A scripted query: rows come every millisecond for a while, then it succeeds or fails; it stops
// where it sees the stop, as the real fetch does.
db::QueryResult scripted(db::QueryRun& run, std::chrono::milliseconds lasting, bool fails)
{
    run.enter(Phase::fetching);
    const auto end = std::chrono::steady_clock::now() + lasting;
    size_t rows = 0;
    while (std::chrono::steady_clock::now() < end) {
        run.throw_if_stopped();
        std::this_thread::sleep_for(1ms);
        run.rows(++rows);
    }
    db::QueryResult q;
    q.value = fails ? xll::OPER12(u("#SQL Error 22012")) : xll::OPER12(double(rows));
    q.status = fails ? db::QueryStatus::failed : db::QueryStatus::ok;
    return q;
}

TEST(QueryWatch, AQuickQueryNeverTalksToTheSpreadsheet)
{
    FakeWatchHost host;
    auto w = db::watch_query([](db::QueryRun& run) { return scripted(run, 0ms, false); }, host, u("zStatement"),
                             db::WatchTimes{});
    EXPECT_EQ(w.result.status, db::QueryStatus::ok);
    EXPECT_EQ(host.asks, 0);
    EXPECT_TRUE(host.statuses.empty());
}

// Success, failure and Esc alike: progress texts while it runs, then the bar given back once.
TEST(QueryWatch, TheStatusBarShowsProgressAndIsGivenBackWhateverTheEnd)
{
    const std::regex progress("zStatement: ([0-9]{1,3}(,[0-9]{3})* rows?|executing|connecting) \\(Esc to cancel\\)"
                              "|zStatement: cancelling");
    for (const char* end : {"success", "failure", "cancel"}) {
        SCOPED_TRACE(end);
        FakeWatchHost host;
        const bool cancel = std::string(end) == "cancel";
        if (cancel)
            host.escape_while_fetching();
        auto w = db::watch_query([&](db::QueryRun& run) { return scripted(run, cancel ? 10s : 200ms, end[0] == 'f'); },
                                 host, u("zStatement"), fast_watch);
        // A stopped query is cancelled, whatever its work made of the stop.
        EXPECT_EQ(w.result.status, cancel ? db::QueryStatus::cancelled
                                   : end[0] == 'f' ? db::QueryStatus::failed : db::QueryStatus::ok);
        ASSERT_GE(host.statuses.size(), 2u);
        EXPECT_EQ(host.statuses.back(), "");
        for (size_t i = 0; i + 1 < host.statuses.size(); ++i)
            EXPECT_TRUE(std::regex_match(host.statuses[i], progress)) << host.statuses[i];
        EXPECT_GT(w.rows, 0u);
        if (!cancel) {
            EXPECT_EQ(host.statuses.size(), std::set<std::string>(host.statuses.begin(), host.statuses.end()).size())
                << "a text is shown again only when it changed";
        }
    }
}

// A statement that sleeps on the server, per server.
template <class Db> struct Sleeping;
template <> struct Sleeping<PostgresDb> {
    static constexpr const char* statement = "SELECT pg_sleep(30)";
};
template <> struct Sleeping<MariaDb> {
    static constexpr const char* statement = "SELECT SLEEP(30)";
};

template <class Db> class ServerCancel : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (auto why = Db::unavailable(); !why.empty())
            GTEST_SKIP() << Db::name << ": " << why;
        cs = u(Db::fresh_connection_string());
    }
    db::WatchedQuery query(const std::string& sql)
    {
        return db::run_watched_query(cs, db::direct_execution(u(sql)), false, calendar, pool, host, u("zStatement"),
                                     fast_watch);
    }
    xll::xstring cs;
    db::ConnectionPool pool;
    FakeWatchHost host;
    StubCalendar calendar;
};

using Servers = ::testing::Types<PostgresDb, MariaDb>;
TYPED_TEST_SUITE(ServerCancel, Servers, DatabaseNames);

TYPED_TEST(ServerCancel, AStatementStillExecutingStopsSoonAfterEsc)
{
    ASSERT_EQ(this->query("SELECT 1").result.status, db::QueryStatus::ok); // a kept connection, checked before reuse
    std::chrono::steady_clock::time_point pressed{};
    this->host.escape = [&] {
        if (this->host.asks < 20)
            return false;
        pressed = std::chrono::steady_clock::now();
        return true;
    };
    auto w = this->query(Sleeping<TypeParam>::statement);
    const auto after_esc = std::chrono::steady_clock::now() - pressed;
    EXPECT_EQ(w.result.status, db::QueryStatus::cancelled);
    EXPECT_EQ(w.rows, 0u);
    // Far from the statement's 30 seconds; a second or so on a quiet machine.
    EXPECT_LT(after_esc, 10s);
    EXPECT_EQ(this->pool.size(), 0u) << "a cancelled statement's session is not kept";
    this->host.escape = [] { return false; };
    auto again = this->query("SELECT 'again'");
    ASSERT_TRUE(again.result.value.is(xltypeMulti)) << show(again.result.value);
    EXPECT_EQ(show(again.result.value(0, 0)), "again");
}

TEST(SqliteCancel, AMillionRowFetchStopsMidway)
{
    const auto cs = u(SqliteDb::fresh_connection_string());
    ASSERT_TRUE(executed(cs, "CREATE TABLE big AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                             "WHERE x < 1000000) SELECT x, 'row ' || x AS name FROM c"));
    db::ConnectionPool pool;
    FakeWatchHost host;
    host.escape_while_fetching();
    StubCalendar calendar;
    auto w = db::run_watched_query(cs, db::direct_execution(u("SELECT x, name FROM big")), false, calendar, pool, host,
                                   u("zStatement"), fast_watch);
    EXPECT_EQ(w.result.status, db::QueryStatus::cancelled);
    EXPECT_GT(w.rows, 0u);
    EXPECT_LT(w.rows, 1000000u);
    EXPECT_EQ(host.statuses.back(), "");
    EXPECT_EQ(pool.size(), 0u);
}

} // namespace
