// The callbacks macros use on the sheet: selection and active cell, values, formulas, names,
// styles and alignment, and the refusals that leave the sheet as it was.
#include "host/engine/utf.h"
#include "host_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace zorvane::host::test {
namespace {

class SheetCommands : public HostTest {
protected:
    int call(int xlfn, std::vector<Value> args, Value* out = nullptr)
    {
        Value result;
        const int rc = host.dispatch(xlfn, args, result);
        if (out)
            *out = result;
        return rc;
    }
    Value cell(const char* a1) { return host.sheet().value(*parse_cell_address(a1), host); }
    static Ref at(const char* a1) { return *parse_range(a1); }
};

TEST_F(SheetCommands, SelectionMovesByRelativeTextAndStaysOnTheSheet)
{
    Value active;
    ASSERT_EQ(call(xlcSelect, {u"R[1]C[0]"}), xlretSuccess);
    ASSERT_EQ(call(xlcSelect, {u"RC[2]"}), xlretSuccess);
    ASSERT_EQ(call(xlfActiveCell, {}, &active), xlretSuccess);
    EXPECT_EQ(active, Value(at("C2")));
    EXPECT_EQ(call(xlcSelect, {u"RC[-3]"}), xlretFailed); // left of column A
    EXPECT_EQ(call(xlcSelect, {at("A1:B2"), at("C3")}), xlretFailed); // active cell outside
    ASSERT_EQ(call(xlcSelect, {at("B2:C3"), u"R[1]C"}), xlretSuccess);
    EXPECT_EQ(host.sheet().selection(), at("B2:C3"));
    EXPECT_EQ(host.sheet().active_cell(), (CellAddress{2, 2}));

    Value moved;
    ASSERT_EQ(call(xlfOffset, {at("B2"), 1.0, -1.0, 2.0, 3.0}, &moved), xlretSuccess);
    EXPECT_EQ(moved, Value(at("A3:C4")));
    ASSERT_EQ(call(xlfOffset, {at("B2"), -2.0, 0.0}, &moved), xlretSuccess);
    EXPECT_EQ(moved, Value(ErrorCode::ref));
    Value text;
    ASSERT_EQ(call(xlfRelref, {at("A3:C4"), at("B2")}, &text), xlretSuccess);
    EXPECT_EQ(text, Value(u"R[1]C[-1]:R[2]C[1]"));
}

TEST_F(SheetCommands, SetFillsCellsAndFormulaEntersAsTyped)
{
    Array two(1, 2);
    two.set(0, 0, 1.0);
    two.set(0, 1, u"b");
    ASSERT_EQ(call(xlSet, {at("A1:C2"), two}), xlretSuccess);
    EXPECT_EQ(cell("B1"), Value(u"b"));
    EXPECT_EQ(cell("C1"), Value(ErrorCode::na)); // past the array
    EXPECT_EQ(cell("A2"), Value(ErrorCode::na));
    ASSERT_EQ(call(xlSet, {at("A2")}), xlretSuccess); // no value clears
    EXPECT_EQ(cell("A2"), Value(Nil{}));
    EXPECT_EQ(call(xlSet, {u"A1", 1.0}), xlretFailed);

    ASSERT_EQ(call(xlcSelect, {at("B3")}), xlretSuccess);
    ASSERT_EQ(call(xlcFormula, {u"=R[-2]C[-1]*10"}), xlretSuccess);
    EXPECT_EQ(host.sheet().formula({2, 1}), "=A1*10"); // kept in A1 style
    EXPECT_EQ(cell("B3"), Value(10.0));
    ASSERT_EQ(call(xlcFormula, {u"12", at("D1")}), xlretSuccess);
    ASSERT_EQ(call(xlcFormula, {u"'12", at("D2")}), xlretSuccess);
    EXPECT_EQ(cell("D1"), Value(12.0));
    EXPECT_EQ(cell("D2"), Value(u"12"));
    EXPECT_EQ(call(xlcFormula, {u"=1+"}), xlretFailed);
    EXPECT_EQ(host.sheet().formula({2, 1}), "=A1*10");

    Value info;
    ASSERT_EQ(call(xlfGetCell, {6.0}, &info), xlretSuccess);
    EXPECT_EQ(info, Value(u"=A1*10"));
    ASSERT_EQ(call(xlfGetCell, {6.0, at("D1")}, &info), xlretSuccess);
    EXPECT_EQ(info, Value(u"12"));
    ASSERT_EQ(call(xlfGetCell, {6.0, at("Z9")}, &info), xlretSuccess);
    EXPECT_EQ(info, Value(u""));
}

TEST_F(SheetCommands, NamesFollowWhatTheyReferTo)
{
    host.sheet().set_constant({0, 0}, 2.0);
    ASSERT_EQ(call(xlcFormula, {u"=Rate*3", at("B1")}), xlretSuccess); // not yet defined
    EXPECT_EQ(cell("B1"), Value(ErrorCode::name));
    ASSERT_EQ(call(xlcDefineName, {u"Rate"}), xlretSuccess); // the selection, A1
    EXPECT_EQ(cell("B1"), Value(6.0));
    host.sheet().set_constant({0, 0}, 5.0);
    EXPECT_EQ(cell("B1"), Value(15.0));
    ASSERT_EQ(call(xlcDefineName, {u"rate", 7.0}), xlretSuccess); // names ignore case
    EXPECT_EQ(cell("B1"), Value(21.0));
    for (const char16_t* bad : {u"A1", u"R1C1", u"rc", u"R", u"Connection string", u"1x", u"TRUE", u""})
        EXPECT_EQ(call(xlcDefineName, {Value(std::u16string(bad))}), xlretFailed) << utf16_to_utf8(bad);
    EXPECT_EQ(host.sheet().names().size(), 1u);
    // A registered function's bare name is its register id.
    EXPECT_EQ(eval("=tAdd"), Value(host.registry().find_name("tAdd")->id));
}

TEST_F(SheetCommands, StylesMustBeDefinedAndAlignmentTakesTheSpreadsheetsCodes)
{
    ASSERT_EQ(call(xlcSelect, {at("A1:A2")}), xlretSuccess);
    EXPECT_EQ(call(xlcApplyStyle, {u"Output"}), xlretFailed);
    ASSERT_EQ(call(xlcDefineStyle, {u"Output"}), xlretSuccess);
    ASSERT_EQ(call(xlcApplyStyle, {u"OUTPUT"}), xlretSuccess);
    EXPECT_EQ(host.sheet().style({1, 0}), u"Output");
    EXPECT_EQ(host.sheet().style({2, 0}), u"Normal");
    ASSERT_EQ(call(xlcAlignment, {4.0}), xlretSuccess);
    EXPECT_EQ(host.sheet().alignment({1, 0}), 4);
    EXPECT_EQ(call(xlcAlignment, {8.0}), xlretFailed);
    EXPECT_EQ(host.sheet().alignment({0, 0}), 4);
    EXPECT_EQ(host.sheet().alignment({0, 1}), 1);
}

} // namespace
} // namespace zorvane::host::test
