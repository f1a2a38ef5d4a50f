// What an analyst's sheet asks of a query's result, on each engine through the host: arrays in
// cells read as arrays by the conditional functions (against the engine's own sums), every row
// in JSON records, and JSON numbers a program reads back as the cells' doubles.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "db/db_test.h"
#include "support/host_eval.h"
#include "support/process.h"
#include "text/sheet.h"

namespace test {

// 300 orders with a status each and an amount in cents, every 50th amount NULL.
inline void make_orders(const std::string& cs)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE orders (id INTEGER, status VARCHAR(10), amount NUMERIC(12,2))"));
    std::string insert = "INSERT INTO orders VALUES ";
    for (int id = 1; id <= 300; ++id) {
        const char* status = id % 3 == 0 ? "shipped" : id % 3 == 1 ? "open" : "returned";
        const std::string amount = id % 50 == 0 ? "NULL" : std::to_string(id * 1234 % 99991 / 100) + "." + std::to_string(10 + id % 90);
        insert += (id > 1 ? ", (" : "(") + std::to_string(id) + ", '" + status + "', " + amount + ")";
    }
    ASSERT_TRUE(executed(cs, insert));
}

// The host's conditional functions over two cells holding query columns, each line followed by
// the same figure as the engine computes it.
inline void expect_array_cells_agree_with_the_engine(const std::string& cs)
{
    make_orders(cs);
    const auto engine = [](const std::string& sql) { return "print =ROUND(INDEX(zStatement(A1,\"" + sql + "\"),1,1),2)\n"; };
    auto r = run_sheet("A1: '" + cs + "\n"
                       "B2: =zStatement(A1,\"SELECT status FROM orders ORDER BY id\")\n"
                       "C2: =zStatement(A1,\"SELECT amount FROM orders ORDER BY id\")\n"
                       "print =ROUND(SUMIF(B2,\"shipped\",IFNA(C2,0)),2)\n" +
                       engine("SELECT SUM(amount) FROM orders WHERE status = 'shipped'") +
                       "print =ROUND(SUMIFS(IFNA(C2#,0),B2#,\"<>open\",C2#,\">500\"),2)\n" +
                       engine("SELECT SUM(amount) FROM orders WHERE status <> 'open' AND amount > 500") +
                       "print =COUNTIFS(B2,\"shipped\",C2,\">500\")\n" +
                       engine("SELECT COUNT(*) FROM orders WHERE status = 'shipped' AND amount > 500") +
                       "print =ROUND(AVERAGEIF(B2#,\"returned\",IFNA(C2#,\"\")),2)\n" +
                       engine("SELECT AVG(amount) FROM orders WHERE status = 'returned'") +
                       "print =ROWS(C2)*COLUMNS(C2)\n" + engine("SELECT COUNT(*) FROM orders") +
                       "print =ROUND(SUM(IFNA(C2,0)),2)\n" + engine("SELECT SUM(amount) FROM orders") +
                       "print =SUMIF(B2,\"shipped\",C2)\n"); // a NULL among the amounts summed
    EXPECT_EQ(r.status, printed_failure_status) << r.err;
    EXPECT_EQ(r.err, "");
    std::istringstream lines(r.out);
    std::vector<std::string> printed;
    for (std::string line; std::getline(lines, line);)
        printed.push_back(line);
    ASSERT_EQ(printed.size(), 13u) << r.out;
    for (std::size_t i = 0; i + 1 < printed.size(); i += 2)
        EXPECT_EQ(printed[i], printed[i + 1]) << "line " << i + 1 << " of\n" << r.out;
    EXPECT_EQ(printed[8], "300");
    EXPECT_EQ(printed[12], "#N/A");
}

// --json=records keeps every row the engine returned: three rows of which two are NULL (all
// #N/A, like the padding below them), and five rows whose last is NULL.
inline void expect_records_keep_rows_of_nulls(const std::string& cs)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE amounts (id INTEGER, amount NUMERIC(12,2))"));
    ASSERT_TRUE(executed(cs, "INSERT INTO amounts VALUES (1, 12.5), (2, -3), (3, 7.25), (4, 1), (5, NULL), (97, NULL), (194, NULL)"));
    auto r = run_sheet("A1: '" + cs + "\n"
                       "print =zStatement(A1,\"SELECT amount FROM amounts WHERE id IN (1,97,194) ORDER BY id\",TRUE)\n"
                       "print =zStatement(A1,\"SELECT amount FROM amounts WHERE id <= 5 ORDER BY id\",TRUE)\n",
                       {"--json=records"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[{\"amount\":12.5},{\"amount\":null},{\"amount\":null},{\"amount\":null}]\n"
                     "[{\"amount\":12.5},{\"amount\":-3},{\"amount\":7.25},{\"amount\":1},{\"amount\":null}]\n");
}

// The JSON of numbers the General format would round, and of an engine's 64-bit integers, read
// back by Python's json module: each the double its cell holds, as Python writes it.
inline void expect_json_numbers_read_back(const std::string& cs, const std::string& bigint)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE wide (id INTEGER, v " + bigint + ")"));
    ASSERT_TRUE(executed(cs, "INSERT INTO wide VALUES (1, 9007199254740993), (2, 9223372036854775807), (3, -9223372036854775807)"));
    auto r = run({host_path(), "eval", "--json", "=2^53+1", "=0.1+0.2", "=1.7976931348623157E+308",
                  "=-1.7976931348623157E+308", "=5E-324", "=2.2250738585072014E-308",
                  "=zStatement(" + formula_string(cs) + ",\"SELECT v FROM wide ORDER BY id\")"});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto read = run({"python3", "-c",
                           "import json, sys\n"
                           "def numbers(v):\n"
                           "    if isinstance(v, list): return [x for item in v for x in numbers(item)]\n"
                           "    return [v] if isinstance(v, (int, float)) and not isinstance(v, bool) else []\n"
                           "for line in sys.argv[1].splitlines():\n"
                           "    for x in numbers(json.loads(line)['value']): print(repr(float(x)))\n",
                           r.out});
    EXPECT_EQ(read.err, "");
    EXPECT_EQ(read.out, "9007199254740992.0\n0.30000000000000004\n1.7976931348623157e+308\n-1.7976931348623157e+308\n5e-324\n"
                        "2.2250738585072014e-308\n9007199254740992.0\n9.223372036854776e+18\n-9.223372036854776e+18\n")
        << r.out;
}

} // namespace test
