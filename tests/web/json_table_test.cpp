// JSON read by a real parser: what the table holds for every kind of member, and the key lookup.
#include <gtest/gtest.h>

#include "web/json_table.h"
#include "xll/text.h"

using namespace xll;
using namespace xll::web;

namespace {

xstring x(const std::string& utf8) { return utf8_to_xstring(utf8); }

void expect_text(const OPER12& v, const std::string& utf8)
{
    ASSERT_TRUE(v.is(xltypeStr));
    EXPECT_EQ(v.text(), x(utf8));
}

void expect_error(const OPER12& v, int err)
{
    ASSERT_TRUE(v.is(xltypeErr));
    EXPECT_EQ(v.val.err, err);
}

} // namespace

TEST(JsonTable, FlatObjectInMemberOrderWhateverTheLayout)
{
    OPER12 t = json_table(" {\n\t\"b\" : \"x\",\r\n  \"a\":1 ,\"time\":\"12:30, sharp\",\n"
                          "\"url\":\"http://h/?a=1,b=2\", \"esc\":\"tab\\t\\\"q\\\" \\u00e9\\ud83d\\ude00\" }\n");
    ASSERT_TRUE(t.is(xltypeMulti));
    ASSERT_EQ(t.rows(), 5u);
    ASSERT_EQ(t.columns(), 2u);
    expect_text(t(0, 0), "b");
    expect_text(t(0, 1), "x");
    expect_text(t(1, 0), "a");
    EXPECT_TRUE(t(1, 1) == 1.0);
    expect_text(t(2, 1), "12:30, sharp");
    expect_text(t(3, 1), "http://h/?a=1,b=2");
    expect_text(t(4, 1), "tab\t\"q\" \xC3\xA9\xF0\x9F\x98\x80");
}

TEST(JsonTable, EachKindOfValue)
{
    OPER12 t = json_table(R"({"t":true,"f":false,"n":null,"i":-12,"big":18446744073709551615,"d":2.5e-3,)"
                          R"("o":{ "k" : [1, "two", null] },"l":[ ],"s":""})");
    ASSERT_EQ(t.rows(), 9u);
    EXPECT_TRUE(t(0, 1).is(xltypeBool) && t(0, 1).val.xbool);
    EXPECT_TRUE(t(1, 1).is(xltypeBool) && !t(1, 1).val.xbool);
    expect_error(t(2, 1), xlerrNA);
    EXPECT_TRUE(t(3, 1) == -12.0);
    EXPECT_TRUE(t(4, 1) == 18446744073709551615.0);
    EXPECT_TRUE(t(5, 1) == 2.5e-3);
    expect_text(t(6, 1), R"({"k":[1,"two",null]})");
    expect_text(t(7, 1), "[]");
    expect_text(t(8, 1), "");
}

TEST(JsonTable, RepeatedKeysKeepEveryRowAndTheFirstWins)
{
    OPER12 t = json_table(R"({"a":1,"A":{"a":0},"a":3})");
    ASSERT_EQ(t.rows(), 3u);
    EXPECT_TRUE(t(2, 1) == 3.0);
    EXPECT_TRUE(json_lookup(t, XLL_T("a")) == 1.0);
    EXPECT_TRUE(json_lookup(t, XLL_T("A")) == 1.0); // the first row, whatever the case of its key
}

TEST(JsonTable, ScalarsArraysAndNonJson)
{
    EXPECT_TRUE(json_table(" 42 ") == 42.0);
    expect_text(json_table("\"only\""), "only");
    expect_error(json_table("null"), xlerrNA);
    expect_error(json_table("{}"), xlerrNA);
    OPER12 column = json_table(R"([1,"b",[2]])");
    ASSERT_EQ(column.rows(), 3u);
    ASSERT_EQ(column.columns(), 1u);
    expect_text(column(2, 0), "[2]");
    for (const char* bad : {"", "#No internet", "{'a':1}", R"({"a":1,})", R"({"a":1} x)", "{\"a\":1e400}", "[1,2"})
        expect_error(json_table(bad), xlerrValue);
    expect_error(json_lookup(column, XLL_T("b")), xlerrNA);
}

TEST(JsonTable, StringsAtTheWorksheetLimit)
{
    const size_t max = static_cast<size_t>(limits<XLOPER12>::maxchars);
    OPER12 t = json_table("{\"fits\":\"" + std::string(max, 'x') + "\",\"over\":\"" + std::string(max + 1, 'x') +
                          "\",\"" + std::string(max + 1, 'k') + "\":1}");
    ASSERT_EQ(t.rows(), 3u);
    EXPECT_EQ(t(0, 1).text().size(), max);
    expect_error(t(1, 1), xlerrValue);
    expect_error(t(2, 0), xlerrValue);
}

TEST(JsonLookup, KeysMatchIgnoringTheCaseOfAToZOnly)
{
    OPER12 t = json_table("{\"Price\":9.5,\"\xC3\xA9t\xC3\xA9\":1,\"b\":\"x\"}");
    EXPECT_TRUE(json_lookup(t, XLL_T("PRICE")) == 9.5);
    expect_text(json_lookup(t, XLL_T("B")), "x");
    EXPECT_TRUE(json_lookup(t, x("\xC3\xA9t\xC3\xA9")) == 1.0);
    expect_error(json_lookup(t, x("\xC3\x89T\xC3\x89")), xlerrNA);
    expect_error(json_lookup(t, XLL_T("pric")), xlerrNA);
    expect_error(json_lookup(t, XLL_T("d")), xlerrNA);
}

// A member nested deeper than a cell can sensibly show spoils only its own cell; writing its
// text recursed once per level, so a hostile body of a few hundred kilobytes of brackets ended
// the host with a stack overflow.
TEST(JsonTable, DeeplyNestedMembersSpoilOnlyTheirCell)
{
    const size_t depth = 300000;
    std::string deep = std::string(depth, '[') + std::string(depth, ']');
    OPER12 t = json_table("{\"deep\":" + deep + ",\"ok\":[1,[2]]}");
    ASSERT_TRUE(t.is(xltypeMulti));
    ASSERT_EQ(t.rows(), 2u);
    expect_error(t(0, 1), xlerrValue);
    expect_text(t(1, 1), "[1,[2]]");
    OPER12 a = json_table("[" + deep + ",true]");
    ASSERT_EQ(a.rows(), 2u);
    expect_error(a(0, 0), xlerrValue);
    EXPECT_TRUE(a(1, 0).is(xltypeBool));
    // At the bound the text is still shown.
    std::string bound = std::string(max_json_nesting, '[') + std::string(max_json_nesting, ']');
    OPER12 b = json_table("[" + bound + "]");
    expect_text(b(0, 0), bound);
    OPER12 over = json_table("[[" + bound + "]]");
    expect_error(over(0, 0), xlerrValue);
}
