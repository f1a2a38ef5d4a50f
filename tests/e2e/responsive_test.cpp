// Queries that keep the spreadsheet responsive, through the host as a user meets them: connections
// kept between cells, Esc stopping a statement, the status bar while a query runs, and Ctrl-C.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "db/databases.h"
#include "db/db_test.h"
#include "support/host_eval.h"
#include "text/sheet.h"

using namespace test;
using namespace std::chrono_literals;

namespace {

class OnPostgres : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (auto why = PostgresDb::unavailable(); !why.empty())
            GTEST_SKIP() << why;
        cs = PostgresDb::fresh_connection_string();
        const auto at = cs.find("Database=") + 9;
        database = cs.substr(at, cs.find(';', at) - at);
        admin = PostgresDb::connection_string("postgres", PostgresDb::port(), PostgresDb::password());
        // The server ends a session a moment after its client has gone: the count waits for it.
        ASSERT_TRUE(executed(admin, "CREATE OR REPLACE FUNCTION sessions_of(db text, settled int) RETURNS int AS $$ "
                                    "DECLARE n int; BEGIN FOR i IN 1..100 LOOP PERFORM pg_stat_clear_snapshot(); "
                                    "SELECT count(*) INTO n FROM pg_stat_activity WHERE datname = db; "
                                    "EXIT WHEN n = settled; PERFORM pg_sleep(0.05); END LOOP; RETURN n; END $$ "
                                    "LANGUAGE plpgsql"));
    }

    static std::string query(const std::string& connection_string, const std::string& sql)
    {
        return "zStatement(" + formula_string(connection_string) + "," + formula_string(sql) + ")";
    }
    std::string sessions(int settled) const
    {
        return query(admin, "SELECT sessions_of('" + database + "', " + std::to_string(settled) + ")");
    }

    std::string cs, database, admin;
};

using KeptThroughHost = OnPostgres;

TEST_F(KeptThroughHost, SameStringSameSessionOneBlankMoreAnotherAndClearingClosesThem)
{
    const std::string pid = "SELECT pg_backend_pid()";
    auto r = run_sheet("A1: =" + query(cs, pid) + "\n" +
                       "A2: =" + query(cs, pid + " + 0") + "\n" +
                       "A3: =" + query(cs + " ", pid) + "\n" +
                       "print =INDEX(A1,1,1)=INDEX(A2,1,1)\n"
                       "print =INDEX(A1,1,1)=INDEX(A3,1,1)\n"
                       "print =INDEX(" + sessions(2) + ",1,1)\n"
                       "run zClearCache\n"
                       "print =INDEX(" + sessions(0) + ",1,1)\n"
                       "print =INDEX(" + query(cs, pid) + ",1,1)=INDEX(A1,1,1)\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "TRUE\nFALSE\n2\n0\nFALSE\n") << r.err;
    EXPECT_EQ(r.err, "");
}

// The session kept for the string ends between two cells (as when the server restarts). Used
// moments ago, the session is trusted: the next statement fails as the connection's failure, is
// not kept, and runs at the next calculation on a new session; idle longer, its check finds it
// dead first and the statement runs at once. Either way the statement runs exactly once.
TEST_F(KeptThroughHost, SessionEndedBetweenTwoCellsTheNextStatementRunsOnce)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE t (n INTEGER)"));
    auto r = run_sheet("A1: =" + query(cs, "SELECT count(*) FROM t") + "\n" +
                       "A2: =" + query(admin, "SELECT count(pg_terminate_backend(pid, 5000)) FROM pg_stat_activity "
                                              "WHERE datname = '" + database + "'") + "\n" +
                       "A3: =" + query(cs, "INSERT INTO t VALUES (1)") + "\n" +
                       "print A1:A2\n"
                       "print =OR(A3=\"\",LEFT(A3,11)=\"#SQL Error \")\n"
                       "recalc\n"
                       "print A3\n"
                       "print =INDEX(" + query(cs, "SELECT count(*) FROM t  ") + ",1,1)\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines_of(r.out), (std::vector<std::string>{"0", "1", "TRUE", "", "1"})) << r.out;
}

using EscThroughHost = OnPostgres;

// Esc while the server still executes: the cell says so at once, nothing is cached, and the
// query runs again at the next calculation.
TEST_F(EscThroughHost, CancelledStatementIsNotCachedAndRunsAgain)
{
    const auto start = std::chrono::steady_clock::now();
    auto r = run_sheet("A1: =" + query(cs, "SELECT 'slept' FROM pg_sleep(30)") + "\n" +
                       "esc after 0.5\n"
                       "print A1\n"
                       "print =ISNA(INDEX(zCache_List(FALSE),1,1))\n"
                       "A1:\n"
                       "A2: =" + query(cs, "SELECT 'slept' FROM pg_sleep(0.5)") + "\n" +
                       "esc after 0\n"
                       "print A2\n"
                       "recalc\n"
                       "print =INDEX(A2,1,1)\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s) << "the 30-second statement was not stopped";
    // Esc may find either statement still connecting (a slow host): cancelled all the same.
    const std::string cancelled = "#Cancelled (after 0 rows|while connecting)\n";
    EXPECT_TRUE(std::regex_match(r.out, std::regex(cancelled + "TRUE\n" + cancelled + "slept\n"))) << r.out << r.err;
}

// What the status bar says while slow queries run (--status): the load message, then for each
// query its progress and the bar given back, whether it succeeds, fails or is cancelled.
TEST_F(EscThroughHost, StatusBarShowsProgressAndComesBackAfterEveryOutcome)
{
    // Fifty rows a round trip, each row a hundredth of a second: rows arrive over three seconds.
    const std::string cursor = cs + "UseDeclareFetch=1;Fetch=50;";
    auto r = run_sheet("A1: =" + query(cursor, "SELECT g, pg_sleep(0.01) FROM generate_series(1, 300) AS g") + "\n" +
                       "print =INDEX(A1,300,1)\n"
                       "A2: =" + query(cs, "SELECT 1 / (g - g) FROM (SELECT 1 AS g, pg_sleep(1.5)) AS s") + "\n" +
                       "print =LEFT(A2,16)\n"
                       "A3: =" + query(cs, "SELECT 1 FROM pg_sleep(30)") + "\n" +
                       "esc after 1.5\n"
                       "print A3\n",
                       {"--status"});
    EXPECT_EQ(r.out, "300\n#SQL Error 22012\n#Cancelled after 0 rows\n") << r.err;
    auto shown = lines_of(r.err);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), "Status: Zorvane.xll 1.0.0.3 - Add-in has been successfully loaded.");
    const std::regex progress("Status: (zStatement: (executing|[0-9]{1,3}(,[0-9]{3})* rows?)|Connecting to the "
                              "database\\.\\.\\.) \\(Esc to cancel\\)");
    int given_back = 0, with_rows = 0;
    for (size_t i = 1; i < shown.size(); ++i) {
        if (shown[i] == "Status:") {
            EXPECT_NE(shown[i - 1], "Status:") << "each query shows progress before the bar comes back";
            ++given_back;
            continue;
        }
        EXPECT_TRUE(std::regex_match(shown[i], progress)) << shown[i];
        with_rows += std::regex_search(shown[i], std::regex("[1-9][0-9,]* rows"));
    }
    EXPECT_EQ(given_back, 3) << r.err;
    EXPECT_GT(with_rows, 0) << r.err;
    EXPECT_EQ(shown.back(), "Status:");
}

// zQuery on a spreadsheet without asynchronous functions takes the same road: its progress is
// named after it, Esc stops it while the server works on the bound statement, and nothing is
// cached. (Asynchronous, the spreadsheet's thread does not wait for it and shows no progress.)
TEST_F(EscThroughHost, ZQueryShowsItsOwnProgressAndStopsOnEsc)
{
    // Esc well after the login, slow as it may be under load, so that it meets the statement.
    auto r = run_sheet("A1: =zQuery(" + formula_string(cs) + ",\"SELECT 'slept' FROM pg_sleep(?)\",30)\n"
                       "esc after 3\n"
                       "print A1\n"
                       "print =ISNA(INDEX(zCache_List(FALSE),1,1))\n",
                       {"--status", "--excel-version", "12.0"});
    EXPECT_EQ(r.out, "#Cancelled after 0 rows\nTRUE\n") << r.err;
    EXPECT_NE(r.err.find("\nStatus: zQuery: executing (Esc to cancel)\n"), std::string::npos) << r.err;
}

// Esc while an INSERT ... RETURNING runs, then a recalculation: whatever phase Esc met, the
// statement's rows are in the table once. Stopped while its rows were read, the cell says that
// its changes are kept, and the cache holds that text; stopped before, nothing was inserted and
// the recalculation inserts them.
TEST_F(EscThroughHost, AnInsertReturningStoppedByEscIsNeverSentTwice)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE t (n INTEGER)"));
    const std::string insert = "INSERT INTO t SELECT g FROM generate_series(1, 300000) AS g RETURNING n";
    auto r = run_sheet("A1: =" + query(cs, insert) + "\n" +
                       "esc after 0.3\n"
                       "print =LEFT(INDEX(A1,1,1),10)\n"
                       "recalc\n"
                       "A2: =" + query(cs, "SELECT count(*) FROM t") + "\n" +
                       "print =INDEX(A2,1,1)\n");
    EXPECT_EQ(lines_of(r.out).back(), "300000") << r.out << r.err;
}

// Ctrl-C is the spreadsheet's Esc during eval: the query stops and the next formula still runs.
// A second Ctrl-C ends the process as an interrupt does. One keypress may arrive twice within
// microseconds, as `timeout -s INT` sends it (to the process, then to its process group): that
// is still one Esc. Signals reach only the Linux host.
class Interrupt : public ::testing::Test {
protected:
    void SetUp() override { cs = SqliteDb::fresh_connection_string(); }

    // Starts `zorvane --status eval FORMULA...`; its output goes to files.
    pid_t start(const std::vector<std::string>& formulas)
    {
        std::vector<std::string> args{host_path(), "--status", "eval", "--csv"};
        args.insert(args.end(), formulas.begin(), formulas.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP); // a process group of its own
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, argv[0], &files, &attributes, argv.data(), environ), 0);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&files);
        return pid;
    }
    // Waits until the status bar shows a query at work, then presses Ctrl-C: one signal, or the
    // two that `timeout -s INT` sends.
    enum class Delivery { once, as_timeout_sends_it };
    void interrupt_when_busy(pid_t pid, size_t busy_count, Delivery delivery)
    {
        for (int i = 0; i < 300 && count(read(err), "(Esc to cancel)") < busy_count; ++i)
            std::this_thread::sleep_for(50ms);
        ASSERT_GE(count(read(err), "(Esc to cancel)"), busy_count) << read(err);
        kill(pid, SIGINT);
        if (delivery == Delivery::once)
            return;
        // Two signals sent while the first still waits would merge into one.
        for (int i = 0; i < 1000 && interrupt_waiting(pid); ++i)
            std::this_thread::sleep_for(1ms);
        kill(-pid, SIGINT);
    }
    // Whether a SIGINT sent to the process has not been taken yet.
    static bool interrupt_waiting(pid_t pid)
    {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("ShdPnd:", 0) == 0)
                return (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1)) & 1;
        return false;
    }
    static std::string read(const std::string& path)
    {
        std::ifstream in(path);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static size_t count(const std::string& text, const std::string& what)
    {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
    void TearDown() override
    {
        std::remove(out.c_str());
        std::remove(err.c_str());
    }

    // Counts without end: only a cancel stops it.
    std::string endless() const
    {
        return "=zStatement(" + formula_string(cs) +
               ",\"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c\")";
    }

    std::string cs;
    std::string out = "/tmp/zorvane-interrupt-out-" + std::to_string(getpid());
    std::string err = "/tmp/zorvane-interrupt-err-" + std::to_string(getpid());
};

TEST_F(Interrupt, FirstCtrlCCancelsTheQueryAndEvaluationGoesOn)
{
    for (Delivery delivery : {Delivery::once, Delivery::as_timeout_sends_it}) {
        SCOPED_TRACE(delivery == Delivery::once ? "one signal" : "two signals at once");
        pid_t pid = start({endless(), "=\"after\""});
        interrupt_when_busy(pid, 1, delivery);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << read(err);
        EXPECT_EQ(WEXITSTATUS(status), printed_failure_status);
        EXPECT_EQ(read(out), endless() + "\n#Cancelled after 0 rows\n=\"after\"\nafter\n");
    }
}

TEST_F(Interrupt, SecondCtrlCEndsTheProcess)
{
    pid_t pid = start({endless(), endless() + "+1"});
    interrupt_when_busy(pid, 1, Delivery::as_timeout_sends_it);
    interrupt_when_busy(pid, 2, Delivery::as_timeout_sends_it);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << read(err);
}

} // namespace
