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

TEST(Round, UpAndDownAwayFromAndTowardZero)
{
    FakeContext ctx;
    const std::pair<const char*, double> cases[] = {
        // The help's examples.
        {"=ROUNDUP(3.2,0)", 4}, {"=ROUNDUP(76.9,0)", 77}, {"=ROUNDUP(3.14159,3)", 3.142}, {"=ROUNDUP(-3.14159,1)", -3.2},
        {"=ROUNDUP(31415.92654,-2)", 31500}, {"=ROUNDDOWN(3.2,0)", 3}, {"=ROUNDDOWN(76.9,0)", 76},
        {"=ROUNDDOWN(3.14159,3)", 3.141}, {"=ROUNDDOWN(-3.14159,1)", -3.1}, {"=ROUNDDOWN(31415.92654,-2)", 31400},
        // On the decimal the number reads as: 1.1 is not a little above itself, 0.3 not below.
        {"=ROUNDUP(1.1,1)", 1.1}, {"=ROUNDDOWN(0.1+0.2,1)", 0.3}, {"=ROUNDUP(0.001,0)", 1}, {"=ROUNDUP(-0.001,1)", -0.1},
        {"=ROUNDDOWN(0.001,0)", 0}, {"=ROUNDUP(9.99,1)", 10}, {"=ROUNDUP(5,-1)", 10}, {"=ROUNDDOWN(5,-1)", 0}};
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(ctx.eval(formula), Value(expected)) << formula;
    EXPECT_EQ(ctx.eval("=ROUNDUP(1E300,-1000)"), Value(ErrorCode::num)); // one unit is past the doubles
}

TEST(Aggregates, CountaAndCountblank)
{
    FakeContext ctx;
    // COUNTA's help: a label, a date, a blank, 19, 22.24, TRUE and #DIV/0!; and empty text.
    ctx.put("A2", {{u"Sales"}, {39791}, {Nil{}}, {19}, {22.24}, {true}, {ErrorCode::div0}, {u""}});
    EXPECT_EQ(ctx.eval("=COUNTA(A2:A8)"), Value(6.0));
    EXPECT_EQ(ctx.eval("=COUNTA(A2:A9,1,#N/A,)"), Value(10.0)); // typed arguments count whatever they are
    EXPECT_EQ(ctx.eval("=COUNTA(A4)"), Value(0.0));
    EXPECT_EQ(ctx.eval("=COUNTBLANK(A2:A9)"), Value(2.0)); // the blank and the empty text
    EXPECT_EQ(ctx.eval("=COUNTBLANK(A2:B3)"), Value(2.0));
    EXPECT_EQ(ctx.eval("=COUNTBLANK({0,\"\",1})"), Value(1.0));
}

TEST(Aggregates, TypedArgumentsConvertWhileRangesCountOnlyNumbers)
{
    FakeContext ctx;
    // SUM's help: -5, 15, 30, the text '5 and TRUE.
    ctx.put("A2", {{-5}, {15}, {30}, {u"5"}, {true}});
    EXPECT_EQ(ctx.eval("=SUM(A2:A4)"), Value(40.0));
    EXPECT_EQ(ctx.eval("=SUM(A2:A4,15)"), Value(55.0));
    EXPECT_EQ(ctx.eval("=SUM(A5,A6,2)"), Value(2.0)); // text and TRUE in cells are not numbers
    EXPECT_EQ(ctx.eval("=SUM(\"5\",15,TRUE)"), Value(21.0)); // typed, they are
    EXPECT_EQ(ctx.eval("=SUM(A2:A6)"), Value(40.0));
    EXPECT_EQ(ctx.eval("=SUM({1,\"2\",TRUE})"), Value(1.0)); // an array is read like a range
    EXPECT_EQ(ctx.eval("=SUM(1,)"), Value(1.0));
    EXPECT_EQ(ctx.eval("=SUM(\"x\")"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=SUM(A2:A4,#N/A)"), Value(ErrorCode::na));
    ctx.put("B1", {{1, ErrorCode::div0}});
    EXPECT_EQ(ctx.eval("=SUM(B1:C1)"), Value(ErrorCode::div0));

    // COUNT's help: a label, a date, a blank, 19, 22.24, TRUE and #DIV/0!.
    ctx.put("D2", {{u"Sales"}, {39791}, {Nil{}}, {19}, {22.24}, {true}, {ErrorCode::div0}});
    EXPECT_EQ(ctx.eval("=COUNT(D2:D8)"), Value(3.0));
    EXPECT_EQ(ctx.eval("=COUNT(D5:D8)"), Value(2.0));
    EXPECT_EQ(ctx.eval("=COUNT(D2:D8,2)"), Value(4.0));
    EXPECT_EQ(ctx.eval("=COUNT(D7)"), Value(0.0)); // TRUE in a cell
    EXPECT_EQ(ctx.eval("=COUNT(TRUE,\"3\",\"x\",#N/A)"), Value(2.0));
    EXPECT_EQ(ctx.eval("=COUNT({1,TRUE,\"3\"})"), Value(1.0));

    // AVERAGE's, MIN's and MAX's help: 10, 7, 9, 27, 2, and a row 10, 15, 32.
    ctx.put("E2", {{10, 15, 32}, {7}, {9}, {27}, {2}});
    EXPECT_EQ(ctx.eval("=AVERAGE(E2:E6)"), Value(11.0));
    EXPECT_EQ(ctx.eval("=AVERAGE(E2:E6,5)"), Value(10.0));
    EXPECT_EQ(ctx.eval("=AVERAGE(E2:G2)"), Value(19.0));
    EXPECT_EQ(ctx.eval("=MIN(E2:E6)"), Value(2.0));
    EXPECT_EQ(ctx.eval("=MIN(E2:E6,0)"), Value(0.0));
    EXPECT_EQ(ctx.eval("=MAX(E2:E6)"), Value(27.0));
    EXPECT_EQ(ctx.eval("=MAX(E2:E6,30)"), Value(30.0));
    // Texts and booleans in ranges are left out, not read as 0; with no number at all MIN and MAX
    // are 0 and AVERAGE has nothing to divide by.
    ctx.put("H1", {{u"-9", true, -1, Nil{}}});
    EXPECT_EQ(ctx.eval("=MIN(H1:K1)"), Value(-1.0));
    EXPECT_EQ(ctx.eval("=MAX(H1:K1)"), Value(-1.0));
    EXPECT_EQ(ctx.eval("=AVERAGE(H1:K1,3)"), Value(1.0));
    EXPECT_EQ(ctx.eval("=MAX(H1:I1)"), Value(0.0));
    EXPECT_EQ(ctx.eval("=AVERAGE(H1:I1)"), Value(ErrorCode::div0));
    EXPECT_EQ(ctx.eval("=AVERAGE(TRUE,\"3\")"), Value(2.0));
    EXPECT_EQ(ctx.eval("=MIN(5,\"x\")"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=MAX(-5,)"), Value(0.0)); // an omitted argument is 0

    // A cell holding a whole array result is read as that array.
    ctx.cells[{20, 0}] = ctx.eval("={1,\"2\";3,TRUE}");
    EXPECT_EQ(ctx.eval("=SUM(A21)"), Value(4.0));
    EXPECT_EQ(ctx.eval("=COUNT(A21)"), Value(2.0));
}

TEST(Conditional, SumifAndCountifWithTheHelpsExamples)
{
    FakeContext ctx;
    // Property values and their commissions, and a value to compare with.
    ctx.put("A2", {{100000, 7000, 250000}, {200000, 14000}, {300000, 21000}, {400000, 28000}});
    EXPECT_EQ(ctx.eval("=SUMIF(A2:A5,\">160000\",B2:B5)"), Value(63000.0));
    EXPECT_EQ(ctx.eval("=SUMIF(A2:A5,\">160000\")"), Value(900000.0));
    EXPECT_EQ(ctx.eval("=SUMIF(A2:A5,300000,B2:B5)"), Value(21000.0));
    EXPECT_EQ(ctx.eval("=SUMIF(A2:A5,\">\"&C2,B2:B5)"), Value(49000.0));
    EXPECT_EQ(ctx.eval("=SUMIF(A2:A5,\">160000\",B2)"), Value(63000.0)); // the sum range takes the range's shape

    // Categories, foods and sales, one category left blank.
    ctx.put("E2", {{u"Vegetables", u"Tomatoes", 2300},
                   {u"Vegetables", u"Celery", 5500},
                   {u"Fruits", u"Oranges", 800},
                   {Nil{}, u"Butter", 400},
                   {u"Vegetables", u"Carrots", 4200},
                   {u"Fruits", u"Apples", 1200}});
    EXPECT_EQ(ctx.eval("=SUMIF(E2:E7,\"Fruits\",G2:G7)"), Value(2000.0));
    EXPECT_EQ(ctx.eval("=SUMIF(E2:E7,\"Vegetables\",G2:G7)"), Value(12000.0));
    EXPECT_EQ(ctx.eval("=SUMIF(F2:F7,\"*es\",G2:G7)"), Value(4300.0));
    EXPECT_EQ(ctx.eval("=SUMIF(E2:E7,\"\",G2:G7)"), Value(400.0));

    // Fruits and counts.
    ctx.put("J2", {{u"apples", 32}, {u"oranges", 54}, {u"peaches", 75}, {u"apples", 86}});
    EXPECT_EQ(ctx.eval("=COUNTIF(J2:J5,\"apples\")"), Value(2.0));
    EXPECT_EQ(ctx.eval("=COUNTIF(J2:J5,J4)"), Value(1.0));
    EXPECT_EQ(ctx.eval("=COUNTIF(J2:J5,J2)+COUNTIF(J2:J5,J3)"), Value(3.0));
    EXPECT_EQ(ctx.eval("=COUNTIF(K2:K5,\">55\")"), Value(2.0));
    EXPECT_EQ(ctx.eval("=COUNTIF(K2:K5,\"<>\"&K4)"), Value(3.0));
    EXPECT_EQ(ctx.eval("=COUNTIF(K2:K5,\">=32\")-COUNTIF(K2:K5,\">85\")"), Value(3.0));
    EXPECT_EQ(ctx.eval("=COUNTIF(J2:J5,\"*\")"), Value(4.0));
    EXPECT_EQ(ctx.eval("=COUNTIF(J2:J5,\"?????es\")"), Value(2.0));
    EXPECT_EQ(ctx.eval("=COUNTIF(J2:J5,\"APPLES\")"), Value(2.0));
    EXPECT_EQ(ctx.eval("=COUNTIF(J2:J5,{\"apples\",\"peaches\"})"), ctx.eval("={2,1}"));
}

TEST(Conditional, CriteriaReadNumbersTextsBlanksAndErrorsLikeTheSpreadsheet)
{
    FakeContext ctx;
    // Numbers and numeric text are one for equality; only numbers are in order with ">5".
    ctx.put("A1", {{5, u"5", 6, u"6", u"1,000", 1000, true, Nil{}, u"", ErrorCode::na, u"a*b", u"axb"}});
    const std::pair<const char*, double> counts[] = {
        {"5", 2},          {"\"5\"", 2},      {"\"=5\"", 2},     {"\">5\"", 2},     {"\"<>5\"", 10},
        {"\">=6\"", 2},    {"1000", 2},       {"TRUE", 1},       {"\"true\"", 1},   {"1", 0},
        {"\"=\"", 1},      {"\"\"", 2},       {"\"<>\"", 11},    {"\"#N/A\"", 1},   {"\"a*b\"", 2},
        {"\"a~*b\"", 1},   {"\"A?B\"", 2},    {"\"<b\"", 6},     {"\">A\"", 2},     {"Z9", 0},
        {"\"<>a*\"", 10}};
    for (const auto& [criterion, expected] : counts)
        EXPECT_EQ(ctx.eval(std::string("=COUNTIF(A1:L1,") + criterion + ")"), Value(expected)) << criterion;

    // A reference to an empty cell asks for 0, not for blanks.
    ctx.put("A3", {{0, Nil{}, 0, u"x"}});
    EXPECT_EQ(ctx.eval("=COUNTIF(A3:D3,Z99)"), Value(2.0));
    // Dates as text compare as their serials.
    ctx.put("A5", {{41789, 41790, 41791}});
    EXPECT_EQ(ctx.eval("=COUNTIF(A5:C5,\">=2014-05-31\")"), Value(2.0));

    // Errors among the cells tested are only unequal; a summed error is the result.
    ctx.put("A7", {{1, ErrorCode::div0, 3}, {10, 20, ErrorCode::ref}});
    EXPECT_EQ(ctx.eval("=SUMIF(A7:C7,\">0\",A8:C8)"), Value(ErrorCode::ref));
    EXPECT_EQ(ctx.eval("=SUMIF(A7:B7,\">0\",A8:B8)"), Value(10.0));
    EXPECT_EQ(ctx.eval("=SUMIF(A7:C7,\"<3\")"), Value(1.0));
    EXPECT_EQ(ctx.eval("=SUMIF({1,2,3},\">1\")"), Value(5.0)); // arrays as well as ranges
    EXPECT_EQ(ctx.eval("=COUNTIF(#N/A,1)"), Value(ErrorCode::na));
    // A range of one cell holding an error is tested like any other range, not its error.
    EXPECT_EQ(ctx.eval("=COUNTIF(B7,\"#DIV/0!\")"), Value(1.0));
    EXPECT_EQ(ctx.eval("=COUNTIF(B7,\">0\")"), Value(0.0));
    EXPECT_EQ(ctx.eval("=SUMIF(B7,\">0\")"), Value(0.0));
    EXPECT_EQ(ctx.eval("=SUMIF(A7,\">0\",C8)"), Value(ErrorCode::ref)); // a summed error still is
}

TEST(Conditional, AverageifAndTheFunctionsOfSeveralConditionsWithTheHelpsExamples)
{
    FakeContext ctx;
    // AVERAGEIF's property values and commissions, and regions with their profits.
    ctx.put("A2", {{100000, 7000}, {200000, 14000}, {300000, 21000}, {400000, 28000}});
    ctx.put("D2", {{u"East", 45678}, {u"West", 23789}, {u"North", -4789}, {u"South (New Office)", 0}, {u"MidWest", 9678}});
    // SUMIFS's quantities, products and salespeople.
    ctx.put("G2", {{5, u"Apples", u"Tom"}, {4, u"Apples", u"Sarah"}, {15, u"Artichokes", u"Tom"}, {3, u"Artichokes", u"Sarah"},
                   {22, u"Bananas", u"Tom"}, {12, u"Bananas", u"Sarah"}, {10, u"Carrots", u"Tom"}, {33, u"Carrots", u"Sarah"}});
    // COUNTIFS's salespeople over three quarters, and numbers with dates.
    ctx.put("K2", {{u"Davidoski", u"Yes", u"No", u"No"}, {u"Burke", u"Yes", u"Yes", u"No"}, {u"Sundaram", u"Yes", u"Yes", u"Yes"},
                   {u"Levitan", u"No", u"Yes", u"Yes"}});
    ctx.put("P2", {{1, 40664}, {2, 40665}, {3, 40666}, {4, 40667}, {5, 40668}, {6, 40669}});
    // AVERAGEIFS's quiz grades, and houses with their price, town, bedrooms and garage.
    ctx.put("S2", {{75, 85, 87}, {94, 80, 88}, {86, 93, u"Incomplete"}, {u"Incomplete", 75, 75}});
    ctx.put("W2", {{230000, u"Issaquah", 3, u"No"}, {197000, u"Bellevue", 2, u"Yes"}, {345678, u"Bellevue", 4, u"Yes"},
                   {321900, u"Issaquah", 2, u"Yes"}, {450000, u"Bellevue", 5, u"Yes"}, {395000, u"Bellevue", 4, u"No"}});
    const std::pair<const char*, Value> cases[] = {
        {"=AVERAGEIF(B2:B5,\"<23000\")", 14000.0},
        {"=AVERAGEIF(A2:A5,\"<250000\")", 150000.0},
        {"=AVERAGEIF(A2:A5,\"<95000\")", ErrorCode::div0},
        {"=AVERAGEIF(A2:A5,\">250000\",B2:B5)", 24500.0},
        {"=AVERAGEIF(D2:D6,\"=*West\",E2:E6)", 16733.5},
        {"=AVERAGEIF(D2:D6,\"<>*(New Office)\",E2)", 18589.0}, // the average range takes the range's shape
        {"=SUMIFS(G2:G9,H2:H9,\"=A*\",I2:I9,\"Tom\")", 20.0},
        {"=SUMIFS(G2:G9,H2:H9,\"<>Bananas\",I2:I9,\"Tom\")", 30.0},
        {"=SUM(SUMIFS(G2:G9,H2:H9,{\"Apples\",\"Carrots\"}))", 52.0}, // an array of criteria, one sum each
        {"=SUMIFS(G2:G9,H2:H8,\"Apples\")", ErrorCode::value},              // ranges of another shape
        {"=COUNTIFS(L2:L5,\"Yes\",M2:M5)", ErrorCode::value},             // a range without its criterion
        {"=COUNTIFS(L2:N2,\"=Yes\")", 1.0},
        {"=COUNTIFS(L2:L5,\"=Yes\",M2:M5,\"=Yes\")", 2.0},
        {"=COUNTIFS(L5:N5,\"=Yes\",L3:N3,\"=Yes\")", 1.0},
        {"=COUNTIFS(P2:P7,\"<6\",P2:P7,\">1\")", 4.0},
        {"=COUNTIFS(P2:P7,\"<5\",Q2:Q7,\"<5/3/2011\")", 2.0},
        {"=COUNTIFS(P2:P7,\"<\"&P6,Q2:Q7,\"<\"&Q4)", 2.0},
        {"=AVERAGEIFS(S2:S5,S2:S5,\">70\",S2:S5,\"<90\")", 80.5},
        {"=AVERAGEIFS(T2:T5,T2:T5,\">95\")", ErrorCode::div0},
        {"=AVERAGEIFS(U2:U5,U2:U5,\"<>Incomplete\",U2:U5,\">80\")", 87.5},
        {"=AVERAGEIFS(W2:W7,X2:X7,\"Bellevue\",Y2:Y7,\">2\",Z2:Z7,\"Yes\")", 397839.0},
        {"=AVERAGEIFS(W2:W7,X2:X7,\"Issaquah\",Y2:Y7,\"<=3\",Z2:Z7,\"No\")", 230000.0},
        {"=SUMIFS({1,#DIV/0!},{1,2},\">1\")", ErrorCode::div0}}; // a summed error is the result
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(ctx.eval(formula), expected) << formula;
}

} // namespace
} // namespace zorvane::host::test
