// Queries that run at once: the scheduler's limits and order, and zQuery's waiting cells on each
// server: identical cells run once and share the result, Esc answers every cell at once and
// stops the runs with nothing cached, and the end of a calculation keeps the results.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "databases.h"
#include "db/query_scheduler.h"
#include "db/waiting_cells.h"
#include "db_test.h"

using namespace test;
using namespace std::chrono_literals;

namespace {

// Waits at most ten seconds for the condition, checked under the lock each time it is told.
template <class Ready> bool wait_until(std::mutex& m, std::condition_variable& told, Ready ready)
{
    std::unique_lock<std::mutex> hold(m);
    return told.wait_for(hold, 10s, ready);
}

// Works held until the test lets each go, on a scheduler of their own: which run at once, and
// which comes next when one ends. Threads start in any order, so each step is compared as a set.
TEST(QueryScheduler, PerSourceLimitTotalCapAndFirstComeFirstServed)
{
    db::QueryScheduler scheduler(3);
    std::mutex m;
    std::condition_variable told;
    std::set<std::string> started, released;
    auto work = [&](std::string name) {
        return [&, name] {
            std::unique_lock<std::mutex> hold(m);
            started.insert(name);
            told.notify_all();
            told.wait(hold, [&] { return released.count(name) > 0; });
        };
    };
    auto release = [&](std::set<std::string> names) {
        std::lock_guard<std::mutex> hold(m);
        released.insert(names.begin(), names.end());
        told.notify_all();
    };
    for (const char* name : {"a1", "a2", "a3", "b1", "b2", "c1"})
        scheduler.submit(u(std::string("DSN=") + name[0]), 2, work(name));
    // Two of a, then b1: three in all; a3 waits for its source, b2 and c1 for the cap.
    ASSERT_TRUE(wait_until(m, told, [&] { return started.size() == 3; }));
    EXPECT_EQ(started, (std::set<std::string>{"a1", "a2", "b1"}));
    EXPECT_EQ(scheduler.waiting(), 3u);
    // a1 ends: its source's place goes to a3, ahead of b2 and c1 that came later.
    release({"a1"});
    ASSERT_TRUE(wait_until(m, told, [&] { return started.size() == 4; }));
    EXPECT_EQ(started.count("a3"), 1u);
    // b1 ends: b2 came before c1.
    release({"b1"});
    ASSERT_TRUE(wait_until(m, told, [&] { return started.size() == 5; }));
    EXPECT_EQ(started.count("b2"), 1u);
    release({"a2", "a3", "b2", "c1"});
    ASSERT_TRUE(wait_until(m, told, [&] { return started.size() == 6; }));
    for (int i = 0; i < 500 && scheduler.running() > 0; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(scheduler.running(), 0u);
    EXPECT_EQ(db::queries_per_source_of(u("DSN=x;MaxQueries=8")), 8u);
    EXPECT_EQ(db::queries_per_source_of(u("DSN=x;maxqueries=1;")), 1u);
    EXPECT_EQ(db::queries_per_source_of(u("DSN=x;MaxQueries=0")), db::queries_per_source);
    EXPECT_EQ(db::queries_per_source_of(u("DSN=x")), db::queries_per_source);
    EXPECT_EQ(s(db::without_own_attributes(u("DSN=x;MaxQueries=8;LoginTimeout=3;UID=u"))), "DSN=x;UID=u");
}

// The cells of a test, with a registry, a pool and answers of their own: each cell's handle is
// its number, and its answer the value as the tests show it.
struct TestCells {
    db::RunRegistry registry;
    // Checked before every statement, as connections idle for more than a moment are.
    std::shared_ptr<db::ConnectionPool> pool = std::make_shared<db::ConnectionPool>(
        db::kept_connections, db::kept_idle_limit, std::chrono::steady_clock::now, std::chrono::steady_clock::duration::zero());
    std::mutex m;
    std::condition_variable told;
    std::map<int, std::string> answers;
    db::WaitingCells cells{registry, pool, [] { return std::make_unique<StubCalendar>(); },
                           [this](const XLOPER12& handle, const XLOPER12& value) {
                               std::lock_guard<std::mutex> hold(m);
                               answers[handle.val.w] = show(xll::base_type(value.xltype) == xltypeMulti
                                                                ? static_cast<const xll::OPER12&>(value)(0, 0)
                                                                : value);
                               told.notify_all();
                               return true;
                           }};

    TestCells() = default;
    TestCells(const TestCells&) = delete;
    TestCells& operator=(const TestCells&) = delete;
    // No run may outlive the cells it answers.
    ~TestCells()
    {
        cells.close();
        registry.clear();
        for (int i = 0; i < 1200 && pool.use_count() > 2; ++i) // its own and the cells'
            std::this_thread::sleep_for(50ms);
    }

    void call(int cell, const std::string& cs, const std::string& sql)
    {
        XLOPER12 handle{};
        handle.xltype = xltypeInt;
        handle.val.w = cell;
        cells.call(handle, db::Request{u(cs), u(sql), db::QueryParameters{}, false});
    }
    bool answered(size_t count)
    {
        return wait_until(m, told, [&] { return answers.size() >= count; });
    }
    // Whether every run the cells started has ended, within ten seconds.
    bool runs_ended()
    {
        for (int i = 0; i < 1000 && registry.size() > 0; ++i) {
            db::ResultCache scratch;
            cells.settle(scratch, [] { return 0.0; });
            std::this_thread::sleep_for(10ms);
        }
        return registry.size() == 0;
    }
};

template <class Db> class WaitingCells : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (auto why = Db::unavailable(); !why.empty())
            GTEST_SKIP() << Db::name << ": " << why;
        cs = Db::fresh_connection_string();
    }
    static std::string sleep(const std::string& seconds)
    {
        return Db::name == std::string("PostgreSQL") ? "SELECT pg_sleep(" + seconds + ")::text || 'slept'"
                                                      : "SELECT CONCAT(SLEEP(" + seconds + "), 'slept')";
    }
    std::string cs;
};

using Servers = ::testing::Types<PostgresDb, MariaDb>;
TYPED_TEST_SUITE(WaitingCells, Servers);

TYPED_TEST(WaitingCells, IdenticalCellsRunOnceAndTheEndOfTheCalculationKeepsTheResult)
{
    TestCells t;
    const std::string sql = this->sleep("0.3");
    for (int cell = 1; cell <= 6; ++cell)
        t.call(cell, this->cs, sql);
    EXPECT_EQ(t.registry.size(), 1u) << "one run for six identical cells";
    ASSERT_TRUE(t.answered(6));
    for (const auto& [cell, value] : t.answers)
        EXPECT_NE(value.find("slept"), std::string::npos) << cell << ": " << value;
    db::ResultCache cache;
    for (int i = 0; i < 500 && t.registry.size() > 0; ++i) {
        t.cells.settle(cache, [] { return 41790.5; });
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(t.registry.size(), 0u);
    db::QueryParameters none;
    EXPECT_NE(cache.find(u(this->cs), u(sql), 0, &none), nullptr);
}

// Esc answers every waiting cell within the handler, queued ones too (the source runs four at
// once), and the runs end long before their statements would: nothing of them is kept.
TYPED_TEST(WaitingCells, EscAnswersEveryCellAtOnceAndStopsTheRunsKeepingNothing)
{
    TestCells t;
    for (int cell = 1; cell <= 8; ++cell)
        t.call(cell, this->cs, this->sleep("30") + " AS c" + std::to_string(cell));
    for (int i = 0; i < 1000 && db::QueryScheduler::instance().running() < 4; ++i)
        std::this_thread::sleep_for(10ms);
    t.cells.cancel_all();
    {
        std::lock_guard<std::mutex> hold(t.m);
        ASSERT_EQ(t.answers.size(), 8u);
        for (const auto& [cell, value] : t.answers)
            EXPECT_EQ(value, "#Cancelled after 0 rows") << cell;
    }
    EXPECT_EQ(t.cells.waiting(), 0u);
    EXPECT_TRUE(t.runs_ended());
}

// The server restarts between two calculations: each of the source's kept sessions is found dead
// before its next statement is sent, and every cell gets its value on a new one.
TYPED_TEST(WaitingCells, ServerRestartedBetweenTwoCalculations)
{
    TestCells t;
    for (int cell = 1; cell <= 4; ++cell)
        t.call(cell, this->cs, this->sleep("0.2") + " AS c" + std::to_string(cell));
    ASSERT_TRUE(t.answered(4));
    ASSERT_TRUE(t.runs_ended());
    TypeParam::restart();
    t.answers.clear();
    for (int cell = 1; cell <= 4; ++cell)
        t.call(cell, this->cs, this->sleep("0.1") + " AS c" + std::to_string(cell));
    ASSERT_TRUE(t.answered(4));
    for (const auto& [cell, value] : t.answers)
        EXPECT_NE(value.find("slept"), std::string::npos) << cell << ": " << value;
}

// Many connects at once, as the first calculation of a sheet of server cells starts them: each
// connection comes up. psqlODBC's connect sets the C library's locale and reads back the name it
// set, which another thread's connect frees; under AddressSanitizer an overlap shows as a read of
// freed memory.
TYPED_TEST(WaitingCells, ConnectsAtOnceEachComeUp)
{
    constexpr int threads = 8;
    for (int round = 0; round < 10; ++round) {
        std::mutex m;
        std::condition_variable told;
        int ready = 0;
        std::vector<int> connected(threads, 0);
        std::vector<std::thread> connecting;
        for (int i = 0; i < threads; ++i)
            connecting.emplace_back([&, i] {
                {
                    std::unique_lock<std::mutex> hold(m);
                    ++ready;
                    told.notify_all();
                    told.wait(hold, [&] { return ready == threads; });
                }
                db::OdbcConnection c(u(this->cs));
                connected[static_cast<size_t>(i)] = c.connected();
            });
        for (std::thread& t : connecting)
            t.join();
        EXPECT_EQ(std::count(connected.begin(), connected.end(), 1), threads) << "round " << round;
    }
}

} // namespace
