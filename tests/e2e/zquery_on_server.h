// The zQuery sheet both server engines run through the host: texts that would end a literal or a
// statement bound as values, and a date given as its ISO text cast by the server, or as its day
// number turned into a date there (the one expression each dialect writes differently).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "db/db_test.h"
#include "text/sheet.h"

namespace test {

inline void expect_zquery_binds_values_and_dates(const std::string& cs, const std::string& day_number_as_date)
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
                       "print =INDEX(zQuery(A1,\"SELECT COUNT(*) FROM orders WHERE placed >= " + day_number_as_date +
                       "\",C1),1,1)\n"
                       "print =INDEX(zStatement(A1,\"SELECT COUNT(*) FROM orders\"),1,1)\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n2\n#N/A\n#N/A\n#N/A\n"
                     "v\n'; DROP TABLE orders; --\n#N/A\n#N/A\n#N/A\n"
                     "2\n2\n3\n");
    EXPECT_EQ(r.err, "");
}

} // namespace test
