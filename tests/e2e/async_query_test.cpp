// zQuery as the spreadsheet calculates it from version 14 on, through the host: a sheet of
// queries overlaps on the server within the source's limit, identical cells run once, a cell
// reading a query's result waits for it, a cache hit needs no worker, and Esc answers every
// waiting cell and leaves nothing running. An older host (--excel-version 12.0) runs them one
// after another as ever.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "db/databases.h"
#include "db/db_test.h"
#include "support/host_eval.h"
#include "text/sheet.h"

using namespace test;

namespace {

size_t count_of(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The most statements the server ran at once, from lines "start end" of each one's own clock.
int most_at_once(const std::vector<std::string>& intervals)
{
    std::vector<std::pair<double, int>> events;
    for (const auto& line : intervals) {
        std::istringstream in(line);
        double start = 0, end = 0;
        in >> start >> end;
        events.push_back({start, +1});
        events.push_back({end, -1});
    }
    std::sort(events.begin(), events.end()); // an end before a start at the same instant
    int now = 0, most = 0;
    for (const auto& e : events)
        most = std::max(most, now += e.second);
    return most;
}

struct Server {
    std::string cs;
    // Each cell's own run: the server's clock before and after its sleep, and its parameter.
    std::string timed_sleep;
    std::string sequence, next_value, last_value, six_rows;
};

template <class Db> Server server();

template <> Server server<PostgresDb>()
{
    return {PostgresDb::fresh_connection_string(),
            "SELECT extract(epoch from clock_timestamp()), pg_sleep(0.25)::text, "
            "extract(epoch from clock_timestamp()), CAST(? AS INTEGER)",
            "CREATE SEQUENCE runs", "SELECT nextval('runs'), pg_sleep(0.3)::text", "SELECT last_value FROM runs",
            "SELECT generate_series(1,6)"};
}

template <> Server server<MariaDb>()
{
    return {MariaDb::fresh_connection_string(),
            "SELECT UNIX_TIMESTAMP(SYSDATE(6)), SLEEP(0.25), UNIX_TIMESTAMP(SYSDATE(6)), CAST(? AS SIGNED)",
            "CREATE SEQUENCE runs", "SELECT NEXTVAL(runs), SLEEP(0.3)", "SELECT LASTVAL(runs)",
            "SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3 UNION ALL SELECT 4 UNION ALL SELECT 5 UNION ALL SELECT 6"};
}

template <class Db> class AsyncQueries : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZORVANE_REQUIRE_DATABASE(Db);
        db = server<Db>();
    }
    Server db;
};

using Servers = ::testing::Types<PostgresDb, MariaDb>;
TYPED_TEST_SUITE(AsyncQueries, Servers, DatabaseNames);

// Each cell's statement reports when the server ran it: on a host of asynchronous functions as
// many overlap as the source allows (4, or its MaxQueries), on an older host none do. Every cell
// shows its own value.
TYPED_TEST(AsyncQueries, CellsOverlapOnTheServerWithinTheSourcesLimit)
{
    const struct {
        const char* version;
        const char* more; // of the connection string
        int cells;
        int at_once;
    } cases[] = {{"14.0", "", 24, 4}, {"14.0", "MaxQueries=6;", 12, 6}, {"12.0", "", 4, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " " + c.more);
        const std::string& cs = this->db.cs;
        std::string sheet = "A1: '" + cs + (cs.back() == ';' ? "" : ";") + c.more + "\n";
        for (int i = 1; i <= c.cells; ++i) {
            const std::string n = std::to_string(i);
            sheet += "B" + n + ": " + n + "\n";
            sheet += "C" + n + ": =zQuery($A$1," + formula_string(this->db.timed_sleep) + ",B" + n + ")\n";
            // A cell that failed shows its text, so that a failure tells why.
            sheet += "D" + n + ": =IF(ROWS(C" + n + ")*COLUMNS(C" + n + ")=1,\"failed: \"&C" + n + ",INDEX(C" + n +
                     ",1,1)&\" \"&INDEX(C" + n + ",1,3)&\" \"&INDEX(C" + n + ",1,4))\n";
        }
        sheet += "print D1:D" + std::to_string(c.cells) + "\n";
        const Run r = run_sheet(sheet, {"--excel-version", c.version});
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        const auto intervals = lines_of(r.out);
        ASSERT_EQ(intervals.size(), static_cast<size_t>(c.cells)) << r.out;
        for (int i = 0; i < c.cells; ++i)
            EXPECT_EQ(intervals[i].substr(intervals[i].rfind(' ') + 1), std::to_string(i + 1)) << intervals[i];
        EXPECT_EQ(most_at_once(intervals), c.at_once) << r.out;
    }
}

// Six identical cells run their statement once and all show its value; a SUM over a query's
// result waits for it; the same query again is a cache hit, answered within its call: the host
// waits for asynchronous calls in the first calculation only.
TYPED_TEST(AsyncQueries, IdenticalCellsRunOnceDependentCellsWaitCacheHitsAnswerAtOnce)
{
    ASSERT_TRUE(executed(this->db.cs, this->db.sequence));
    const std::string next = "INDEX(zQuery($A$1," + formula_string(this->db.next_value) + "),1,1)";
    std::string sheet = "A1: '" + this->db.cs + "\n";
    for (int i = 1; i <= 6; ++i)
        sheet += "C" + std::to_string(i) + ": =" + next + "\n";
    sheet += "D1: =SUM(zQuery($A$1," + formula_string(this->db.six_rows) + "))\n"
             "print C1:C6\n"
             "print D1\n"
             "print =INDEX(zStatement($A$1," + formula_string(this->db.last_value) + "),1,1)\n"
             "print =" + next + "\n";
    const test::Run r = run_sheet(sheet, {"--status"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n1\n1\n1\n1\n1\n21\n1\n1\n");
    EXPECT_EQ(count_of(r.err, "Pending: 0 asynchronous calls"), 1u) << r.err;
}

class AsyncEsc : public ::testing::Test {
protected:
    void SetUp() override { ZORVANE_REQUIRE_DATABASE(PostgresDb); }
};

// Esc while eight cells wait on the server, four of them still queued for their turn: every cell
// says it was cancelled, and the server is left running none of the statements.
TEST_F(AsyncEsc, EveryWaitingCellIsAnsweredAndNothingRunsOnTheServer)
{
    const std::string cs = PostgresDb::fresh_connection_string();
    const auto at = cs.find("Database=") + 9;
    const std::string database = cs.substr(at, cs.find(';', at) - at);
    const std::string admin = PostgresDb::connection_string("postgres", PostgresDb::port(), PostgresDb::password());
    // A backend ends a moment after its statement was cancelled: the count waits for it.
    ASSERT_TRUE(executed(admin, "CREATE OR REPLACE FUNCTION sleeping_in(db text) RETURNS int AS $$ "
                                "DECLARE n int; BEGIN FOR i IN 1..100 LOOP PERFORM pg_stat_clear_snapshot(); "
                                "SELECT count(*) INTO n FROM pg_stat_activity WHERE datname = db AND state = 'active' "
                                "AND query LIKE '%pg_sleep(30)%'; EXIT WHEN n = 0; PERFORM pg_sleep(0.05); END LOOP; "
                                "RETURN n; END $$ LANGUAGE plpgsql"));
    std::string sheet = "A1: '" + cs + "\n";
    for (int i = 1; i <= 8; ++i)
        sheet += "C" + std::to_string(i) + ": =zQuery($A$1,\"SELECT pg_sleep(30)::text, CAST(? AS INTEGER)\"," +
                 std::to_string(i) + ")\n";
    sheet += "esc after 1\n"
             "print C1:C8\n"
             "print =INDEX(zStatement(" + formula_string(admin) + ",\"SELECT sleeping_in('" + database + "')\"),1,1)\n";
    const test::Run r = run_sheet(sheet);
    EXPECT_EQ(r.status, printed_failure_status) << r.err;
    std::vector<std::string> expected(8, "#Cancelled after 0 rows");
    expected.push_back("0");
    EXPECT_EQ(lines_of(r.out), expected) << r.out << r.err;
}

} // namespace
