// MariaDB through the host's ODBC: the data is made with the test's own driver manager, then read
// by the add-in inside the host (on Windows through ODBC32), so every value crosses the host the
// way a user's query does.
#include <gtest/gtest.h>

#include "db/databases.h"
#include "db/db_test.h"
#include "support/host_eval.h"
#include "support/process.h"
#include "analyst_sheets.h"
#include "zquery_on_server.h"

using namespace test;

namespace {

class MariaDbThroughHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZORVANE_REQUIRE_DATABASE(MariaDb);
        cs = MariaDb::fresh_connection_string();
    }

    std::string statement(const std::string& sql, const std::string& more = "") const
    {
        return "zStatement(" + formula_string(cs) + "," + formula_string(sql) + more + ")";
    }

    std::string cs;
};

} // namespace

TEST_F(MariaDbThroughHost, TypedColumnsWideIntegersNonAsciiTextAndHeaders)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE orders (id INT, customer VARCHAR(40), amount DECIMAL(12,2), "
                             "ref BIGINT UNSIGNED, placed DATE, at DATETIME(3))"));
    ASSERT_TRUE(executed(cs, "INSERT INTO orders VALUES (1, 'Müller', 12.50, 150000000000, '2014-05-31', "
                             "'2014-05-31 18:00:00.000')"));
    ASSERT_TRUE(executed(cs, "INSERT INTO orders VALUES (2, '日本商事', -3, 18446744073709551615, '1899-12-31', "
                             "'2000-02-29 06:30:00.500')"));
    const std::string all = "=" + statement("SELECT id, customer, amount, ref, placed, at FROM orders ORDER BY id", ",TRUE");
    const std::string exact = "=INDEX(" + statement("SELECT ref FROM orders WHERE id = 2") + ",1,1)=2^64";
    auto r = eval_csv({all, exact});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, all + "\n"
                     "id,customer,amount,ref,placed,at\n"
                     "1,Müller,12.5,150000000000,41790,41790.75\n"
                     "2,日本商事,-3,1.84467440737096E+19,1899-12-31,36585.2708391204\n"
                     "#N/A,#N/A,#N/A,#N/A,#N/A,#N/A\n"
                     "#N/A,#N/A,#N/A,#N/A,#N/A,#N/A\n" +
                     exact + "\nTRUE\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(MariaDbThroughHost, ServerErrorsAreTextsInTheCell)
{
    auto r = eval_csv({"=LEFT(" + statement("SELECT nothing FROM nowhere") + ",16)"});
    EXPECT_EQ(r.status, printed_failure_status) << r.err;
    EXPECT_EQ(r.out, "#SQL Error S0002\n"); // the ODBC 2.x state the manager reports for 42S02
}

TEST_F(MariaDbThroughHost, ZQueryBindsCellValuesAndDatesEitherWay)
{
    expect_zquery_binds_values_and_dates(cs, "DATE_ADD('1899-12-30', INTERVAL ? DAY)");
}

TEST_F(MariaDbThroughHost, JsonNumbersReadBackExactly) { expect_json_numbers_read_back(cs, "BIGINT"); }
TEST_F(MariaDbThroughHost, UnpairedSurrogateStaysInItsLiteral) { expect_unpaired_surrogate_stays_in_its_literal(cs); }
