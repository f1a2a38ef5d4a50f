// zS makes user text one SQL literal whatever it holds: a payload that would end the literal and
// run a statement of its own is compared as plain text and the table survives.
#include <gtest/gtest.h>

#include <string>

#include "databases.h"
#include "db/statement_run.h"
#include "db_test.h"
#include "support/host_eval.h"
#include "support/process.h"

using namespace test;

TEST(Injection, QuotePayloadInsideZSelectWhereStaysALiteral)
{
    std::string cs = SqliteDb::fresh_connection_string();
    ASSERT_TRUE(executed(cs, "CREATE TABLE customers (name VARCHAR(100), city VARCHAR(100))"));
    ASSERT_TRUE(executed(cs, "INSERT INTO customers VALUES ('O''Brien', 'Cork'), ('Smith', 'Leeds'), "
               "('x'' OR ''1''=''1', 'Nowhere')"));

    auto select = [&](const std::string& user_text) {
        return "=zSELECT(" + formula_string(cs) + ",\"city\",\"customers\",CONCATENATE(\"name = \",zS(" + formula_string(user_text) +
               ")))";
    };
    const std::string drop = "O'Brien'; DROP TABLE customers; --";
    const std::string always_true = "x' OR '1'='1";
    auto r = eval_csv({select(drop), select(always_true), select("O'Brien"),
                       "=zStatement(" + formula_string(cs) + ",\"SELECT count(*) FROM customers\")"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Nobody is named like the first payload; the second is the one row that holds that very
    // text, not every row; the plain name still finds its row; all three rows are still there.
    EXPECT_EQ(r.out, select(drop) + "\n#N/A\n#N/A\n#N/A\n#N/A\n#N/A\n" +       //
                         select(always_true) + "\nNowhere\n#N/A\n#N/A\n#N/A\n#N/A\n" + //
                         select("O'Brien") + "\nCork\n#N/A\n#N/A\n#N/A\n#N/A\n" +     //
                         "=zStatement(" + formula_string(cs) + ",\"SELECT count(*) FROM customers\")\n3\n#N/A\n#N/A\n#N/A\n#N/A\n")
        << r.err;
}
