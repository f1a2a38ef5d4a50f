// Formula reading: precedence, literals, array constants, references, and where errors are
// reported.
#include "fake_context.h"
#include "host/engine/errors.h"

#include <gtest/gtest.h>

namespace zorvane::host::test {
namespace {

double number(FakeContext& ctx, const char* formula)
{
    const Value v = ctx.eval(formula);
    EXPECT_TRUE(v.is_number()) << formula;
    return v.is_number() ? v.number() : -999999;
}

std::size_t error_position(const char* formula)
{
    try {
        parse_formula(std::string_view(formula));
    } catch (const FormulaError& e) {
        return e.position;
    }
    ADD_FAILURE() << formula << " parsed";
    return 0;
}

TEST(Parser, OperatorPrecedenceFollowsTheSpreadsheet)
{
    FakeContext ctx;
    EXPECT_EQ(number(ctx, "=1+2*3"), 7);
    EXPECT_EQ(number(ctx, "=(1+2)*3"), 9);
    EXPECT_EQ(number(ctx, "=10-4-3"), 3);        // left to right
    EXPECT_EQ(number(ctx, "=2^3^2"), 64);        // ^ is left-associative too
    EXPECT_EQ(number(ctx, "=-2^2"), 4);          // negation binds tighter than ^
    EXPECT_EQ(number(ctx, "=2*-3"), -6);
    EXPECT_EQ(number(ctx, "=50%*4"), 2);
    EXPECT_EQ(number(ctx, "=12/4/3"), 1);
    EXPECT_EQ(ctx.eval("=1+2&3"), Value(u"33"));  // & below +
    EXPECT_EQ(ctx.eval("=1+1=2"), Value(true));  // comparison lowest
    EXPECT_EQ(ctx.eval("=\"a\"&1<\"b\""), Value(true));
    EXPECT_EQ(ctx.eval(" = 1 + 2 "), Value(3.0)); // blanks around everything
    EXPECT_EQ(ctx.eval("1+2"), Value(3.0));      // the '=' is optional
}

TEST(Parser, Literals)
{
    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=\"a\"\"b\""), Value(u"a\"b"));
    EXPECT_EQ(ctx.eval("=\"\""), Value(u""));
    EXPECT_EQ(ctx.eval("=1.5e3"), Value(1500.0));
    EXPECT_EQ(ctx.eval("=.5"), Value(0.5));
    EXPECT_EQ(ctx.eval("=true"), Value(true));
    EXPECT_EQ(ctx.eval("=FALSE"), Value(false));
    const std::pair<const char*, ErrorCode> errors[] = {{"=#N/A", ErrorCode::na},       {"=#VALUE!", ErrorCode::value},
                                                        {"=#NULL!", ErrorCode::null},   {"=#DIV/0!", ErrorCode::div0},
                                                        {"=#REF!", ErrorCode::ref},     {"=#NAME?", ErrorCode::name},
                                                        {"=#NUM!", ErrorCode::num},     {"=#n/a", ErrorCode::na}};
    for (const auto& [formula, code] : errors)
        EXPECT_EQ(ctx.eval(formula), Value(code)) << formula;
    // Errors pass through operators, the left one first.
    EXPECT_EQ(ctx.eval("=#N/A+#REF!"), Value(ErrorCode::na));
    EXPECT_EQ(ctx.eval("=1/0"), Value(ErrorCode::div0));
    EXPECT_EQ(ctx.eval("=\"x\"+1"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=\"2\"+1"), Value(3.0)); // text is read as a number
}

TEST(Parser, ArrayConstants)
{
    FakeContext ctx;
    const Value v = ctx.eval("={1,2;3,4}");
    ASSERT_TRUE(v.is_array());
    EXPECT_EQ(v.array().rows, 2);
    EXPECT_EQ(v.array().columns, 2);
    EXPECT_EQ(v.array().at(1, 0), Value(3.0));
    const Value mixed = ctx.eval("={-1,\"x\";TRUE,#N/A}");
    EXPECT_EQ(mixed.array().at(0, 0), Value(-1.0));
    EXPECT_EQ(mixed.array().at(0, 1), Value(u"x"));
    EXPECT_EQ(mixed.array().at(1, 0), Value(true));
    EXPECT_EQ(mixed.array().at(1, 1), Value(ErrorCode::na));
    // Operators apply element by element, a single row broadcasting down.
    const Value sum = ctx.eval("={1,2;3,4}+{10,20}");
    EXPECT_EQ(sum.array().at(1, 1), Value(24.0));
    EXPECT_EQ(ctx.eval("={1,2,3}*{1;2}").array().at(1, 2), Value(6.0));
    EXPECT_EQ(ctx.eval("={1,2,3}+{1,2}").array().at(0, 2), Value(ErrorCode::na));
}

TEST(Parser, References)
{
    auto ast = parse_formula(std::string_view("=$B$3+A1:C2"));
    ASSERT_EQ(ast->kind, Node::Kind::binary);
    EXPECT_EQ(ast->children[0]->kind, Node::Kind::reference);
    EXPECT_EQ(ast->children[0]->ref, (Ref{2, 1, 2, 1}));
    EXPECT_EQ(ast->children[1]->ref, (Ref{0, 0, 1, 2}));
    EXPECT_EQ(parse_formula(std::string_view("=C2:A1"))->ref, (Ref{0, 0, 1, 2})); // corners in any order
    const auto spill = parse_formula(std::string_view("=$B$3#"));
    EXPECT_TRUE(spill->spill && spill->ref == (Ref{2, 1, 2, 1}));

    FakeContext ctx;
    ctx.cells[{0, 0}] = 5.0;
    ctx.cells[{0, 1}] = Value(u"x");
    EXPECT_EQ(ctx.eval("=A1*2"), Value(10.0));
    EXPECT_EQ(ctx.eval("=C9"), Value(Nil{}));
    EXPECT_EQ(ctx.eval("=C9+1"), Value(1.0));  // an empty cell is 0
    EXPECT_EQ(ctx.eval("=C9&\"\""), Value(u"")); // or empty text
    const Value range = ctx.eval("=A1:B1");
    ASSERT_TRUE(range.is_array());
    EXPECT_EQ(range.array().at(0, 1), Value(u"x"));
}

TEST(Parser, FunctionCallsAndOmittedArguments)
{
    auto ast = parse_formula(std::string_view("=f(1,,\"x\")"));
    ASSERT_EQ(ast->kind, Node::Kind::call);
    EXPECT_EQ(ast->name, "f");
    ASSERT_EQ(ast->children.size(), 3u);
    EXPECT_EQ(ast->children[1]->kind, Node::Kind::omitted);
    EXPECT_TRUE(parse_formula(std::string_view("=NOW()"))->children.empty());
    EXPECT_EQ(parse_formula(std::string_view("=GET.CELL(1)"))->name, "GET.CELL");

    FakeContext ctx;
    EXPECT_EQ(ctx.eval("=if(1>2,\"a\",)"), Value(0.0));
    EXPECT_THROW(ctx.eval("=NOSUCH(1)"), UsageError);
    EXPECT_THROW(ctx.eval("=LEN(1,2)"), UsageError);
    EXPECT_THROW(ctx.eval("=DATE(1)"), UsageError);
    try {
        ctx.eval("=1+nosuch(2)");
        ADD_FAILURE() << "an unknown function was accepted";
    } catch (const UsageError& e) {
        EXPECT_NE(std::string(e.what()).find("position 4"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("nosuch"), std::string::npos) << e.what();
    }
}

TEST(Parser, ErrorsNameTheirPosition)
{
    EXPECT_EQ(error_position("=1+"), 4u);
    EXPECT_EQ(error_position("=(1+2"), 6u);
    EXPECT_EQ(error_position("=1+*2"), 4u);
    EXPECT_EQ(error_position("=\"abc"), 2u);
    EXPECT_EQ(error_position("={1,2;3}"), 2u);
    EXPECT_EQ(error_position("={1,A1}"), 5u);
    EXPECT_EQ(error_position("=#FOO"), 2u);
    EXPECT_EQ(error_position("=1 2"), 4u);
    EXPECT_EQ(error_position("=SUM(1;2)"), 7u);
    EXPECT_EQ(error_position("=fo$o"), 2u); // a name that is no cell holds no '$'
    EXPECT_EQ(error_position("="), 2u);
    EXPECT_EQ(error_position("=A1:"), 5u);
    EXPECT_EQ(error_position("=1e"), 3u);
    // The spreadsheet's limits keep recursion shallow whatever the input.
    EXPECT_EQ(error_position(("=" + std::string(8192, '1')).c_str()), 8193u);
    EXPECT_EQ(error_position(("=" + std::string(300, '(') + "1" + std::string(300, ')')).c_str()), 257u);
    EXPECT_EQ(error_position(("=" + std::string(300, '-') + "1").c_str()), 257u);
    std::string percents = "=1";
    for (int i = 0; i < 20; ++i)
        percents = "(" + percents.substr(i == 0 ? 1 : 0) + std::string(200, '%') + ")";
    EXPECT_GT(error_position(("=" + percents).c_str()), 1u); // deep through '%' chains too
    FakeContext ctx;
    std::string sum = "=1";
    for (int i = 0; i < 4000; ++i)
        sum += "+1";
    EXPECT_EQ(ctx.eval(sum), Value(4001.0));
}

TEST(Parser, BareNamesAndR1C1ReferencesAgainstABase)
{
    FakeContext ctx;
    try {
        ctx.eval("=1+foo");
        ADD_FAILURE() << "an unknown name was accepted";
    } catch (const UsageError& e) {
        EXPECT_EQ(std::string(e.what()), "position 4: unknown name 'foo'");
    }
    EXPECT_EQ(parse_formula(std::string_view("=R1C1"))->kind, Node::Kind::name); // no base: A1 style only

    const CellAddress c3{2, 2};
    auto ref = [&](const char* text) {
        const auto ast = parse_formula(std::string_view(text), c3);
        EXPECT_EQ(ast->kind, Node::Kind::reference) << text;
        return ast->ref;
    };
    EXPECT_EQ(ref("=R[1]C"), (Ref{3, 2, 3, 2}));
    EXPECT_EQ(ref("=RC[-2]"), (Ref{2, 0, 2, 0}));
    EXPECT_EQ(ref("=r1c1"), (Ref{0, 0, 0, 0}));
    EXPECT_EQ(ref("=R[1]C[0]:R[1]C[2]"), (Ref{3, 2, 3, 4}));
    EXPECT_EQ(ref("=A1"), (Ref{0, 0, 0, 0}));
    EXPECT_EQ(parse_formula(std::string_view("=RC-1"), c3)->kind, Node::Kind::binary); // the cell minus 1
    EXPECT_EQ(parse_formula(std::string_view("=RC2X"), c3)->kind, Node::Kind::name);
    EXPECT_THROW(parse_formula(std::string_view("=RC[-3]"), c3), FormulaError); // off the sheet

    const std::u16string text = u"=SUM(R[-2]C:RC[1], \"R1C1\", RC)";
    EXPECT_EQ(formula_in_a1_style(text, *parse_formula(text, c3)), u"=SUM(C1:D3, \"R1C1\", C3)");
    EXPECT_EQ(relative_reference_text(Ref{3, 2, 3, 2}, c3), "R[1]C");
    EXPECT_EQ(relative_reference_text(Ref{2, 1, 2, 1}, c3), "RC[-1]");
    EXPECT_EQ(relative_reference_text(Ref{3, 2, 3, 4}, c3), "R[1]C:R[1]C[2]");
    EXPECT_EQ(relative_reference_text(Ref{2, 2, 2, 2}, c3), "RC");
}

} // namespace
} // namespace zorvane::host::test
