// Results the add-in cannot hold, through the host: memory that runs out while rows arrive is a
// clear failure in the cell, counted by the host, and the next formula runs; a result past the
// worksheet's rows stops at the first row beyond them with the framework's check text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "db/databases.h"
#include "support/address_sanitizer.h"
#include "support/host_eval.h"
#include "support/process.h"

using namespace test;

namespace {

constexpr bool sanitized = address_sanitized;

std::string formula(const std::string& cs, const std::string& sql)
{
    return "=zStatement(" + formula_string(cs) + "," + formula_string(sql) + ")";
}

// A generated result of 50,000 rows of 2,000 characters: the driver holds it in 100 MB or so, the
// cells need twice that as UTF-16. The limit leaves the driver its part and the cells too little,
// which must end in the cell's failure and never in the driver's (PostgreSQL's crashes on it).
template <class Db> struct Generated;
template <> struct Generated<SqliteDb> {
    static constexpr const char* rows = "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 50000) "
                                        "SELECT i, printf('%.2000c', 'x') FROM s";
    static constexpr long limit_mb = 250;
};
// PostgreSQL's driver holds the whole result before the first row is fetched (about 100 MB here):
// the limit leaves it that and its room, and the cells too little.
template <> struct Generated<PostgresDb> {
    static constexpr const char* rows = "SELECT i, repeat('x', 2000) FROM generate_series(1, 50000) i";
    static constexpr long limit_mb = 250;
};

template <class Db> class LargeResults : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (sanitized)
            GTEST_SKIP() << "a sanitizer's shadow memory cannot run under an address-space limit";
        if (std::getenv("ZORVANE_TEST_HOST"))
            GTEST_SKIP() << "the limit is set on the Linux host's own process";
        ZORVANE_REQUIRE_DATABASE(Db);
    }
};

using Drivers = ::testing::Types<SqliteDb, PostgresDb>;
TYPED_TEST_SUITE(LargeResults, Drivers, DatabaseNames);

} // namespace

TYPED_TEST(LargeResults, MemoryRunningOutIsTheCellsFailureAndTheNextFormulaRuns)
{
    const std::string cs = TypeParam::fresh_connection_string();
    auto r = eval_csv({formula(cs, Generated<TypeParam>::rows), "=1+1"},
                      "prlimit --as=" + std::to_string(Generated<TypeParam>::limit_mb << 20));
    EXPECT_EQ(r.status, printed_failure_status) << r.err;
    EXPECT_TRUE(std::regex_search(r.out, std::regex("\n\"#SQL Error: not enough memory after [1-9][0-9]{0,2}(,[0-9]{3})* "
                                                    "rows\"\n=1\\+1\n2\n$")))
        << r.out;
    EXPECT_EQ(r.err, "");
}

TEST(RowLimit, AResultPastTheSheetStopsAtTheFirstRowBeyondWithTheCheckText)
{
    ZORVANE_REQUIRE_DATABASE(SqliteDb);
    const std::string cs = SqliteDb::fresh_connection_string();
    const std::string series = "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 1048576) "
                               "SELECT i FROM s";
    // The third column of the cache's listing counts the rows the failed run fetched: none, as the
    // driver tells the result's height once it executed.
    auto r = eval_csv({formula(cs, series), "=INDEX(zCache_List(FALSE),1,3)"});
    EXPECT_EQ(r.status, printed_failure_status) << r.err;
    EXPECT_EQ(r.out, formula(cs, series) + "\n"
                     "\"file: oper\nline: 439\nfunction: XOPER<struct xloper12>::realloc\n"
                     "ensure: \"\"r <= xll::limits<X>::maxrows\"\" failed\"\n"
                     "=INDEX(zCache_List(FALSE),1,3)\n"
                     "0\n");
}

// The host's own copies (a formula's array, the text it prints) meet the limit the same way: the
// cell shows #NUM!, counted as a failure, and the next formula runs. A column of 1,048,576 texts
// of 200 characters takes about 450 MB to hold and as much again to print: the first limit stops
// the evaluation, the second the printing.
TEST(HostMemory, RunningOutWhileHoldingOrPrintingIsTheCellsFailure)
{
    if (sanitized)
        GTEST_SKIP() << "a sanitizer's shadow memory cannot run under an address-space limit";
    if (std::getenv("ZORVANE_TEST_HOST"))
        GTEST_SKIP() << "the limit is set on the Linux host's own process";
    for (long limit_mb : {300L, 750L}) {
        auto r = eval_csv({"=A1:A1048576&REPT(\"x\",200)", "=1+1"}, "prlimit --as=" + std::to_string(limit_mb << 20));
        EXPECT_EQ(r.status, printed_failure_status) << limit_mb << " MB: " << r.err;
        EXPECT_EQ(r.out, "=A1:A1048576&REPT(\"x\",200)\n#NUM!\n=1+1\n2\n") << limit_mb << " MB";
    }
}
