// VLOOKUP, HLOOKUP, MATCH and XLOOKUP, and the functions whose result is a block of its own size (FILTER, SORT,
// UNIQUE), on the tables of the spreadsheet's function help.
#include "fake_context.h"
#include "host/sheet/sheet.h"

#include <gtest/gtest.h>

#include <memory>

namespace zorvane::host::test {
namespace {

// The help's table of a liquid's density, viscosity and temperature, sorted by density.
void density_table(FakeContext& ctx)
{
    ctx.put("A2", {{0.457, 3.55, 500}, {0.525, 3.25, 400}, {0.606, 2.93, 300}, {0.675, 2.75, 250}, {0.746, 2.57, 200},
                   {0.835, 2.38, 150}, {0.946, 2.17, 100}, {1.09, 1.95, 50}, {1.29, 1.71, 0}});
}

// The help's sales table of FILTER, in A5:D20.
void sales_table(FakeContext& ctx)
{
    ctx.put("A5", {{u"East", u"Tom", u"Apple", 6380},     {u"West", u"Fred", u"Grape", 5619},
                   {u"North", u"Amy", u"Pear", 4565},     {u"South", u"Sal", u"Banana", 5323},
                   {u"East", u"Fritz", u"Apple", 4394},   {u"West", u"Sravan", u"Grape", 7195},
                   {u"North", u"Xi", u"Pear", 5231},      {u"South", u"Hector", u"Banana", 2427},
                   {u"East", u"Tom", u"Banana", 4213},    {u"West", u"Fred", u"Pear", 3239},
                   {u"North", u"Amy", u"Grape", 6420},    {u"South", u"Sal", u"Apple", 1310},
                   {u"East", u"Fritz", u"Pear", 6187},    {u"West", u"Sravan", u"Apple", 8499},
                   {u"North", u"Xi", u"Banana", 3696},    {u"South", u"Hector", u"Grape", 6955}});
}

TEST(Vlookup, ApproximateInASortedColumnAndExactWithWildcards)
{
    FakeContext ctx;
    density_table(ctx);
    EXPECT_EQ(ctx.eval("=VLOOKUP(1,A2:C10,2)"), Value(2.17));
    EXPECT_EQ(ctx.eval("=VLOOKUP(1,A2:C10,3,TRUE)"), Value(100.0));
    EXPECT_EQ(ctx.eval("=VLOOKUP(0.7,A2:C10,3,FALSE)"), Value(ErrorCode::na));
    EXPECT_EQ(ctx.eval("=VLOOKUP(0.1,A2:C10,2,TRUE)"), Value(ErrorCode::na));
    EXPECT_EQ(ctx.eval("=VLOOKUP(2,A2:C10,2,TRUE)"), Value(1.71));
    EXPECT_EQ(ctx.eval("=VLOOKUP(0.946,A2:C10,3,FALSE)"), Value(100.0));
    // Blank rows below the sorted values are not taken for larger values.
    EXPECT_EQ(ctx.eval("=VLOOKUP(5,A2:C30,3)"), Value(0.0));
    EXPECT_EQ(ctx.eval("=VLOOKUP(1,A2:C10,0)"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=VLOOKUP(1,A2:C10,4)"), Value(ErrorCode::ref));
    EXPECT_EQ(ctx.eval("=VLOOKUP(#N/A,A2:C10,2)"), Value(ErrorCode::na));

    ctx.put("E1", {{101, u"Davis", u"Sara"}, {102, u"Fontana", u"Olivier"}, {103, u"Leal", u"Karina"}, {u"104", u"Patten", u"Michael"}});
    EXPECT_EQ(ctx.eval("=VLOOKUP(102,E1:G4,2,FALSE)"), Value(u"Fontana"));
    EXPECT_EQ(ctx.eval("=VLOOKUP(\"fon*\",F1:G4,2,FALSE)"), Value(u"Olivier")); // case and wildcards
    EXPECT_EQ(ctx.eval("=VLOOKUP(104,E1:G4,2,FALSE)"), Value(ErrorCode::na)); // "104" is text
    EXPECT_EQ(ctx.eval("=VLOOKUP({101;103},E1:G4,3,FALSE)"), ctx.eval("={\"Sara\";\"Karina\"}"));
    // Duplicates in a sorted column: the last of them.
    EXPECT_EQ(ctx.eval("=VLOOKUP(2,{1,\"a\";2,\"b\";2,\"c\";3,\"d\"},2)"), Value(u"c"));
}

TEST(Lookup, HlookupAndMatchAsTheHelpShowsThem)
{
    FakeContext ctx;
    // HLOOKUP's axles, bearings and bolts; MATCH's products and counts.
    ctx.put("A1", {{u"Axles", u"Bearings", u"Bolts"}, {4, 4, 9}, {5, 7, 10}, {6, 8, 11}});
    ctx.put("E2", {{u"Bananas", 25}, {u"Oranges", 38}, {u"Apples", 40}, {u"Pears", 41}});
    const std::pair<const char*, const char*> cases[] = {
        {"=HLOOKUP(\"Axles\",A1:C4,2,TRUE)", "=4"},
        {"=HLOOKUP(\"Bearings\",A1:C4,3,FALSE)", "=7"},
        {"=HLOOKUP(\"B\",A1:C4,3,TRUE)", "=5"},
        {"=HLOOKUP(\"Bolts\",A1:C4,4)", "=11"},
        {"=HLOOKUP(3,{1,2,3;\"a\",\"b\",\"c\";\"d\",\"e\",\"f\"},2,TRUE)", "=\"c\""},
        {"=HLOOKUP(\"b*\",A1:C4,2,FALSE)", "=4"},
        {"=HLOOKUP(\"Nuts\",A1:C4,2,FALSE)", "=#N/A"},
        {"=HLOOKUP(\"Axles\",A1:C4,5)", "=#REF!"},
        {"=MATCH(39,F2:F5,1)", "=2"},
        {"=MATCH(41,F2:F5,0)", "=4"},
        {"=MATCH(40,F2:F5,-1)", "=#N/A"}, // not sorted descending
        {"=MATCH(40,{50,40,30},-1)", "=2"},
        {"=MATCH(35,{50,40,30},-1)", "=2"},
        {"=MATCH(\"ap*\",E2:E5,0)", "=3"},
        {"=MATCH(\"PEARS\",E2:E5,0)", "=4"},
        {"=MATCH(1,E2:F5,0)", "=#N/A"}, // neither a row nor a column
        {"=MATCH(Z99,E2:E5,0)", "=#N/A"}};
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(ctx.eval(formula), ctx.eval(expected)) << formula;
}

TEST(Xlookup, MatchAndSearchModes)
{
    FakeContext ctx;
    ctx.put("B2", {{u"China", u"CN", u"+86"},     {u"India", u"IN", u"+91"},   {u"United States", u"US", u"+1"},
                   {u"Indonesia", u"ID", u"+62"}, {u"Brazil", u"BR", u"+55"},  {u"Pakistan", u"PK", u"+92"},
                   {u"Nigeria", u"NG", u"+234"},  {u"Bangladesh", u"BD", u"+880"}, {u"Russia", u"RU", u"+7"},
                   {u"Mexico", u"MX", u"+52"}});
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"Brazil\",B2:B11,D2:D11)"), Value(u"+55"));
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"brazil\",B2:B11,C2:D11)"), ctx.eval("={\"BR\",\"+55\"}")); // the whole row
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"Atlantis\",B2:B11,D2:D11)"), Value(ErrorCode::na));
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"Atlantis\",B2:B11,D2:D11,\"Item not found\")"), Value(u"Item not found"));
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"In*\",B2:B11,C2:C11)"), Value(ErrorCode::na)); // no wildcards unless asked
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"In*\",B2:B11,C2:C11,,2)"), Value(u"IN"));
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"In*\",B2:B11,C2:C11,,2,-1)"), Value(u"ID"));
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"In*\",B2:B11,C2:C11,,3)"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"India\",B2:B11,C2:C11,,0,0)"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"India\",B2:C11,C2:C11)"), Value(ErrorCode::value)); // not one column
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"India\",B2:B11,C2:C10)"), Value(ErrorCode::value)); // not as tall

    // The tax table: rates by the highest income they apply to.
    ctx.put("F2", {{0.10, 9700}, {0.12, 39475}, {0.22, 84200}, {0.24, 160725}, {0.32, 204100}, {0.35, 510300}});
    EXPECT_EQ(ctx.eval("=XLOOKUP(46523,G2:G7,F2:F7,0,1,1)"), Value(0.22));
    EXPECT_EQ(ctx.eval("=XLOOKUP(46523,G2:G7,F2:F7,0,-1)"), Value(0.12));
    EXPECT_EQ(ctx.eval("=XLOOKUP(39475,G2:G7,F2:F7,0,1)"), Value(0.12));
    EXPECT_EQ(ctx.eval("=XLOOKUP(600000,G2:G7,F2:F7,\"none\",1)"), Value(u"none"));
    for (const char* search : {"2", "-2"}) {
        const std::string sorted = std::string(search) == "2" ? "G2:G7" : "SORT(G2:G7,1,-1)";
        const std::string rates = std::string(search) == "2" ? "F2:F7" : "SORT(F2:F7,1,-1)";
        EXPECT_EQ(ctx.eval("=XLOOKUP(46523," + sorted + "," + rates + ",0,1," + search + ")"), Value(0.22)) << search;
        EXPECT_EQ(ctx.eval("=XLOOKUP(46523," + sorted + "," + rates + ",0,-1," + search + ")"), Value(0.12)) << search;
        EXPECT_EQ(ctx.eval("=XLOOKUP(160725," + sorted + "," + rates + ",0,0," + search + ")"), Value(0.24)) << search;
        EXPECT_EQ(ctx.eval("=XLOOKUP(46523," + sorted + "," + rates + ",0,0," + search + ")"), Value(0.0)) << search;
    }
    // Unsorted, the nearest value still wins; of equal ones the first in search order.
    EXPECT_EQ(ctx.eval("=XLOOKUP(5,{9,4,7,4,6},{\"a\",\"b\",\"c\",\"d\",\"e\"},,-1)"), Value(u"b"));
    EXPECT_EQ(ctx.eval("=XLOOKUP(5,{9,4,7,4,6},{\"a\",\"b\",\"c\",\"d\",\"e\"},,-1,-1)"), Value(u"d"));
    EXPECT_EQ(ctx.eval("=XLOOKUP(5,{9,4,7,4,6},{\"a\",\"b\",\"c\",\"d\",\"e\"},,1)"), Value(u"e"));
    // A row looked up gives the column below the match; numbers and numeric text differ.
    EXPECT_EQ(ctx.eval("=XLOOKUP(2,{1,2,3},{\"a\",\"b\",\"c\";\"x\",\"y\",\"z\"})"), ctx.eval("={\"b\";\"y\"}"));
    EXPECT_EQ(ctx.eval("=XLOOKUP(\"2\",{1,2,3},{4,5,6})"), Value(ErrorCode::na));
    EXPECT_EQ(ctx.eval("=XLOOKUP(TRUE,{1,TRUE},{4,5})"), Value(5.0));
}

TEST(DynamicArrays, FilterKeepsRowsOrColumns)
{
    FakeContext ctx;
    sales_table(ctx);
    EXPECT_EQ(ctx.eval("=FILTER(A5:D20,C5:C20=\"Apple\",\"\")"),
              ctx.eval("={\"East\",\"Tom\",\"Apple\",6380;\"East\",\"Fritz\",\"Apple\",4394;"
                       "\"South\",\"Sal\",\"Apple\",1310;\"West\",\"Sravan\",\"Apple\",8499}"));
    EXPECT_EQ(ctx.eval("=FILTER(A5:D20,(C5:C20=\"Apple\")*(A5:A20=\"East\"),\"\")"),
              ctx.eval("={\"East\",\"Tom\",\"Apple\",6380;\"East\",\"Fritz\",\"Apple\",4394}"));
    EXPECT_EQ(ctx.eval("=ROWS(FILTER(A5:D20,(C5:C20=\"Apple\")+(A5:A20=\"East\")))"), Value(6.0));
    EXPECT_EQ(ctx.eval("=FILTER(A5:D20,C5:C20=\"Kiwi\",\"\")"), Value(u""));
    EXPECT_EQ(ctx.eval("=FILTER(A5:D20,C5:C20=\"Kiwi\")"), Value(ErrorCode::calc));
    EXPECT_EQ(ctx.eval("=#calc!"), Value(ErrorCode::calc)); // and formulas may write it
    EXPECT_EQ(ctx.eval("=SUM(FILTER(D5:D20,B5:B20=\"Tom\"))"), Value(10593.0));
    // Columns by a row of flags; numbers as flags; sizes that do not fit; errors among the flags.
    EXPECT_EQ(ctx.eval("=FILTER({1,2,3;4,5,6},{1,0,2})"), ctx.eval("={1,3;4,6}"));
    EXPECT_EQ(ctx.eval("=FILTER({1,2,3},{TRUE;FALSE})"), Value(ErrorCode::value));
    EXPECT_EQ(ctx.eval("=FILTER({1;2},{TRUE;#N/A})"), Value(ErrorCode::na));
    EXPECT_EQ(ctx.eval("=FILTER({1;2},{TRUE;\"x\"})"), Value(ErrorCode::value));
}

TEST(DynamicArrays, SortIsStableByKeysAndKindsBlanksLast)
{
    FakeContext ctx;
    sales_table(ctx);
    EXPECT_EQ(ctx.eval("=INDEX(SORT(FILTER(A5:D20,C5:C20=\"Apple\"),4,-1),0,4)"), ctx.eval("={8499;6380;4394;1310}"));
    // By region, then units descending within a region.
    EXPECT_EQ(ctx.eval("=INDEX(SORT(A5:D20,{1,4},{1,-1}),0,2)"),
              ctx.eval("={\"Tom\";\"Fritz\";\"Fritz\";\"Tom\";\"Amy\";\"Xi\";\"Amy\";\"Xi\";"
                       "\"Hector\";\"Sal\";\"Hector\";\"Sal\";\"Sravan\";\"Sravan\";\"Fred\";\"Fred\"}"));
    EXPECT_EQ(ctx.eval("=SORT({3,\"b\",TRUE,#N/A,1,\"A\",FALSE})"), ctx.eval("={3,\"b\",TRUE,#N/A,1,\"A\",FALSE}"));
    EXPECT_EQ(ctx.eval("=SORT({3,\"b\",TRUE,#N/A,1,\"A\",FALSE},1,1,TRUE)"), ctx.eval("={1,3,\"A\",\"b\",FALSE,TRUE,#N/A}"));
    EXPECT_EQ(ctx.eval("=SORT({3,\"b\",TRUE,#N/A,1,\"A\",FALSE},1,-1,TRUE)"), ctx.eval("={#N/A,TRUE,FALSE,\"b\",\"A\",3,1}"));
    ctx.put("F1", {{2}, {Nil{}}, {1}});
    const Value down = ctx.eval("=SORT(F1:F3,1,-1)");
    const Value up = ctx.eval("=SORT(F1:F3)");
    ASSERT_TRUE(down.is_array() && up.is_array());
    EXPECT_TRUE(down.array().at(2, 0).is_nil()); // blanks last either way
    EXPECT_TRUE(up.array().at(2, 0).is_nil());
    EXPECT_EQ(up.array().at(0, 0), Value(1.0));
    // Equal keys keep their order.
    EXPECT_EQ(ctx.eval("=INDEX(SORT({1,\"a\";0,\"b\";1,\"c\";0,\"d\"}),0,2)"), ctx.eval("={\"b\";\"d\";\"a\";\"c\"}"));
    for (const char* bad : {"=SORT({1,2},3)", "=SORT({1,2},0)", "=SORT({1,2},1,2)", "=SORT({1;2},{1,1},{1,1,1})"})
        EXPECT_EQ(ctx.eval(bad), Value(ErrorCode::value)) << bad;
    EXPECT_EQ(ctx.eval("=SORT(#N/A)"), Value(ErrorCode::na));
}

TEST(DynamicArrays, UniqueRowsColumnsAndThoseThatAppearOnce)
{
    FakeContext ctx;
    sales_table(ctx);
    EXPECT_EQ(ctx.eval("=UNIQUE(C5:C20)"), ctx.eval("={\"Apple\";\"Grape\";\"Pear\";\"Banana\"}"));
    EXPECT_EQ(ctx.eval("=ROWS(UNIQUE(A5:B20))"), Value(8.0)); // each rep works in one region
    EXPECT_EQ(ctx.eval("=UNIQUE(B5:B20,FALSE,TRUE)"), Value(ErrorCode::calc)); // every rep twice
    EXPECT_EQ(ctx.eval("=UNIQUE({\"a\";\"A\";1;\"1\";TRUE;1;\"\"})"), ctx.eval("={\"a\";1;\"1\";TRUE;\"\"}"));
    EXPECT_EQ(ctx.eval("=UNIQUE({1;2;1;3;2},,TRUE)"), ctx.eval("={3}"));
    EXPECT_EQ(ctx.eval("=UNIQUE({1,2,1;3,4,3},TRUE)"), ctx.eval("={1,2;3,4}"));
    EXPECT_EQ(ctx.eval("=UNIQUE({\"ab\",\"\";\"a\",\"b\"})"), ctx.eval("={\"ab\",\"\";\"a\",\"b\"}"));
    ctx.put("F1", {{0}, {Nil{}}, {-0.0}, {Nil{}}});
    const Value blanks = ctx.eval("=UNIQUE(F1:F4)");
    ASSERT_TRUE(blanks.is_array());
    EXPECT_EQ(blanks.array().rows, 2); // 0 and -0 are one; a blank is no 0
    EXPECT_TRUE(blanks.array().at(1, 0).is_nil());
}

TEST(DynamicArrays, AResultShowsWholeInItsCellAndOthersReadIt)
{
    // A sheet cell holding FILTER's rows; other cells take them through a reference to it.
    struct SheetContext : FakeContext {
        Sheet sheet;
        Value dereference(const Ref& ref) override { return sheet.range_value(ref, *this); }
        void formula(const char* address, const char* text)
        {
            sheet.set_formula(*parse_cell_address(address), text, std::shared_ptr<const Node>(parse_formula(text)));
        }
    } ctx;
    ctx.formula("A1", "={3,\"c\";1,\"a\";2,\"b\"}");
    ctx.formula("D1", "=SORT(FILTER(A1,INDEX(A1,0,1)>1))");
    ctx.formula("G1", "=SUM(D1)");
    ctx.formula("G2", "=TEXTJOIN(\"-\",TRUE,D1)");
    ctx.sheet.calculate(ctx);
    EXPECT_EQ(ctx.sheet.value({0, 3}, ctx), ctx.eval("={2,\"b\";3,\"c\"}"));
    EXPECT_EQ(ctx.sheet.value({0, 6}, ctx), Value(5.0));
    EXPECT_EQ(ctx.sheet.value({1, 6}, ctx), Value(u"2-b-3-c"));
}

} // namespace
} // namespace zorvane::host::test
