// Handles and memory over many calls, in one process as a long spreadsheet session would make
// them: after a warm-up, ten thousand failing queries, ten thousand queries on kept connections and
// ten thousand cache fills and clears leave the open descriptors exactly as they were and the
// resident memory within a small bound.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "db/databases.h"
#include "db/db_test.h"
#include "db/statement_run.h"
#include "mock_host.h"
#include "support/address_sanitizer.h"
#include "xll/oper.h"
#include "xll/text.h"

extern "C" {
LPXLOPER12 zstatement(const XCHAR*, const XCHAR*, short) __asm__("\"?zStatement\"");
LPXLOPER12 zcache_clear(short) __asm__("\"?zCache_Clear\"");
LPXLOPER12 zcache_list(short) __asm__("\"?zCache_List\"");
}

namespace fs = std::filesystem;

namespace {

// Freed memory is held back under the sanitizer: the measures cannot come down.
constexpr bool quarantined_frees = test::address_sanitized;

constexpr int warm_up = 300;
constexpr int rounds = 10000;
constexpr long rss_bound_kb = 16 * 1024;

size_t open_descriptors()
{
    size_t n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}

long resident_kb()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Runs the work warm_up times, then rounds times between two measurements.
void expect_flat(const std::function<void(int)>& work)
{
    for (int i = 0; i < warm_up; ++i)
        work(i);
    size_t fds = open_descriptors();
    long rss = resident_kb();
    for (int i = 0; i < rounds; ++i)
        work(warm_up + i);
    EXPECT_EQ(open_descriptors(), fds);
    long growth = resident_kb() - rss;
    ::testing::Test::RecordProperty("rss_growth_kb", std::to_string(growth));
    // Under AddressSanitizer freed blocks wait in quarantine, so resident memory says nothing
    // there; its leak checker looks at the same calls instead.
    if (!quarantined_frees) {
        EXPECT_LT(growth, rss_bound_kb) << "resident memory grew by " << growth << " kB";
    }
}

class Leaks : public ::testing::Test {
protected:
    void SetUp() override
    {
        mock::host().reset();
        folder = fs::temp_directory_path() / ("zorvane-leaks-" + std::to_string(getpid()));
        fs::create_directories(folder);
        std::ofstream(folder / "not-a-db.sqlite") << std::string(2048, 'x');
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

} // namespace

// Three ways to fail, in turn: no such driver (the driver manager), a file that is no database
// (the driver opens and rejects it), a statement the database rejects (a statement handle is
// made and must be released).
TEST_F(Leaks, FailingQueriesLeaveDescriptorsAndMemoryFlat)
{
    const xll::xstring no_driver = xll::utf8_to_xstring("Driver=No Such Driver;Database=x");
    const xll::xstring not_db = xll::utf8_to_xstring("Driver=SQLite3;Database=" + (folder / "not-a-db.sqlite").string());
    const xll::xstring memory = xll::utf8_to_xstring("Driver=SQLite3;Database=:memory:");
    const xll::xstring select = xll::utf8_to_xstring("SELECT * FROM nowhere");
    test::StubCalendar calendar;
    expect_flat([&](int i) {
        const xll::xstring& cs = i % 3 == 0 ? no_driver : i % 3 == 1 ? not_db : memory;
        auto q = test::run_query(cs, select, false, calendar);
        ASSERT_TRUE(q.value.is(xltypeStr));
        ASSERT_EQ(xll::xstring_to_utf8(q.value.text()).rfind("#SQL Error", 0), 0u);
    });
}

// Queries on kept connections, each a statement not asked before, on the string that
// `connection_string` gives for the round; clearing the cache every `clear_every` rounds closes
// every kept connection, and the next query opens one again.
static void kept_connection_rounds(const std::function<const xll::xstring&(int)>& connection_string, int clear_every)
{
    expect_flat([&](int i) {
        xll::xstring sql = xll::utf8_to_xstring("SELECT " + std::to_string(i));
        LPXLOPER12 r = zstatement(connection_string(i).c_str(), sql.c_str(), 0);
        ASSERT_TRUE(r && xll::base_type(r->xltype) == xltypeMulti);
        if (i % clear_every == clear_every - 1)
            zcache_clear(0);
        mock::host().calls.clear();
    });
    zcache_clear(0);
}

// Half the queries go to one SQLite file, the others cycle through more files than are kept, so
// that connections are closed and opened all the time.
TEST_F(Leaks, KeptSqliteConnectionsLeaveDescriptorsAndMemoryFlat)
{
    std::vector<xll::xstring> files;
    for (int k = 0; k < 6; ++k)
        files.push_back(xll::utf8_to_xstring("Driver=SQLite3;Database=" + (folder / ("kept-" + std::to_string(k) + ".sqlite")).string()));
    kept_connection_rounds([&](int i) -> const xll::xstring& { return i % 2 ? files[0] : files[static_cast<size_t>(i / 2) % files.size()]; },
                           1000);
}

// The same over a server: one session serves the queries, each checked before its statement goes
// out.
TEST_F(Leaks, KeptPostgresConnectionLeavesDescriptorsAndMemoryFlat)
{
    if (auto why = test::PostgresDb::unavailable(); !why.empty())
        GTEST_SKIP() << why;
    const xll::xstring cs = xll::utf8_to_xstring(test::PostgresDb::fresh_connection_string());
    kept_connection_rounds([&](int) -> const xll::xstring& { return cs; }, 500);
}

// Each round stores a fresh result (a statement never asked before), lists the cache and, every
// tenth round, clears it; every second round also stores a failure text.
TEST_F(Leaks, CacheFillsAndClearsLeaveDescriptorsAndMemoryFlat)
{
    const xll::xstring memory = xll::utf8_to_xstring("Driver=SQLite3;Database=:memory:");
    const xll::xstring no_driver = xll::utf8_to_xstring("Driver=No Such Driver;Database=x");
    expect_flat([&](int i) {
        xll::xstring sql = xll::utf8_to_xstring("SELECT " + std::to_string(i) + ", 'row " + std::to_string(i) + "'");
        LPXLOPER12 r = zstatement(memory.c_str(), sql.c_str(), 1);
        ASSERT_TRUE(r && xll::base_type(r->xltype) == xltypeMulti);
        if (i % 2)
            zstatement(no_driver.c_str(), sql.c_str(), 0);
        ASSERT_NE(zcache_list(1), nullptr);
        if (i % 10 == 9)
            zcache_clear(0);
        mock::host().calls.clear(); // the scripted host's own record of callbacks is not ours
    });
    zcache_clear(0);
    LPXLOPER12 listing = zcache_list(0);
    ASSERT_NE(listing, nullptr);
    EXPECT_EQ(mock::host().outstanding, 0);
}
