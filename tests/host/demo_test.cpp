// The demo as README shows it: once scripts/demo.sh has made the database beside the sheet, the
// sheet runs from any folder with nothing set in the environment, and without the database it
// says so and makes none.
#include "support/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class Demo : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("zorvane-demo-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(fs::path(ZORVANE_SOURCE_DIR) / "demo" / "demo.sheet", folder / "demo.sheet");
    }
    void TearDown() override { fs::remove_all(folder); }

    test::Run run_demo() { return test::run({test::host_path(), "run", (folder / "demo.sheet").string()}, "env -u ZORVANE_DEMO_DB", "/"); }

    fs::path folder;
};

TEST_F(Demo, RunsFromAnyFolderOnceItsDatabaseIsMade)
{
    const auto made = test::run({"python3", std::string(ZORVANE_SOURCE_DIR) + "/demo/make_demo_db.py", (folder / "zorvane-demo.sqlite").string()});
    ASSERT_EQ(made.status, 0) << made.err;
    const auto r = run_demo();
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.find("\"-- zStatement with headers: the customers, the dates in their own number format\"\n"
                         "id,name,city,since\n1,Müller GmbH,Berlin,2012-04-01\n"),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("101,2013-12-30,09:15:00,2014-01-02 16:45,\"1,250.50\",3,7000000000123,urgent\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("failed as it should: #SQL Error S1000:1:1:[SQLite]no such table: no_such_table (1)"), std::string::npos) << r.out;
}

TEST_F(Demo, AMissingDatabaseIsToldAndNoneIsMade)
{
    const auto r = run_demo();
    EXPECT_EQ(r.status, test::printed_failure_status) << r.err;
    EXPECT_EQ(r.out.find("id,name,city,since"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("#SQL Error S1000:1:14:[SQLite]connect failed"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(folder / "zorvane-demo.sqlite"));
}

} // namespace
