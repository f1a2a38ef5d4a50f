// PostgreSQL through the host's ODBC: the data is made with the test's own driver manager, then
// read by the add-in inside the host (on Windows through ODBC32), so every value crosses the host
// the way a user's query does.
#include <gtest/gtest.h>

#include "db/databases.h"
#include "db/db_test.h"
#include "db/statement_run.h"
#include "support/host_eval.h"
#include "support/process.h"
#include "analyst_sheets.h"
#include "zquery_on_server.h"

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

TEST_F(PostgresThroughHost, ZQueryBindsCellValuesAndDatesEitherWay)
{
    expect_zquery_binds_values_and_dates(cs, "DATE '1899-12-30' + CAST(? AS INTEGER)");
}

TEST_F(PostgresThroughHost, CellsHoldingColumnsAgreeWithTheEnginesSums) { expect_array_cells_agree_with_the_engine(cs); }
TEST_F(PostgresThroughHost, RecordsKeepRowsOfNulls) { expect_records_keep_rows_of_nulls(cs); }
TEST_F(PostgresThroughHost, JsonNumbersReadBackExactly) { expect_json_numbers_read_back(cs, "BIGINT"); }
TEST_F(PostgresThroughHost, UnpairedSurrogateStaysInItsLiteral) { expect_unpaired_surrogate_stays_in_its_literal(cs); }
