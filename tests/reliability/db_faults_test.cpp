// Databases that fail the query functions, through the real host: a server that dies in the
// middle of a fetch, credentials and drivers that are wrong, a file that is no database. Each
// ends in the in-band text; the host exits normally every time.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "databases.h"
#include "db/statement_run.h"
#include "db_test.h"
#include "support/host_eval.h"
#include "support/process.h"

namespace fs = std::filesystem;
using namespace test;

namespace {

std::string statement(const std::string& cs, const std::string& sql)
{
    return "=zStatement(" + formula_string(cs) + "," + formula_string(sql) + ")";
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            out.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    return out;
}

// Whether another session of the cluster is fetching from a cursor right now.
bool cursor_fetch_running()
{
    StubCalendar calendar;
    auto v = test::run_query(u(PostgresDb::connection_string("postgres", PostgresDb::port(), PostgresDb::password())),
                             u("SELECT count(*) FROM pg_stat_activity WHERE pid <> pg_backend_pid() "
                               "AND query ILIKE 'fetch%'"),
                             false, calendar)
                 .value;
    return v.is(xltypeMulti) && v(0, 0).is(xltypeNum) && v(0, 0).val.num > 0;
}

class DatabaseFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("zorvane-db-faults-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

} // namespace

// The driver reads the result through a cursor, a thousand rows a round trip; the server is
// stopped once the fetching has begun. The rows read until then are not the result: the cell shows
// the failed fetch's diagnostics, and after a restart the next query works.
TEST_F(DatabaseFaults, ServerStoppedInTheMiddleOfALargeFetch)
{
    ZORVANE_REQUIRE_DATABASE(PostgresDb);
    const int total = 2000000;
    std::string cs = PostgresDb::fresh_connection_string() + "UseDeclareFetch=1;Fetch=1000;";
    auto host = std::async(std::launch::async, [&] {
        return eval_csv({statement(cs, "SELECT g FROM generate_series(1, " + std::to_string(total) + ") AS g")});
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    bool fetching = false;
    while (!fetching && std::chrono::steady_clock::now() < deadline &&
           host.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        fetching = cursor_fetch_running();
    PostgresDb::stop();
    auto r = host.get();
    PostgresDb::restart();
    ASSERT_TRUE(fetching) << "the query ended before the server could be stopped";

    EXPECT_EQ(r.status, printed_failure_status) << r.err;
    // One cell, CSV-quoted for its line feeds: "#SQL Error " and the driver's records.
    EXPECT_EQ(r.out.rfind("\"#SQL Error ", 0), 0u) << r.out.substr(0, 200) << r.err;
    EXPECT_TRUE(std::regex_search(r.out, std::regex("^\"#SQL Error [0-9A-Z]{5}:1:"))) << r.out.substr(0, 200);
    EXPECT_LT(r.out.size(), 4100u) << "rows came back beside the failure";

    auto again = eval_csv({statement(cs, "SELECT 'back'")});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(lines(again.out).at(0), "back") << again.out;
}

TEST_F(DatabaseFaults, WrongPasswordIsTheServersDiagnostic)
{
    ZORVANE_REQUIRE_DATABASE(PostgresDb);
    auto r = eval_csv({statement(PostgresDb::connection_string("postgres", PostgresDb::port(), "wrong"), "SELECT 1")});
    EXPECT_EQ(r.status, test::printed_failure_status) << r.err;
    EXPECT_EQ(r.out.rfind("\"#SQL Error ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("password authentication failed"), std::string::npos) << r.out;
}

TEST_F(DatabaseFaults, UnknownDriverIsTheDriverManagersDiagnostic)
{
    auto r = eval_csv({statement("Driver=No Such Driver;Database=x", "SELECT 1")});
    EXPECT_EQ(r.status, test::printed_failure_status) << r.err;
    EXPECT_EQ(r.out.rfind("\"#SQL Error ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("Can't open lib 'No Such Driver'"), std::string::npos) << r.out;
}

TEST_F(DatabaseFaults, FileThatIsNoDatabase)
{
    fs::path file = folder / "notes.sqlite";
    std::ofstream(file) << std::string(4096, 'x') << "\nthese are notes, not a database\n";
    auto r = eval_csv({statement("Driver=SQLite3;Database=" + file.string(), "SELECT * FROM sqlite_master")});
    EXPECT_EQ(r.status, test::printed_failure_status) << r.err;
    EXPECT_EQ(r.out.rfind("\"#SQL Error ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("not a database"), std::string::npos) << r.out;
    // Reading the file did not change it.
    std::ifstream in(file);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, std::string(4096, 'x'));
}
