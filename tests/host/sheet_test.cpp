// The sheet's calculation: order, what a change recalculates, cycles, long chains, big ranges.
#include "fake_context.h"
#include "host/sheet/sheet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zorvane::host::test {
namespace {

// Formulas see the sheet's cells; RAND() counts its calls, so a test can tell what ran.
class SheetContext : public FakeContext {
public:
    Sheet sheet;
    int calls = 0;
    Value dereference(const Ref& ref) override { return sheet.range_value(ref, *this); }
    double random() override { return ++calls; }

    void formula(const std::string& address, const std::string& text)
    {
        sheet.set_formula(*parse_cell_address(address), text, std::shared_ptr<const Node>(parse_formula(text)));
    }
    Value at(const std::string& address) { return sheet.value(*parse_cell_address(address), *this); }
};

// Arrays met element by element may ask for more cells than any range may hold: 16383 columns
// by 1048575 rows, through an operator and through a function's single-value parameters.
TEST(Sheet, ArraysMeetingBeyondTheCellLimitAreNumNotAnAllocation)
{
    SheetContext ctx;
    EXPECT_EQ(ctx.eval("=B1:XFD1+B2:B1048576"), Value(ErrorCode::num));
    EXPECT_EQ(ctx.eval("=MID(B1:XFD1,B2:B1048576,1)"), Value(ErrorCode::num));
    EXPECT_EQ(ctx.eval("=ROWS(B1:D1+B2:B4)"), Value(3.0)); // within the limit, as before
}

TEST(Sheet, CalculatesInEntryOrderReferencesFirst)
{
    SheetContext ctx;
    ctx.formula("B1", "=RAND()*0+A1*2"); // entered first, but needs A1
    ctx.formula("A1", "=RAND()");
    ctx.formula("C1", "=RAND()");
    ctx.sheet.calculate(ctx);
    EXPECT_EQ(ctx.at("A1"), Value(1.0)); // calculated before B1 starts
    EXPECT_EQ(ctx.at("B1"), Value(2.0));
    EXPECT_EQ(ctx.at("C1"), Value(3.0));
    EXPECT_EQ(ctx.calls, 3);
}

TEST(Sheet, AChangeRecalculatesOnlyWhatDependsOnIt)
{
    SheetContext ctx;
    ctx.sheet.set_constant({0, 0}, 1.0);
    ctx.formula("A2", "=A1+RAND()*0");
    ctx.formula("A3", "=SUM(A1:A2)+RAND()*0");
    ctx.formula("B1", "=RAND()");
    ctx.sheet.calculate(ctx);
    EXPECT_EQ(ctx.calls, 3);
    ctx.sheet.set_constant({0, 0}, 5.0);
    ctx.sheet.calculate(ctx);
    EXPECT_EQ(ctx.calls, 5); // A2 and A3, not B1
    EXPECT_EQ(ctx.at("A3"), Value(10.0));
    ctx.sheet.recalculate(ctx);
    EXPECT_EQ(ctx.calls, 8);
    EXPECT_EQ(ctx.sheet.formula({1, 0}), std::optional<std::string>("=A1+RAND()*0"));
    EXPECT_EQ(ctx.sheet.formula({0, 0}), std::nullopt);
}

TEST(Sheet, CyclesShowRefAreToldOnceAndLongChainsDoNotRecurse)
{
    SheetContext ctx;
    std::vector<std::string> told;
    ctx.sheet.on_circular_reference([&](const std::vector<CellAddress>& circle) {
        std::string text;
        for (const CellAddress& at : circle)
            text += cell_name(at) + " ";
        told.push_back(text);
    });
    ctx.formula("A1", "=B1+1");
    ctx.formula("B1", "=A1+1");
    ctx.formula("C1", "=C1");
    ctx.formula("E1", "=D3*2"); // through three cells, one of them by a range
    ctx.formula("D2", "=SUM(E1:E2)");
    ctx.formula("D3", "=D2");
    ctx.formula("F1", "=A1"); // shows the #REF! of the circle, but is no part of it
    ctx.sheet.calculate(ctx);
    EXPECT_EQ(ctx.at("A1"), Value(ErrorCode::ref));
    EXPECT_EQ(ctx.at("B1"), Value(ErrorCode::ref));
    EXPECT_EQ(ctx.at("C1"), Value(ErrorCode::ref));
    EXPECT_EQ(ctx.at("E1"), Value(ErrorCode::ref));
    ctx.sheet.recalculate(ctx);
    EXPECT_EQ(told, (std::vector<std::string>{"A1 B1 ", "C1 ", "E1 D3 D2 "}));

    SheetContext chain;
    chain.sheet.set_constant({0, 0}, 0.0);
    const int length = 100000;
    for (int row = 1; row < length; ++row)
        chain.formula("A" + std::to_string(row + 1), "=A" + std::to_string(row) + "+1");
    EXPECT_EQ(chain.at("A" + std::to_string(length)), Value(static_cast<double>(length - 1)));
}

TEST(Sheet, RangesAndArrayResults)
{
    SheetContext ctx;
    ctx.formula("A1", "={1,2;3,4}");
    ctx.sheet.set_constant({0, 1}, Value(u"x"));
    EXPECT_EQ(ctx.eval("=A1"), ctx.eval("={1,2;3,4}"));        // one cell: its whole value
    EXPECT_EQ(ctx.eval("=A1:B1"), ctx.eval("={1,\"x\"}"));     // a range: each cell's value
    EXPECT_EQ(ctx.eval("=ROWS(A1:B3)"), Value(3.0));
    EXPECT_EQ(ctx.eval("=INDEX(A1:XFD1048576,1,1)"), Value(ErrorCode::num)); // too big to take as values
    // COUNT skips errors among the cells, but a range too big to read is no count of 0.
    EXPECT_EQ(ctx.eval("=COUNT(A1:B1048576)"), Value(ErrorCode::num));
    EXPECT_EQ(ctx.eval("=COUNT(A1:B2)"), Value(1.0)); // the array shows its first element in A1
}

} // namespace
} // namespace zorvane::host::test
