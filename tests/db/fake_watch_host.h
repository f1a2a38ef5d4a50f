// The spreadsheet as the waiting side of a query sees it, scripted: Esc when the test says so,
// and a record of the status bar ("" where it was given back). Fast times, so that a query of a
// fraction of a second already shows its progress.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/query_watch.h"
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

    // Esc once the status bar shows rows being fetched.
    void escape_while_fetching()
    {
        escape = [this] { return !statuses.empty() && statuses.back().find(" rows (") != std::string::npos; };
    }
};

inline const db::WatchTimes fast_watch{std::chrono::milliseconds(10), std::chrono::milliseconds(30),
                                       std::chrono::milliseconds(10)};

} // namespace test
