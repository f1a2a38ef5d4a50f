// The two worksheet functions as the host calls them, against pages served on 127.0.0.1. The host
// is the small stand-in of fake_host.cpp.
#include <gtest/gtest.h>

#include "fake_host.h"
#include "local_server.h"
#include "xll/export.h"
#include "xll/oper.h"
#include "xll/text.h"

extern "C" LPXLOPER12 XLL_CALL xll_zWebQuery(const XCHAR* url) XLL_EXPORT_AS(xll_zWebQuery);
extern "C" LPXLOPER12 XLL_CALL xll_zWebQueryJSON(const XCHAR* url, const XCHAR* key) XLL_EXPORT_AS(xll_zWebQueryJSON);

using namespace xll;

namespace {

class WebQuery : public ::testing::Test {
protected:
    void SetUp() override { fake::alerts().clear(); }

    // The column for a page served with this body.
    OPER12 lines(const std::string& body)
    {
        server.route("/page", webtest::ok(body));
        return query(server.url("/page"));
    }
    static OPER12 query(const std::string& url) { return OPER12(*xll_zWebQuery(utf8_to_xstring(url).c_str())); }
    OPER12 json(const std::string& body, const std::string& key = "")
    {
        server.route("/json", webtest::ok(body));
        return OPER12(*xll_zWebQueryJSON(utf8_to_xstring(server.url("/json")).c_str(), utf8_to_xstring(key).c_str()));
    }

    webtest::LocalServer server;
};

void expect_column(const OPER12& v, const std::vector<OPER12>& cells)
{
    ASSERT_TRUE(v.is(xltypeMulti));
    ASSERT_EQ(v.columns(), 1u);
    ASSERT_EQ(v.rows(), cells.size());
    for (size_t i = 0; i < cells.size(); ++i)
        EXPECT_TRUE(v[i] == cells[i]) << "row " << i;
}

OPER12 t(const std::string& utf8) { return OPER12(xstring_view(utf8_to_xstring(utf8))); }
const OPER12 nil;

} // namespace

TEST_F(WebQuery, NonEmptyLinesFirstThenNilRows)
{
    expect_column(lines("a\nb\n\nc\n"), {t("a"), t("b"), t("c"), nil, nil});
    expect_column(lines("a\r\nb"), {t("a\r"), t("b")}); // a carriage return stays with its line
    expect_column(lines("12\n-2.5\n0\nx1"), {OPER12(12.0), OPER12(-2.5), t("0"), t("x1")});
}

// A NUL would cut whatever is built from the text (a statement sent zero-terminated), and cutting
// the body there does the same: it shows as U+FFFD, in lines, JSON keys and values alike.
TEST_F(WebQuery, AZeroByteIsTheReplacementCharacterAndEmptyBodyIsOneMissingCell)
{
    static const char deleting[] = "DELETE FROM t\0 WHERE id = 5\nef";
    const OPER12 replaced = t("DELETE FROM t\uFFFD WHERE id = 5");
    expect_column(lines(std::string(deleting, sizeof deleting - 1)), {replaced, t("ef")});
    expect_column(lines(std::string("caf\xE9\0", 5)), {t("caf\xC3\xA9\uFFFD")}); // a Latin-1 body too
    const std::string body = "{\"sql\":\"DELETE FROM t\\u0000 WHERE id = 5\",\"k\\u0000\":1}";
    EXPECT_TRUE(json(body, "sql") == replaced);
    EXPECT_TRUE(json(body)(1, 0) == t("k\uFFFD"));

    OPER12 empty = lines("");
    ASSERT_EQ(empty.rows(), 1u);
    EXPECT_TRUE(empty[0].is(xltypeMissing));
}

TEST_F(WebQuery, Utf8IsDecodedAnythingElseTakenByteByByte)
{
    expect_column(lines("caf\xC3\xA9\n\xE2\x82\xAC 5"), {t("caf\xC3\xA9"), t("\xE2\x82\xAC 5")});
    expect_column(lines("\xEF\xBB\xBF" "7"), {OPER12(7.0)}); // the byte order mark is not part of the line
    // Latin-1: E9 alone is no UTF-8, so every byte is the character of the same number.
    expect_column(lines("caf\xE9\n\xC3\xA9t\xE9"), {t("caf\xC3\xA9"), t("\xC3\x83\xC2\xA9t\xC3\xA9")});
}

TEST_F(WebQuery, LargeBodiesAndLinesAtTheWorksheetLimit)
{
    const size_t max = static_cast<size_t>(limits<XLOPER12>::maxchars);
    std::string megabyte;
    for (int i = 0; megabyte.size() < (1u << 20); ++i)
        megabyte += "line " + std::to_string(i) + "\n";
    OPER12 big = lines(megabyte);
    ASSERT_TRUE(big.is(xltypeMulti));
    EXPECT_TRUE(big[0] == t("line 0"));
    EXPECT_TRUE(big[big.rows() - 2].is(xltypeStr));
    EXPECT_TRUE(big[big.rows() - 1].is(xltypeNil)); // the last line feed opens an empty row

    OPER12 at_limit = lines(std::string(max, 'x') + "\nnext");
    EXPECT_EQ(at_limit[0].text().size(), max);
    EXPECT_TRUE(at_limit[1] == t("next"));
    EXPECT_TRUE(fake::alerts().empty());

    OPER12 over = lines("short\n" + std::string(max + 1, 'x'));
    ASSERT_TRUE(over.is(xltypeErr));
    EXPECT_EQ(over.val.err, xlerrValue);
    EXPECT_EQ(fake::alerts().size(), 1u);
}

TEST_F(WebQuery, FailuresAreOneCellInBand)
{
    expect_column(query("http://127.0.0.1:" + std::to_string(webtest::closed_port()) + "/"), {t("#No internet")});
    webtest::Reply cut = webtest::ok("first\nsecond\nthird\n");
    cut.hang_up_after = cut.bytes.size() - 8;
    server.route("/cut", cut);
    expect_column(query(server.url("/cut")), {t("#No internet")});
    webtest::TlsServer tls("secret");
    expect_column(query(tls.url("/")), {t("#No internet")});
    EXPECT_EQ(tls.client_hellos(), 1);
    expect_column(query("ftp://127.0.0.1/file"), {OPER12(12006.0)});
    expect_column(query(server.url("/absent")), {t("no such page")});
    EXPECT_TRUE(fake::alerts().empty());
}

TEST_F(WebQuery, JsonTableAndKeyLookup)
{
    const std::string body = "{ \"a\": 1,\n \"b\": \"x\",\r\n \"at\": \"12:30\", \"a\": 2, \"in\": {\"k\": [1, 2]} }";
    OPER12 table = json(body);
    ASSERT_TRUE(table.is(xltypeMulti));
    ASSERT_EQ(table.rows(), 5u);
    EXPECT_TRUE(table(0, 0) == t("a"));
    EXPECT_TRUE(table(4, 1) == t("{\"k\":[1,2]}"));
    EXPECT_TRUE(json(body, "A") == 1.0);
    EXPECT_TRUE(json(body, "b") == t("x"));
    EXPECT_TRUE(json(body, "at") == t("12:30"));
    EXPECT_TRUE(json(body, "d") == OPER12(xlerr::NA));
    EXPECT_TRUE(json("{\"name\":\"Fran\xE7ois\"}", "name") == t("Fran\xC3\xA7ois")); // a Latin-1 body
    EXPECT_TRUE(json("<html>not json</html>") == OPER12(xlerr::Value));
    EXPECT_TRUE(json("<html>not json</html>", "a") == OPER12(xlerr::NA));
}

TEST_F(WebQuery, JsonFailuresStaySeparateFromMissingKeys)
{
    auto ask = [](const std::string& url, const char16_t* key) { return OPER12(*xll_zWebQueryJSON(utf8_to_xstring(url).c_str(), key)); };
    const std::string down = "http://127.0.0.1:" + std::to_string(webtest::closed_port()) + "/";
    EXPECT_TRUE(ask(down, u"a") == t("#No internet"));
    EXPECT_TRUE(ask(down, u"") == t("#No internet"));
    webtest::TlsServer tls("{\"a\":1}");
    EXPECT_TRUE(ask(tls.url("/"), u"a") == t("#No internet"));
    EXPECT_TRUE(ask("ftp://127.0.0.1/", u"") == 12006.0);
    EXPECT_TRUE(ask("ftp://127.0.0.1/", u"a") == OPER12(xlerr::NA));
}
