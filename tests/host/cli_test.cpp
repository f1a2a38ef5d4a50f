// The command-line contract: output formats, exit statuses, and sheet files.
#include "host/cli/cli.h"
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

Result zorvane(std::vector<std::string> args, const std::string& input = "")
{
    args.insert(args.begin(), {"--addin", test_addin_path(), "--now", "2014-05-31 18:00:00"});
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = run_command_line(args, in, out, err);
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
    for (const char* bad : {"--csv=1", "--json=table", "--format", "--format=", "--version=2"})
        EXPECT_EQ(zorvane({"eval", bad, "=1"}).status, 2) << bad;

    std::ostringstream out, err;
    EXPECT_EQ(run_command_line({"--addin", "/nonexistent/Zorvane.xll", "eval", "=1"}, out, err), 1);
    EXPECT_NE(err.str().find("/nonexistent/Zorvane.xll"), std::string::npos);
    EXPECT_EQ(run_command_line({"--addin", "/etc/hostname", "eval", "=1"}, out, err), 1); // not a library
}

TEST(CommandLine, PrintedFailuresGiveStatusThreeAfterPrintingEverything)
{
    Result r = zorvane({"eval", "--csv", "=1/0", "=\"#SQL Error S1000:1:14:x\"", "=1"});
    EXPECT_EQ(r.status, exit_failures_printed);
    EXPECT_EQ(r.out, "=1/0\n#DIV/0!\n=\"#SQL Error S1000:1:14:x\"\n#SQL Error S1000:1:14:x\n=1\n1\n");
    EXPECT_EQ(zorvane({"eval", "--json", "=1", "=\"#No internet\""}).status, exit_failures_printed);
    // The #N/A below a short result is padding, and a failure inside a text is just text.
    EXPECT_EQ(zorvane({"eval", "={1;#N/A;#N/A}", "=\"see #SQL Error\"", "=tKinds(1,2,3)"}).status, exit_success);

    // In a sheet each printed cell counts by its own whole value; other prints do not count.
    SheetFile fine("A1: =tArray()\nA2: ={\"#No internet\",1}\nprint A1\nprint A1:A2\nprint formula A2\nprint =LEN(\"#SQL\")\n");
    r = zorvane({"run", fine.path()});
    EXPECT_EQ(r.status, exit_success) << r.out << r.err;
    SheetFile failing("A1: 1\nA2: =\"#Cancelled after 5 rows\"\nprint A1:A2\nprint A1\n");
    r = zorvane({"run", failing.path()});
    EXPECT_EQ(r.status, exit_failures_printed);
    EXPECT_EQ(r.out, "1\n#Cancelled after 5 rows\n1\n");
    // A range too large to show is #NUM! as a whole, told without visiting its cells.
    SheetFile huge("print A1:XFD1048576\n");
    r = zorvane({"run", huge.path()});
    EXPECT_EQ(r.status, exit_failures_printed);
    EXPECT_EQ(r.out, "#NUM!\n");
    // A usage error still wins over the failures printed before it.
    SheetFile then_wrong("print =NA()\nprint =1+\n");
    EXPECT_EQ(zorvane({"run", then_wrong.path()}).status, exit_usage);
}

TEST(CommandLine, SheetsFromStandardInputAndWhatIsNoSheet)
{
    // A byte order mark is no part of the first line; ${SHEET_DIR} is the working folder.
    Result r = zorvane({"run", "-"}, "\xEF\xBB\xBF" "A1: 2\r\nprint =A1*3\r\nprint =\"${SHEET_DIR}\"\n");
    EXPECT_EQ(r.status, exit_success) << r.err;
    EXPECT_EQ(r.out, "6\n" + std::filesystem::current_path().string() + "\n");
    r = zorvane({"run", "-"}, "A1: 1\nprint A1\nbogus\n");
    EXPECT_EQ(r.status, exit_usage);
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(r.err, "zorvane: (standard input):3: unknown line; expected a cell entry such as 'A1: =1+2' or one of print, run, "
                     "advance, alert, dialog, now, recalc, key, select, format, esc\n");

    // Refused before the add-in loads, so even a missing add-in is not reached.
    auto refused = [](const std::string& path) {
        std::istringstream in;
        std::ostringstream out, err;
        const int status = run_command_line({"--addin", "/nonexistent.xll", "run", path}, in, out, err);
        EXPECT_EQ(status, exit_usage) << path;
        EXPECT_EQ(out.str(), "");
        return err.str();
    };
    const std::string folder = std::filesystem::temp_directory_path().string();
    EXPECT_EQ(refused(folder), "zorvane: " + folder + " is a folder, not a sheet file\n");
    EXPECT_EQ(refused("/nonexistent.sheet"), "zorvane: cannot open the sheet /nonexistent.sheet: No such file or directory\n");
    SheetFile binary(std::string("print 1\n\0\x01\x02", 11));
    EXPECT_EQ(refused(binary.path()), "zorvane: " + binary.path() + ":2: not a text file: it holds a NUL character\n");
    SheetFile empty("");
    EXPECT_EQ(refused(empty.path()), "zorvane: " + empty.path() + " is empty: a sheet holds lines such as 'A1: =1+2' and 'print A1'\n");
    SheetFile latin1("A1: 'ok\nA2: 'M\xFCller\n");
    EXPECT_EQ(refused(latin1.path()), "zorvane: " + latin1.path() + ":2: not UTF-8 text\n");
    SheetFile overlong("A1: '\xC0\xAF\n"); // '/' in two bytes
    EXPECT_EQ(refused(overlong.path()), "zorvane: " + overlong.path() + ":1: not UTF-8 text\n");
}

TEST(CommandLine, ACircularReferenceIsToldOnceWithItsCells)
{
    const Result r = zorvane({"run", "-"}, "A1: =B1+1\nB1: =A1*2\nC1: =A1\nprint A1:C1\nrecalc\nprint C1\n");
    EXPECT_EQ(r.status, exit_failures_printed);
    EXPECT_EQ(r.out, "#REF!,#REF!,#REF!\n#REF!\n");
    EXPECT_EQ(r.err, "zorvane: circular reference A1 -> B1 -> A1; its cells show #REF!\n");
}

TEST(CommandLine, VersionsOfTheHostAndTheAddin)
{
    const Result r = zorvane({"--version"});
    EXPECT_EQ(r.status, exit_success);
    EXPECT_EQ(r.out, std::string("zorvane ") + ZORVANE_VERSION + "\nzorvane_test_addin.xll (no version: it registers no zVersion function)\n");
    // The host's own version is told even when the add-in cannot be loaded.
    std::ostringstream out, err;
    EXPECT_EQ(run_command_line({"--addin", "/nonexistent/Zorvane.xll", "--version"}, out, err), exit_load_failure);
    EXPECT_EQ(out.str(), std::string("zorvane ") + ZORVANE_VERSION + "\n");
}

TEST(CommandLine, NumberFormats)
{
    EXPECT_EQ(zorvane({"eval", "--format", "yyyy-mm-dd", "={41790,\"x\";41791.5,TRUE}"}).out, "2014-05-31  x\n2014-06-01  TRUE\n");
    EXPECT_EQ(zorvane({"eval", "--json", "--format=0.00", "=1/3", "=2"}).out,
              "{\"formula\":\"=1/3\",\"value\":\"0.33\"}\n{\"formula\":\"=2\",\"value\":\"2.00\"}\n");

    // A format belongs to cells: an array shows each element in the format of the cell it stands
    // in from its own cell on; the later line wins; General, a format of its own, shows the number
    // as it is; print =FORMULA has no cell and takes --format's.
    SheetFile sheet(R"(B2: ={41790,0.75;41791,1.5}
format B2:B3 yyyy-mm-dd
format C2:C9 hh:mm
format B3 d mmm yyyy
print B2
print B2:C3
format C2:C9 General
print B2
print =B2
print formula B2
)");
    const Result r = zorvane({"--format", "0.0", "run", sheet.path()});
    EXPECT_EQ(r.status, exit_success) << r.err;
    EXPECT_EQ(r.out, "2014-05-31,18:00\n1 Jun 2014,12:00\n"
                     "2014-05-31,\n,\n"
                     "2014-05-31,0.75\n1 Jun 2014,1.5\n"
                     "41790.0,0.8\n41791.0,1.5\n"
                     "\"={41790,0.75;41791,1.5}\"\n");
    SheetFile no_code("format B2:B3\n");
    EXPECT_EQ(zorvane({"run", no_code.path()}).err,
              "zorvane: " + no_code.path() + ":1: format needs a cell or a range and a number format code, such as 'format B2:B100 yyyy-mm-dd'\n");
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
