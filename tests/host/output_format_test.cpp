// Printed values: what JSON makes of every value (numbers exactly), records keyed by the first
// row, number formats in each output, and which printed values count as failures for the exit
// status.
#include "host/cli/output_format.h"
#include "host/cli/printed_failure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace zorvane::host::test {
namespace {

Array rows(std::initializer_list<std::initializer_list<Value>> values)
{
    Array a(static_cast<int>(values.size()), static_cast<int>(values.begin()->size()));
    int r = 0;
    for (const auto& row : values) {
        int c = 0;
        for (const auto& v : row)
            a.set(r, c++, v);
        ++r;
    }
    return a;
}

const Value na = ErrorCode::na;

TEST(Output, NonFiniteNumbersShowAsNumErrorInEveryFormat)
{
    for (double x : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), std::nan("")}) {
        EXPECT_EQ(json_value(Value(x)), "{\"error\":\"#NUM!\"}");
        EXPECT_EQ(format_value(Value(rows({{1.0, x}})), OutputFormat::json), "[[1,{\"error\":\"#NUM!\"}]]\n");
        EXPECT_EQ(format_value(Value(x), OutputFormat::csv), "#NUM!\n");
        // A number format cannot make one a number again.
        EXPECT_EQ(format_value(Value(x), OutputFormat::json, [](int, int) { return std::u16string(u"0.00"); }), "{\"error\":\"#NUM!\"}\n");
    }
}

TEST(Output, JsonNumbersReadBackAsTheCellsOwnDoubles)
{
    // The shortest text that reads back exactly, where 15 digits would give another number.
    const std::pair<double, const char*> numbers[] = {
        {9007199254740993.0, "9007199254740992"}, {0.1 + 0.2, "0.30000000000000004"}, {12345678901234567.0, "12345678901234568"},
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308"}, {std::numeric_limits<double>::denorm_min(), "5e-324"},
        {std::numeric_limits<double>::min(), "2.2250738585072014e-308"}, {1e21, "1e+21"}, {-1e-10, "-1e-10"}, {41790.75, "41790.75"},
        {-0.0, "0"}};
    for (const auto& [x, text] : numbers) {
        EXPECT_EQ(json_value(Value(x)), text);
        EXPECT_EQ(std::strtod(text, nullptr), x == 0 ? 0.0 : x);
    }
    EXPECT_EQ(format_value(Value(rows({{u"n"}, {0.1 + 0.2}})), OutputFormat::json_records), "[{\"n\":0.30000000000000004}]\n");
    // The grid and CSV keep the spreadsheet's General format.
    EXPECT_EQ(format_value(Value(0.1 + 0.2), OutputFormat::csv), "0.3\n");
}

TEST(Output, RecordsAreKeyedByTheFirstRowAndKeepEveryRow)
{
    // #N/A, a NULL or the padding below a short result, is null; no row is taken for padding.
    const Value table = rows({{u"id", u"name", u"id", Nil{}}, {1.0, u"Ann", 2.0, true}, {2.0, Nil{}, na, false}, {na, na, na, na}});
    EXPECT_EQ(json_value(table, true), "[{\"id\":1,\"name\":\"Ann\",\"id_2\":2,\"column_4\":true},"
                                       "{\"id\":2,\"name\":null,\"id_2\":null,\"column_4\":false},"
                                       "{\"id\":null,\"name\":null,\"id_2\":null,\"column_4\":null}]");
    EXPECT_EQ(format_value(table, OutputFormat::json_records), json_value(table, true) + "\n");
    EXPECT_EQ(json_value(rows({{u"a", u"b"}, {na, Value(ErrorCode::div0)}}), true), "[{\"a\":null,\"b\":{\"error\":\"#DIV/0!\"}}]");
    // Headings alone make no records; a value that is no array prints as itself.
    EXPECT_EQ(json_value(rows({{u"a", u"b"}}), true), "[]");
    EXPECT_EQ(json_value(Value(u"#SQL Error x"), true), "\"#SQL Error x\"");
    EXPECT_EQ(json_value(na, true), "{\"error\":\"#N/A\"}");
    // A heading that is a number is keyed by its text; a key met twice and a taken suffix.
    EXPECT_EQ(json_value(rows({{2014.0, u"x", u"x", u"x_2"}, {1.0, 2.0, 3.0, 4.0}}), true),
              "[{\"2014\":1,\"x\":2,\"x_3\":3,\"x_2\":4}]");
}

TEST(Output, NumberFormatsShowInGridCsvAndJson)
{
    const Value table = rows({{u"day", u"amount"}, {41790.0, 1250.5}, {41791.75, u"n/a"}});
    const NumberFormatAt formats = [](int row, int column) {
        if (row == 0)
            return std::u16string();
        return std::u16string(column == 0 ? u"yyyy-mm-dd" : u"#,##0.00");
    };
    EXPECT_EQ(format_value(table, OutputFormat::csv, formats), "day,amount\n2014-05-31,\"1,250.50\"\n2014-06-01,n/a\n");
    EXPECT_EQ(format_value(table, OutputFormat::json, formats), "[[\"day\",\"amount\"],[\"2014-05-31\",\"1,250.50\"],[\"2014-06-01\",\"n/a\"]]\n");
    // Formatted numbers keep the right alignment of numbers.
    EXPECT_EQ(format_value(table, OutputFormat::grid, formats), "day         amount\n2014-05-31  1,250.50\n2014-06-01  n/a\n");
    EXPECT_EQ(format_value(Value(0.5), OutputFormat::grid, [](int, int) { return std::u16string(u"hh:mm"); }), "12:00\n");
    // Text, booleans and errors are not numbers: a format leaves them as they are.
    EXPECT_EQ(format_value(rows({{u"x", true, na}}), OutputFormat::csv, [](int, int) { return std::u16string(u"0.00"); }), "x,TRUE,#N/A\n");
}

TEST(PrintedFailures, ErrorValuesAndFailureTextsAsTheWholeValue)
{
    for (const Value& failed :
         {Value(ErrorCode::div0), na, Value(u"#SQL Error S1000:1:14:[SQLite]connect failed\n"), Value(u"#SQL Invalid Handle"),
          Value(u"#SQL Unknown Error"), Value(u"#No internet"), Value(u"#Cancelled after 1,000 rows"), Value(u"invalid string position"),
          Value(u"file: oper\nline: 12\nfunction: realloc\nensure: \"rows < 1048576\" failed"),
          Value(rows({{u"#No internet"}})), Value(rows({{u"#SQL Error"}, {na}, {Nil{}}, {u""}}))})
        EXPECT_TRUE(is_printed_failure(failed)) << json_value(failed);
}

TEST(PrintedFailures, ResultsWithErrorsOrFailureTextsAmongTheirDataAreValues)
{
    for (const Value& fine :
         {Value(0.0), Value(u""), Value(Nil{}), Value(Missing{}), Value(u"no internet"), Value(u"SQL Error"), Value(u"text #SQL"),
          // a short result's padding, a NULL date, a whole result of padding
          Value(rows({{u"id", u"since"}, {1.0, na}, {na, na}})), Value(rows({{na}, {na}})),
          // zCache_List showing a failure it keeps
          Value(rows({{41790.0, 1.0, u"Driver=SQLite3", u"SELECT 1", u"#SQL Error x"}})), Value(rows({{u"#SQL Error x", 1.0}})),
          Value(rows({{ErrorCode::div0}}))})
        EXPECT_FALSE(is_printed_failure(fine)) << json_value(fine);
}

} // namespace
} // namespace zorvane::host::test
