// The command-line contract: output formats, exit statuses, and sheet files.
#include "host/cli.h"
#include "host_fixture.h"
#include "support/process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zorvane::host::test {
namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result zorvane(std::vector<std::string> args)
{
    args.insert(args.begin(), {"--addin", test_addin_path(), "--now", "2014-05-31 18:00:00"});
    std::ostringstream out, err;
    const int status = run_command_line(args, out, err);
    return {status, out.str(), err.str()};
}

class SheetFile {
public:
    explicit SheetFile(const std::string& text)
    {
        path_ = std::filesystem::temp_directory_path() / ("zorvane-sheet-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++) + ".txt");
        std::ofstream(path_) << text;
    }
    ~SheetFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
    static inline int counter_ = 0;
};

TEST(CommandLine, EvalFormats)
{
    EXPECT_EQ(zorvane({"eval", "--csv", "=tAdd(1,2)"}).out, "3\n");
    EXPECT_EQ(zorvane({"eval", "--csv", "={1,\"a,b\";TRUE,#N/A}"}).out, "1,\"a,b\"\nTRUE,#N/A\n");
    EXPECT_EQ(zorvane({"eval", "--json", "={1,\"a\";TRUE,#N/A}"}).out, "[[1,\"a\"],[true,{\"error\":\"#N/A\"}]]\n");
    EXPECT_EQ(zorvane({"eval", "=CONCATENATE(\"x\",1/4)"}).out, "x0.25\n");
    EXPECT_EQ(zorvane({"eval", "--csv", "=TEXT(NOW(),\"yyyy-mm-dd hh:mm\")"}).out, "2014-05-31 18:00\n");
    EXPECT_EQ(zorvane({"eval", "--csv", "-1+3"}).out, "2\n"); // a formula may start with a sign
}

TEST(CommandLine, SeveralFormulasShareOneSession)
{
    const Result r = zorvane({"eval", "--csv", "=tVolatile()", "=tVolatile()"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "=tVolatile()\n1\n=tVolatile()\n2\n");
    EXPECT_EQ(zorvane({"eval", "--json", "=1", "=\"a\""}).out, "{\"formula\":\"=1\",\"value\":1}\n{\"formula\":\"=\\\"a\\\"\",\"value\":\"a\"}\n");
}

TEST(CommandLine, ExitStatuses)
{
    Result r = zorvane({"eval", "=1+"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("position 4"), std::string::npos) << r.err;
    r = zorvane({"eval", "=1", "=nosuch(1)"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, ""); // nothing runs when any formula is wrong
    EXPECT_NE(r.err.find("unknown function nosuch"), std::string::npos) << r.err;
    r = zorvane({"eval", "=tAdd(1,2,3)"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("at most 2 arguments"), std::string::npos) << r.err;
    EXPECT_EQ(zorvane({"eval", "=LEN()"}).status, 2);
    EXPECT_EQ(zorvane({"eval"}).status, 2);
    EXPECT_EQ(zorvane({"frobnicate"}).status, 2);
    EXPECT_EQ(zorvane({"eval", "--bogus", "=1"}).status, 2);
    EXPECT_EQ(zorvane({"--now", "yesterday", "eval", "=1"}).status, 2);
    EXPECT_EQ(zorvane({"eval", "=1/0"}).status, 0); // an error value is a result, not a failure

    std::ostringstream out, err;
    EXPECT_EQ(run_command_line({"--addin", "/nonexistent/Zorvane.xll", "eval", "=1"}, out, err), 1);
    EXPECT_NE(err.str().find("/nonexistent/Zorvane.xll"), std::string::npos);
    EXPECT_EQ(run_command_line({"--addin", "/etc/hostname", "eval", "=1"}, out, err), 1); // not a library
}

TEST(CommandLine, FunctionsListLikeAWizard)
{
    const Result r = zorvane({"functions"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("tAdd(a, b)\n  category: Test\n  Adds two numbers.\n  a: the first\n  b: the second\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("tAlert  (command)\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("tAbsent"), std::string::npos);
}

TEST(CommandLine, SheetFiles)
{
    SheetFile sheet(R"(# a sheet
A1: 41790
A2: =A1+1
B1: 'text, with comma
B2: =tKinds(A1:A2)
C1: =CONCATENATE(B1,"!")
print A2
print A1:B1
print B2
print C1
print =LEN(C1)
A1: 41800
print A2
run tSchedule
print status
advance 2
print status
alert cancel
run tAlert
dialog 1 3="bob smith"
print =INDEX(tDialog(),4,7)
dialog cancel
print =tDialog()
now 2020-01-02 03:04:05
print =TEXT(NOW(),"yyyy-mm-dd hh:mm:ss")
B3: =tVolatile()
print B3
print B3
recalc
print B3
run tBind
key ^{F5}
)");
    const Result r = zorvane({"run", sheet.path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "41791\n41790,\"text, with comma\"\n1021,128,128\n\"text, with comma!\"\n17\n41801\n"
                     "scheduled\n\n"
                     "bob smith\nFALSE\n2020-01-02 03:04:05\n1\n1\n2\n");
    EXPECT_EQ(r.err, "Test: Continue?\nAlert: stopped\nTest: Continue?\nAlert: went on\n");
}

TEST(CommandLine, SheetErrorsNameTheLine)
{
    SheetFile bad("A1: 1\n\nA2: =A1+\n");
    Result r = zorvane({"run", bad.path()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(bad.path() + ":3: position 5"), std::string::npos) << r.err;
    SheetFile unknown("frobnicate\n");
    EXPECT_EQ(zorvane({"run", unknown.path()}).status, 2);
    SheetFile no_macro("run nosuch\n");
    r = zorvane({"run", no_macro.path()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown macro nosuch"), std::string::npos) << r.err;
    EXPECT_EQ(zorvane({"run", "/nonexistent.sheet"}).status, 2);
}

TEST(CommandLine, SheetDirAndEnvironmentSubstitution)
{
    ::setenv("ZORVANE_TEST_VALUE", "abc", 1);
    SheetFile sheet("A1: ${SHEET_DIR}\nprint A1\nprint =\"${ZORVANE_TEST_VALUE}|${ZORVANE_NOT_SET}|${\"\n");
    EXPECT_EQ(zorvane({"run", sheet.path()}).out,
              std::filesystem::path(sheet.path()).parent_path().string() + "\nabc|${ZORVANE_NOT_SET}|${\n");
}

TEST(CommandLine, TheRealExecutableExportsTheCallbacks)
{
    // The add-in finds MdCallBack12 and friends in the zorvane executable itself.
    const auto r = ::test::run({::test::host_path(), "--addin", test_addin_path(), "eval", "--csv", "=tYear(41790)", "=tAdd(2,3)"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "=tYear(41790)\n2014\n=tAdd(2,3)\n5\n");
}

} // namespace
} // namespace zorvane::host::test
