// One formula through the host, as CSV, for tests that expect it to run cleanly.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/process.h"

namespace test {

// The CSV the host prints for formula; a failure or anything on standard error fails the test.
inline std::string eval(const std::string& formula)
{
    auto r = eval_csv({formula});
    EXPECT_EQ(r.status, 0) << formula << "\n" << r.err;
    EXPECT_EQ(r.err, "") << formula;
    return r.out;
}

} // namespace test
