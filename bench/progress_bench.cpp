// A 1,000,000-row fetch from SQLite with progress on (the worker thread, the rows told to the
// waiting thread, the status text four times a second, Esc asked ten times a second) against the
// same fetch with progress off (straight through on the calling thread). Each fetch runs in a
// process of its own, so that neither inherits the other's heap; the two kinds alternate, each
// pair gives a ratio, and the medians are printed, so that the machine's drift falls out.
//   progress_bench                 the comparison
//   progress_bench FILE off|on     one process: a warm-up fetch, then one timed; prints
//                                  "wall_ms cpu_ms"
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "db/calendar.h"
#include "db/odbc_connection.h"
#include "db/statement_run.h"
#include "db/run_text.h"
#include "db/run_watch.h"
#include "xll/text.h"

namespace {

constexpr int rows = 1000000;
constexpr int pairs = 15;

// The spreadsheet of the progress-on runs: nobody presses Esc.
struct QuietHost : db::WatchHost {
    bool escape_pressed() noexcept override { return false; }
    void show_status(xll::xstring_view) noexcept override {}
    void give_back_status() noexcept override {}
};

double cpu_ms()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

xll::xstring connection_string(const std::string& file) { return xll::utf8_to_xstring("Driver=SQLite3;Database=" + file); }

// One process's part: a warm-up fetch, then the timed one; the result is freed after the timing,
// as a worksheet function's result outlives its call.
int fetch(const std::string& file, bool progress)
{
    // The runtime's allocator skips its locks while a process has never had a second thread; the
    // spreadsheet's process always has several, and the progress-on fetch makes one. Both
    // processes are made alike, so that the comparison is of the fetch alone.
    std::thread([] {}).join();
    const xll::xstring cs = connection_string(file);
    const auto select = db::direct_execution(xll::utf8_to_xstring("SELECT x, name, amount, day FROM big"));
    db::SerialCalendar calendar;
    auto pool = std::make_shared<db::ConnectionPool>();
    db::RunRegistry registry;
    QuietHost host;
    db::RunPlace place{registry, pool, [] { return std::make_unique<db::SerialCalendar>(); }, host};
    const db::Request request{cs, xll::utf8_to_xstring("SELECT x, name, amount, day FROM big"), std::nullopt, false};
    xll::OPER12 result;
    auto once = [&] {
        if (progress) {
            result = std::move(db::answer_request(request, place).value);
            return;
        }
        auto connection = pool->take(cs);
        if (!connection) {
            connection = std::make_unique<db::OdbcConnection>();
            connection->set_connection_string(cs);
        }
        db::OdbcStatement statement;
        result = std::move(db::run_statement(*connection, statement, select, false, calendar).value);
        pool->keep(cs, std::move(connection));
    };
    once();
    result.release();
    const auto wall = std::chrono::steady_clock::now();
    const double cpu = cpu_ms();
    once();
    const double wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall).count();
    const double used = cpu_ms() - cpu;
    if (result.rows() != static_cast<size_t>(rows)) {
        std::fprintf(stderr, "expected %d rows, got %zu\n", rows, result.rows());
        return 1;
    }
    std::printf("%.3f %.3f\n", wall_ms, used);
    return 0;
}

// Runs this program on one fetch; its wall and processor milliseconds.
bool child(const std::string& self, const std::string& file, const char* mode, double& wall, double& cpu)
{
    const std::string command = "'" + self + "' '" + file + "' " + mode;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return false;
    const bool read = std::fscanf(p, "%lf %lf", &wall, &cpu) == 2;
    return pclose(p) == 0 && read;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3)
        return fetch(argv[1], std::string(argv[2]) == "on");

    namespace fs = std::filesystem;
    const std::string file =
        (fs::temp_directory_path() / ("zorvane-progress-bench-" + std::to_string(::getpid()) + ".sqlite")).string();
    db::SerialCalendar calendar;
    {
        // On a connection of its own, closed before the runs read the file.
        db::OdbcConnection connection;
        connection.set_connection_string(connection_string(file));
        db::OdbcStatement statement;
        auto made = db::run_statement(
            connection, statement,
            db::direct_execution(xll::utf8_to_xstring("CREATE TABLE big AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL "
                                                      "SELECT x + 1 FROM c WHERE x < " + std::to_string(rows) +
                                                      ") SELECT x, 'customer ' || (x % 1000) AS name, x * 0.25 AS "
                                                      "amount, date('2014-01-01', '+' || (x % 3650) || ' days') AS day "
                                                      "FROM c")),
            false, calendar);
        if (made.status != db::QueryStatus::ok) {
            const xll::OPER12 why = db::failure_value(made.failure);
            std::fprintf(stderr, "cannot make the table: %s\n",
                         why.is(xltypeStr) ? xll::xstring_to_utf8(why.text()).c_str() : "#VALUE!");
            return 1;
        }
    }
    const std::string self = fs::canonical("/proc/self/exe").string();
    std::vector<double> off_wall, on_wall, wall_ratio, cpu_ratio;
    bool ok = true;
    for (int r = 0; r < pairs && ok; ++r) {
        double off_w = 0, off_c = 0, on_w = 0, on_c = 0;
        // Each goes first every other pair.
        if (r % 2)
            ok = child(self, file, "off", off_w, off_c) && child(self, file, "on", on_w, on_c);
        else
            ok = child(self, file, "on", on_w, on_c) && child(self, file, "off", off_w, off_c);
        off_wall.push_back(off_w);
        on_wall.push_back(on_w);
        wall_ratio.push_back(on_w / off_w);
        cpu_ratio.push_back(on_c / off_c);
    }
    std::error_code ec;
    fs::remove(file, ec);
    if (!ok) {
        std::fprintf(stderr, "a fetch failed\n");
        return 1;
    }
    auto [low, high] = std::minmax_element(wall_ratio.begin(), wall_ratio.end());
    std::printf("%d rows x 4 columns, %d pairs of processes: progress off %.1f ms, progress on %.1f ms (medians)\n"
                "progress on / progress off, median of the pairs: wall clock %.3f (pairs from %.3f to %.3f), "
                "processor time %.3f\n",
                rows, pairs, median(off_wall), median(on_wall), median(wall_ratio), *low, *high, median(cpu_ratio));
    return 0;
}
