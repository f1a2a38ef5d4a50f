// ROUND and the functions that fold many values into one, checked against the examples of the
// spreadsheet's own function help where it gives them.
#include "fake_context.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zorvane::host::test {
namespace {

TEST(Round, RoundsTheDecimalTheNumberReadsAs)
{
    FakeContext ctx;
    const std::pair<const char*, double> cases[] = {
        // The help's examples.
        {"=ROUND(2.15,1)", 2.2}, {"=ROUND(2.149,1)", 2.1}, {"=ROUND(-1.475,2)", -1.48}, {"=ROUND(21.5,-1)", 20},
        {"=ROUND(626.3,-3)", 1000}, {"=ROUND(1.98,-1)", 0}, {"=ROUND(-50.55,-2)", -100},
        // Stored a little below the decimal written, rounded as written; halves away from zero.
        {"=ROUND(1.005,2)", 1.01}, {"=ROUND(0.285,2)", 0.29}, {"=ROUND(-2.5,0)", -3}, {"=ROUND(2.5,0)", 3},
        {"=ROUND(0.5,0)", 1}, {"=ROUND(9.995,2)", 10}, {"=ROUND(99999.5,0)", 100000},
        // Digits are truncated; more digits than the number has leave it, fewer make 0.
        {"=ROUND(1.25,1.9)", 1.3}, {"=ROUND(1234.5678,10)", 1234.5678}, {"=ROUND(1.5,1000)", 1.5},
        {"=ROUND(4,-2)", 0}, {"=ROUND(1E300,-1000)", 0}, {"=ROUND(-0.4,0)", 0}, {"=ROUND(0,2)", 0},
        {"=ROUND(1E-20,25)", 1e-20}};
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(ctx.eval(formula), Value(expected)) << formula;
    EXPECT_FALSE(std::signbit(ctx.eval("=ROUND(-0.4,0)").number())); // no -0
    EXPECT_EQ(ctx.eval("=ROUND(\"x\",1)"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=ROUND(1,#N/A)"), Value(ErrorCode::na));
    EXPECT_EQ(ctx.eval("=ROUND({1.15,2.25},1)"), ctx.eval("={1.2,2.3}"));
}

} // namespace
} // namespace zorvane::host::test
