// Folders and files named in any letters: the host copied into a folder `Jörg 日本` loads the
// add-in beside it, loads `Zörvane.xll` named on its command line, and runs a sheet there whose
// ${SHEET_DIR} is that folder. Under Wine the Windows host runs from the copy (the wrapper of
// scripts/wine-test.sh takes ZORVANE_WINE_EXE), and paths are given in their Windows form.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/process.h"

namespace {

namespace fs = std::filesystem;

// The Windows build whose host the tests drive under Wine; empty for the Linux host.
std::string windows_build() { return test::from_environment("ZORVANE_TEST_WINDOWS_BUILD", ""); }

// A path as the host under test names it: Wine's drive Z: is the Linux root.
std::string native(const fs::path& path)
{
    std::string text = path.string();
    if (windows_build().empty())
        return text;
    for (char& c : text)
        if (c == '/')
            c = '\\';
    return "Z:" + text;
}

class UnicodePaths : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("zorvane-paths-" + std::to_string(::getpid())) / "Jörg 日本";
        fs::create_directories(folder);
        const bool windows = !windows_build().empty();
        const fs::path build = windows ? fs::path(windows_build()) : fs::path(test::host_path()).parent_path();
        for (const char* file : windows ? std::vector<const char*>{"zorvane.exe", "XLCall32.dll"} : std::vector<const char*>{"zorvane"})
            fs::copy_file(build / file, folder / file);
        fs::copy_file(build / "Zorvane.xll", folder / "Zorvane.xll");
        fs::copy_file(build / "Zorvane.xll", folder / "Zörvane.xll");
        copy = folder / (windows ? "zorvane.exe" : "zorvane");
    }
    void TearDown() override { fs::remove_all(folder.parent_path()); }

    // The copied host, run with these arguments.
    test::Run run_copy(const std::vector<std::string>& args) const
    {
        if (windows_build().empty()) {
            std::vector<std::string> argv{copy.string()};
            argv.insert(argv.end(), args.begin(), args.end());
            return test::run(argv);
        }
        std::vector<std::string> argv{test::host_path()};
        argv.insert(argv.end(), args.begin(), args.end());
        return test::run(argv, "ZORVANE_WINE_EXE=" + test::shell_quote(copy.string()));
    }

    fs::path folder;
    fs::path copy;
};

TEST_F(UnicodePaths, TheHostLoadsTheAddinBesideItAndOneNamedOnItsCommandLine)
{
    auto r = run_copy({"eval", "--csv", "=zFileLocation()"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, native(folder / "Zorvane.xll") + "\n");
    r = test::run({test::host_path(), "--addin", native(folder / "Zörvane.xll"), "eval", "--csv", "=zFileLocation()"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, native(folder / "Zörvane.xll") + "\n");
}

TEST_F(UnicodePaths, ASheetInTheFolderKnowsItsFolder)
{
    std::ofstream(folder / "Blätter.sheet") << "A1: '${SHEET_DIR}\nprint A1\nprint =zS(\"日本\")\n";
    const auto r = run_copy({"run", native(folder / "Blätter.sheet")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, native(folder) + "\n'日本'\n");
}

} // namespace
