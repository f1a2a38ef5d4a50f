// PostgreSQL through the host's ODBC: the data is made with the test's own driver manager, then
// read by the add-in inside the host (on Windows through ODBC32), so every value crosses the host
// the way a user's query does.
#include <gtest/gtest.h>

#include "db/databases.h"
#include "db/db_test.h"
#include "db/query.h"
#include "support/host_eval.h"
#include "support/process.h"
#include "text/sheet.h"

using namespace test;

namespace {

class PostgresThroughHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZORVANE_REQUIRE_DATABASE(PostgresDb);
        cs = PostgresDb::fresh_connection_string();
    }

    std::string statement(const std::string& sql, const std::string& more = "") const
    {
        return "zStatement(" + formula_string(cs) + "," + formula_string(sql) + more + ")";
    }

    std::string cs;
};

} // namespace

TEST_F(PostgresThroughHost, TypedColumnsNonAsciiTextAndHeaders)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE orders (id INTEGER, customer VARCHAR(40), amount NUMERIC(12,2), "
                             "placed DATE, at TIMESTAMP)"));
    ASSERT_TRUE(executed(cs, "INSERT INTO orders VALUES (1, 'Müller', 12.50, '2014-05-31', '2014-05-31 18:00:00')"));
    ASSERT_TRUE(executed(cs, "INSERT INTO orders VALUES (2, '日本商事', -3, '1900-03-01', '2000-02-29 06:30:00')"));
    auto r = eval_csv({"=" + statement("SELECT id, customer, amount, placed, at FROM orders ORDER BY id", ",TRUE"),
                       "=INDEX(" + statement("SELECT placed FROM orders WHERE id = 1") + ",1,1)=DATE(2014,5,31)"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string head = "=" + statement("SELECT id, customer, amount, placed, at FROM orders ORDER BY id", ",TRUE");
    EXPECT_EQ(r.out, head + "\n"
                     "id,customer,amount,placed,at\n"
                     "1,Müller,12.5,41790,41790.75\n"
                     "2,日本商事,-3,61,36585.2708333333\n"
                     "#N/A,#N/A,#N/A,#N/A,#N/A\n" // at least five rows
                     "#N/A,#N/A,#N/A,#N/A,#N/A\n"
                     "=INDEX(" + statement("SELECT placed FROM orders WHERE id = 1") + ",1,1)=DATE(2014,5,31)\n"
                     "TRUE\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(PostgresThroughHost, ServerErrorsAreTextsInTheCell)
{
    auto r = eval_csv({"=LEFT(" + statement("SELECT nothing FROM nowhere") + ",16)"});
    EXPECT_EQ(r.status, printed_failure_status) << r.err;
    EXPECT_EQ(r.out, "#SQL Error 42P01\n");
}

// zQuery's values reach the server as values: texts that would end a literal or a statement, a
// date as its ISO text cast by the server, or as its day number turned into a date there.
TEST_F(PostgresThroughHost, ZQueryBindsCellValuesAndDatesEitherWay)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE orders (id INTEGER, customer VARCHAR(40), placed DATE)"));
    ASSERT_TRUE(executed(cs, "INSERT INTO orders VALUES (1, 'O''Brien', '2014-05-30'), (2, '日本商事', '2014-05-31'), "
                             "(3, 'Müller', '2014-06-01')"));
    auto r = run_sheet("A1: '" + cs + "\n"
                       "B1: '日本商事\n"
                       "B2: 'O'Brien\n"
                       "B3: ''; DROP TABLE orders; --\n"
                       "C1: =DATE(2014,5,31)\n"
                       "print =INDEX(zQuery(A1,\"SELECT id FROM orders WHERE customer IN (?, ?, ?) ORDER BY id\",B1:B3),0,1)\n"
                       "print =zQuery(A1,\"SELECT ? AS v\",B3,TRUE)\n"
                       "print =INDEX(zQuery(A1,\"SELECT COUNT(*) FROM orders WHERE placed >= CAST(? AS DATE)\","
                       "TEXT(C1,\"yyyy-mm-dd\")),1,1)\n"
                       "print =INDEX(zQuery(A1,\"SELECT COUNT(*) FROM orders WHERE placed >= DATE '1899-12-30' + CAST(? AS INTEGER)\",C1),1,1)\n"
                       "print =INDEX(zStatement(A1,\"SELECT COUNT(*) FROM orders\"),1,1)\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n2\n#N/A\n#N/A\n#N/A\n"
                     "v\n'; DROP TABLE orders; --\n#N/A\n#N/A\n#N/A\n"
                     "2\n2\n3\n");
    EXPECT_EQ(r.err, "");
}
