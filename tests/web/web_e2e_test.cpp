// The web functions typed into the headless host, which loads the real add-in and reads numbers
// with its own VALUE. The pages come from servers this test starts on 127.0.0.1.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include "local_server.h"
#include "support/host_eval.h"

using test::eval;

namespace {

std::string call(const std::string& function, const std::string& url, const std::string& key = "")
{
    return eval("=" + function + "(" + test::formula_string(url) + (key.empty() ? "" : "," + test::formula_string(key)) +
                ")");
}

} // namespace

TEST(WebEndToEnd, LinesAndJsonFromALocalServer)
{
    webtest::LocalServer server;
    server.route("/lines.txt?v=2", webtest::ok("alpha\n42\n\ngamma\n"));
    server.route("/weather.json", webtest::ok("{\"city\": \"Oslo\",\n \"temp\": -3.5, \"at\": \"12:30\", \"tags\": [\"a\"]}"));
    EXPECT_EQ(call("zWebQuery", server.url("/lines.txt?v=2")), "alpha\n42\ngamma\n\n\n");
    EXPECT_EQ(call("zWebQueryJSON", server.url("/weather.json")), "city,Oslo\ntemp,-3.5\nat,12:30\ntags,\"[\"\"a\"\"]\"\n");
    EXPECT_EQ(call("zWebQueryJSON", server.url("/weather.json"), "TEMP"), "-3.5\n");
    EXPECT_EQ(call("zWebQueryJSON", server.url("/weather.json"), "wind"), "#N/A\n");
}

// A statement built from a body holding a NUL: cut there, it would delete every row. The NUL shows
// as U+FFFD, so the statement names no table there is, and both rows stay.
TEST(WebEndToEnd, ANulInABodyCutsNoStatementBuiltFromIt)
{
    webtest::LocalServer server;
    static const char deleting[] = "DELETE FROM t\0 WHERE id = 5\n";
    server.route("/sql.txt", webtest::ok(std::string(deleting, sizeof deleting - 1)));
    server.route("/sql.json", webtest::ok("{\"sql\": \"DELETE FROM t\\u0000 WHERE id = 5\"}"));
    const std::string file = "/tmp/zorvane-web-nul-" + std::to_string(getpid()) + ".sqlite";
    const std::string cs = test::formula_string("Driver=SQLite3;Database=" + file);
    const std::vector<std::string> formulas = {
        "=zStatement(" + cs + ",\"CREATE TABLE t (id INTEGER)\")",
        "=zStatement(" + cs + ",\"INSERT INTO t VALUES (5), (6)\")",
        "=INDEX(zWebQuery(" + test::formula_string(server.url("/sql.txt")) + "),1,1)",
        "=zWebQueryJSON(" + test::formula_string(server.url("/sql.json")) + ",\"sql\")",
        "=LEFT(zStatement(" + cs + ",INDEX(zWebQuery(" + test::formula_string(server.url("/sql.txt")) + "),1,1)),10)",
        "=INDEX(zStatement(" + cs + ",\"SELECT COUNT(*) FROM t\"),1,1)",
    };
    auto r = test::eval_csv(formulas);
    std::remove(file.c_str());
    EXPECT_EQ(r.status, test::printed_failure_status) << r.err;
    const std::string values[] = {"", "", "DELETE FROM t\uFFFD WHERE id = 5", "DELETE FROM t\uFFFD WHERE id = 5",
                                  "#SQL Error", "2"};
    std::string expected;
    for (size_t i = 0; i < formulas.size(); ++i)
        expected += formulas[i] + "\n" + values[i] + "\n";
    EXPECT_EQ(r.out, expected);
}

TEST(WebEndToEnd, FailuresAreTextsAndCodesInTheCell)
{
    const std::string down = "http://127.0.0.1:" + std::to_string(webtest::closed_port()) + "/";
    EXPECT_EQ(call("zWebQuery", down), "#No internet\n");
    EXPECT_EQ(call("zWebQueryJSON", down, "a"), "#No internet\n");
    webtest::TlsServer tls("{\"a\":1}");
    EXPECT_EQ(call("zWebQueryJSON", tls.url("/"), "a"), "#No internet\n");
    EXPECT_EQ(tls.client_hellos(), 1);
    EXPECT_EQ(call("zWebQuery", "ftp://127.0.0.1/"), "12006\n");
    EXPECT_EQ(call("zWebQuery", "http://"), "12005\n");
}

TEST(WebEndToEnd, RedirectsGoThroughTheChecksOfEveryUrl)
{
    webtest::LocalServer server;
    const std::string here = "127.0.0.1:" + std::to_string(server.port());
    server.route("/new", webtest::ok("moved here"));
    server.route("/dir/relative", webtest::redirect("../new"));
    server.route("/with-credentials", webtest::redirect("http://user:secret@" + here + "/new"));
    server.route("/to-ftp", webtest::redirect("ftp://" + here + "/new"));
    server.route("/to-port-0", webtest::redirect("http://127.0.0.1:0/new"));
    EXPECT_EQ(call("zWebQuery", server.url("/dir/relative")), "moved here\n");
    EXPECT_EQ(call("zWebQuery", server.url("/with-credentials")), "moved here\n");
    for (const auto& head : server.requests())
        EXPECT_EQ(head.find("Authorization"), std::string::npos) << head;
    EXPECT_EQ(call("zWebQuery", server.url("/to-ftp")), "#No internet\n");
    EXPECT_EQ(call("zWebQuery", server.url("/to-port-0")), "#No internet\n");
}
