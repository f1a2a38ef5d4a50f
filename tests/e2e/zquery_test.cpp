// zQuery through the real host, as a user meets it: its entry in the function list, the paste
// macros on it, and cell values from ranges bound to a SQLite file's statements, with the exit
// status and the cache listing a script sees. Dates are bound in README's examples.
#include <gtest/gtest.h>

#include "db/databases.h"
#include "db/db_test.h"
#include "support/host_eval.h"
#include "support/process.h"
#include "text/sheet.h"
#include "zquery_on_server.h"

using namespace test;

namespace {

const char* const listing =
    "zQuery(Connection, Statement, Parameters, Headers)\n"
    "  category: Zorvane\n"
    "  Runs a SQL statement with cell values bound to its ? markers; no value becomes part of the SQL text.\n"
    "  Connection: An ODBC connection string.\n"
    "  Statement: A SQL statement with a ? marker where each value goes.\n"
    "  Parameters: The values for the markers: a value, or a range or array read row by row. An empty cell is NULL.\n"
    "  Headers: Optional. By default is FALSE.\n";

// The same entry whether the host runs it asynchronously or not, followed by the commands that
// hear the calculation's events for it. Where it stands in the list is the catalogue's to say.
TEST(ZQuery, FunctionsListItWithTheCommandsOfItsEvents)
{
    for (const char* version : {"14.0", "12.0"}) {
        const auto r = run({host_path(), "--excel-version", version, "functions"});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string entry =
            std::string(listing) + "zQuery.CalculationCanceled  (command)\nzQuery.CalculationEnded  (command)\n";
        const auto at = r.out.find("\nzQuery(");
        ASSERT_NE(at, std::string::npos) << version;
        EXPECT_EQ(r.out.substr(at + 1, entry.size()), entry) << version;
    }
}

TEST(ZQuery, UnpairedSurrogateStaysInItsLiteral)
{
    ZORVANE_REQUIRE_DATABASE(SqliteDb);
    expect_unpaired_surrogate_stays_in_its_literal(SqliteDb::fresh_connection_string());
}

class ZQueryThroughHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZORVANE_REQUIRE_DATABASE(SqliteDb);
        cs = SqliteDb::fresh_connection_string();
        ASSERT_TRUE(executed(cs, "CREATE TABLE t (k INTEGER, s TEXT)"));
    }

    // The sheet, with A1 holding the connection string.
    test::Run sheet(const std::string& lines) { return run_sheet("A1: '" + cs + "\n" + lines); }

    std::string cs;
};

TEST_F(ZQueryThroughHost, PasteMacrosLayOutItsArgumentsAndTheCallRuns)
{
    auto r = sheet("C1: =zQuery\n"
                   "select C1\n"
                   "key ^+B\n"
                   "print formula C1\n"
                   "C2: =A1\n"
                   "C3: 'SELECT ? * 2\n"
                   "C4: 21\n"
                   "recalc\n"
                   "print C1\n"
                   "E2: 'Q\n"
                   "F2: =zQuery\n"
                   "select E2\n"
                   "key ^+C\n"
                   "print formula F2\n"
                   "print E3:E6\n"
                   "print names\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\"=zQuery(C2, C3, C4, C5)\"\n"
                     "42\n#N/A\n#N/A\n#N/A\n#N/A\n"
                     "\"=zQuery(Q.Connection, Q.Statement, Q.Parameters, Q.Headers)\"\n"
                     "Connection\nStatement\nParameters\nHeaders\n"
                     "Q.Connection,F3\nQ.Headers,F6\nQ.Parameters,F5\nQ.Statement,F4\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(ZQueryThroughHost, ARangesCellsBindRowByRowEachAsItsKind)
{
    auto r = sheet("B1: 'O'Brien\n"
                   "C1: 2.5\n"
                   "D1: TRUE\n"
                   "B2: 7\n"
                   "D2: '日本 😀\n"
                   "print =zQuery(A1,\"SELECT ?, typeof(?), ?, typeof(?), ? IS NULL, ?\",B1:D2)\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "O'Brien,real,1,integer,1,日本 😀\n"
                     "#N/A,#N/A,#N/A,#N/A,#N/A,#N/A\n#N/A,#N/A,#N/A,#N/A,#N/A,#N/A\n"
                     "#N/A,#N/A,#N/A,#N/A,#N/A,#N/A\n#N/A,#N/A,#N/A,#N/A,#N/A,#N/A\n");
}

TEST_F(ZQueryThroughHost, AParameterProblemIsAFailureAndNothingRuns)
{
    auto r = sheet("print =zQuery(A1,\"INSERT INTO t VALUES (?, ?)\",{1,\"a\",\"b\"})\n"
                   "print =zQuery(A1,\"INSERT INTO t VALUES (?, ?)\",{1,\"a\";2,\"b\"})\n"
                   "print =zQuery(A1,\"INSERT INTO t VALUES (?, ?)\",{1,#N/A})\n"
                   "print =zQuery(A1,\"INSERT INTO t VALUES (?, ?)\",1/0)\n"
                   "print =INDEX(zStatement(A1,\"SELECT COUNT(*) FROM t\"),1,1)\n");
    EXPECT_EQ(r.status, printed_failure_status) << r.err;
    EXPECT_EQ(r.out, "\"#SQL Parameters: the statement has 2 ? markers, 3 values were given\"\n"
                     "\"#SQL Parameters: the statement has 2 ? markers, 4 values were given\"\n"
                     "#SQL Parameter 2 is the error value #N/A\n"
                     "#SQL Parameter 1 is the error value #DIV/0!\n"
                     "0\n");
}

TEST_F(ZQueryThroughHost, TheCacheTellsANumberFromItsText)
{
    auto r = sheet("B1: 1\n"
                   "B2: '1\n"
                   "C1: =INDEX(zQuery(A1,\"SELECT typeof(?), COUNT(*) FROM t\",B1),1,1)\n"
                   "C2: =INDEX(zQuery(A1,\"SELECT typeof(?), COUNT(*) FROM t\",B2),1,1)\n"
                   "print C1:C2\n"
                   "C3: =zQuery(A1,\"SELECT typeof(?), COUNT(*) FROM t\",NA())\n" // refused: not kept
                   "A2: =zStatement(A1,\"INSERT INTO t VALUES (1, 'x')\")\n"
                   "print =INDEX(zQuery(A1,\"SELECT typeof(?), COUNT(*) FROM t\",B1),1,2)\n" // from the cache
                   "print =INDEX(zCache_List(),1,6)\n"
                   "print =INDEX(zCache_List(),2,6)\n"
                   "print =INDEX(zCache_List(),3,6)\n"
                   "print =ISNA(INDEX(zCache_List(),4,6))\n"
                   "print =zCache_Clear()\n"
                   "print =ISNA(INDEX(zCache_List(),1,6))\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "integer\ntext\n0\n"
                     "\"SELECT typeof(?), COUNT(*) FROM t -- parameters: 1\"\n"
                     "\"SELECT typeof(?), COUNT(*) FROM t -- parameters: \"\"1\"\"\"\n"
                     "\"INSERT INTO t VALUES (1, 'x')\"\n"
                     "TRUE\n"
                     "Cache cleared.\n"
                     "TRUE\n");
}

} // namespace
