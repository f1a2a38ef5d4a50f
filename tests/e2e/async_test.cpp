// Asynchronous calculation through the host's executable: the shared sheets, and eval with
// --status, on Linux and, under Wine, with both Windows hosts and the Windows build of the
// asynchronous test add-in.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "support/async_sheets.h"
#include "support/process.h"

using namespace test;

namespace {

std::string async_addin() { return from_environment("ZORVANE_TEST_ASYNC_ADDIN", ZORVANE_ASYNC_ADDIN_PATH); }

Run host(std::vector<std::string> args, const std::string& sheet = "")
{
    char name[] = "/tmp/zorvane-async-sheet-XXXXXX";
    if (!sheet.empty()) {
        const int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        std::ofstream(name) << sheet;
        args.insert(args.end(), {"run", name});
    }
    args.insert(args.begin(), {host_path(), "--addin", async_addin()});
    Run r = run(args);
    if (!sheet.empty())
        std::remove(name);
    return r;
}

TEST(AsyncThroughHost, SheetsCalculateAsTheirValuesArrive)
{
    for (const auto& sheet : async_sheets()) {
        const test::Run r = host({}, sheet.lines);
        EXPECT_EQ(r.out, sheet.printed) << sheet.name << "\n" << r.err;
        EXPECT_EQ(r.status, sheet.printed.find("#N/A") == std::string::npos ? 0 : printed_failure_status) << sheet.name;
    }
}

// eval prints in order, each value once it has arrived; --status tells the calls pending.
TEST(AsyncThroughHost, EvalPrintsInOrderAndStatusTellsThePending)
{
    const test::Run r = host({"--status", "eval", "--csv", "=tAsyncAfter(0.2,1)", "=tAsyncNow(2)", "=tAsyncAfter(0.1,3)"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "=tAsyncAfter(0.2,1)\n1,10\n=tAsyncNow(2)\n2\n=tAsyncAfter(0.1,3)\n3,30\n");
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "Pending: 2 asynchronous calls") << r.err;
    EXPECT_TRUE(r.err.ends_with("Pending: 0 asynchronous calls\n")) << r.err;

}

// An older spreadsheet: the add-in reads the version through GET.WORKSPACE(2) and registers its
// ordinary fallback, and an asynchronous registration would fail.
TEST(AsyncThroughHost, AnOlderVersionGetsTheFallback)
{
    const test::Run older = host({"--excel-version", "12.0", "eval", "--csv", "=tAsyncNow(2)"});
    EXPECT_EQ(older.status, 0) << older.err;
    EXPECT_EQ(older.out, "2\n");
    const test::Run without = host({"--excel-version", "12.0", "eval", "=tAsyncAfter(0,1)"});
    EXPECT_EQ(without.status, 2);
    EXPECT_EQ(without.err, "zorvane: position 2: unknown function tAsyncAfter in =tAsyncAfter(0,1)\n");
}

} // namespace
