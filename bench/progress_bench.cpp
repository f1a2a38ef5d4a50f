// A 1,000,000-row fetch from SQLite with progress on (the worker thread, the rows told to the
// waiting thread, the status text four times a second, Esc asked ten times a second) against the
// same fetch with progress off (straight through on the calling thread), on the same connection
// and file. The two alternate, and each pair gives a ratio, so that the machine's drift during
// the run falls out; the medians of the wall-clock and of the processor-time ratios are printed.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "db/calendar.h"
#include "db/odbc_connection.h"
#include "db/query.h"
#include "db/watched_query.h"
#include "xll/text.h"

namespace {

constexpr int rows = 1000000;
constexpr int rounds = 10;

// The spreadsheet of the progress-on runs: nobody presses Esc; the texts are counted.
struct CountingHost : db::WatchHost {
    int shown = 0;
    bool escape_pressed() noexcept override { return false; }
    void show_status(xll::xstring_view) noexcept override { ++shown; }
    void give_back_status() noexcept override {}
};

// Wall-clock and processor milliseconds (every thread of the process) of one piece of work.
struct Cost {
    double wall = 0, cpu = 0;
};

double cpu_ms()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

template <class Work> Cost measure(Work&& work)
{
    const auto wall = std::chrono::steady_clock::now();
    const double cpu = cpu_ms();
    work();
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall).count(), cpu_ms() - cpu};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main()
{
    namespace fs = std::filesystem;
    const fs::path file = fs::temp_directory_path() / ("zorvane-progress-bench-" + std::to_string(::getpid()) + ".sqlite");
    const xll::xstring cs = xll::utf8_to_xstring("Driver=SQLite3;Database=" + file.string());
    const xll::xstring select = xll::utf8_to_xstring("SELECT x, name, amount, day FROM big");
    db::SerialCalendar calendar;
    {
        auto made = db::run_query(cs,
                                  xll::utf8_to_xstring("CREATE TABLE big AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL "
                                                       "SELECT x + 1 FROM c WHERE x < " + std::to_string(rows) +
                                                       ") SELECT x, 'customer ' || (x % 1000) AS name, x * 0.25 AS "
                                                       "amount, date('2014-01-01', '+' || (x % 3650) || ' days') AS day "
                                                       "FROM c"),
                                  false, calendar);
        if (made.failed) {
            std::fprintf(stderr, "cannot make the table: %s\n", xll::xstring_to_utf8(made.value.text()).c_str());
            return 1;
        }
    }

    db::ConnectionPool pool; // both take the same connection from it
    CountingHost host;
    std::vector<double> wall_ratio, cpu_ratio, off_wall, on_wall;
    size_t off_rows = 0, on_rows = 0;
    auto progress_off = [&] {
        auto connection = pool.take(cs);
        if (!connection) {
            connection = std::make_unique<db::OdbcConnection>();
            connection->SetConnectionString(cs);
        }
        db::OdbcStatement statement;
        off_rows = db::run_statement(*connection, statement, db::direct_execution(select), false, calendar).value.rows();
        pool.keep(cs, std::move(connection));
    };
    auto progress_on = [&] {
        on_rows = db::run_watched_query(cs, db::direct_execution(select), false, calendar, pool, host, XLL_T("zStatement"))
                      .result.value.rows();
    };
    for (int r = 0; r <= rounds; ++r) {
        // Each goes first every other round, so that neither always inherits the other's leftovers.
        Cost off, on;
        if (r % 2) {
            off = measure(progress_off);
            on = measure(progress_on);
        }
        else {
            on = measure(progress_on);
            off = measure(progress_off);
        }
        if (r == 0)
            continue; // the warm-up: the file into the page cache, the connection into the pool
        off_wall.push_back(off.wall);
        on_wall.push_back(on.wall);
        wall_ratio.push_back(on.wall / off.wall);
        cpu_ratio.push_back(on.cpu / off.cpu);
    }
    std::error_code ec;
    fs::remove(file, ec);
    if (off_rows != static_cast<size_t>(rows) || on_rows != static_cast<size_t>(rows)) {
        std::fprintf(stderr, "expected %d rows, got %zu and %zu\n", rows, off_rows, on_rows);
        return 1;
    }
    std::printf("%d rows x 4 columns, %d pairs: progress off %.1f ms, progress on %.1f ms (medians; %d status texts)\n"
                "progress on / progress off, median of the pairs: wall clock %.3f, processor time %.3f\n",
                rows, rounds, median(off_wall), median(on_wall), host.shown, median(wall_ratio), median(cpu_ratio));
    return 0;
}
