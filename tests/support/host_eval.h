// One formula through the host, as CSV, for tests that expect it to run cleanly, and the formula
// text of a string argument.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/process.h"

namespace test {

// The CSV the host prints for formula (its value may be a failure, which the caller compares);
// a host that did not run it, or anything on standard error, fails the test.
inline std::string eval(const std::string& formula)
{
    auto r = eval_csv({formula});
    EXPECT_TRUE(ran(r)) << formula << "\nexit status " << r.status << "\n" << r.err;
    EXPECT_EQ(r.err, "") << formula;
    return r.out;
}

// The lines the host printed, without their line ends.
inline std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// A text as a formula's string argument: quoted, with its quotes doubled.
inline std::string formula_string(const std::string& text)
{
    std::string q = "\"";
    for (char c : text)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

} // namespace test
