// The spreadsheet as the waiting side of a query sees it, scripted: Esc when the test says so,
// and a record of the status bar ("" where it was given back). Fast times, so that a query of a
// fraction of a second already shows its progress. And the place a test's requests run: a
// registry and a pool of their own.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "db/run_watch.h"
#include "db_test.h"

namespace test {

struct FakeWatchHost : db::WatchHost {
    std::function<bool()> escape = [] { return false; };
    std::vector<std::string> statuses;
    int asks = 0;

    bool escape_pressed() noexcept override
    {
        ++asks;
        return escape();
    }
    void show_status(xll::xstring_view text) noexcept override { statuses.push_back(s(text)); }
    void give_back_status() noexcept override { statuses.push_back(""); }

    // Esc once the status bar shows rows fetched: on a loaded machine it can show "0 rows" first.
    void escape_while_fetching()
    {
        escape = [this] {
            return !statuses.empty() && statuses.back().find(" row") != std::string::npos &&
                   statuses.back().find(": 0 rows") == std::string::npos;
        };
    }
};

inline const db::WatchTimes fast_watch{std::chrono::milliseconds(10), std::chrono::milliseconds(30),
                                       std::chrono::milliseconds(10)};

// Requests answered as the worksheet functions answer them, with a registry, a pool and a
// spreadsheet of the test's own.
struct TestRoad {
    db::RunRegistry registry;
    // Every kept connection is checked before it serves, however recently it was used: the tests
    // of the check end sessions between two statements.
    std::shared_ptr<db::ConnectionPool> pool = std::make_shared<db::ConnectionPool>(
        db::kept_connections, db::kept_idle_limit, std::chrono::steady_clock::now, std::chrono::steady_clock::duration::zero());
    FakeWatchHost host;
    db::RunPlace place{registry, pool, [] { return std::make_unique<StubCalendar>(); }, host, fast_watch};

    TestRoad() = default;
    TestRoad(const TestRoad&) = delete;
    TestRoad& operator=(const TestRoad&) = delete;
    // Every worker holds the pool until it ends: none may outlive the test, and still be inside a
    // driver while the process exits.
    ~TestRoad()
    {
        registry.clear();
        for (int i = 0; i < 1200 && pool.use_count() > 2; ++i) // its own and the place's
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    // The request's answer, its value as the cell shows it.
    db::QueryResult answer(const std::string& connection_string, const std::string& sql, bool headers = false)
    {
        return shown(db::answer_request(db::Request{u(connection_string), u(sql), std::nullopt, headers}, place));
    }
};

} // namespace test
