// The load message on the host's status bar and its clearing on the host's clock.
#include <gtest/gtest.h>

#include "sheet.h"

namespace {

const std::string loaded = "Zorvane.xll 1.0.0.3 - Add-in has been successfully loaded.";

} // namespace

TEST(LoadMessageE2E, ShownAtLoadAndClearedTenSecondsLater)
{
    auto r = test::run_sheet("print status\nadvance 9\nprint status\nadvance 1\nprint status\n",
                             {"--now", "2014-05-31 12:00:00"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, loaded + "\n" + loaded + "\n\n");
}

TEST(LoadMessageE2E, ShownAgainByHandAndClearedAgain)
{
    auto r = test::run_sheet("advance 10\nprint status\nadvance 3\nrun zShowLoadMsg\nprint status\nadvance 9\n"
                             "print status\nadvance 1\nprint status\nrun zClearMsg\nprint status\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\n" + loaded + "\n" + loaded + "\n\n\n");
    EXPECT_EQ(r.err, "");
}

TEST(LoadMessageE2E, NotShownByAnOldHost)
{
    auto r = test::run_sheet("print status\n", {"--version-12=off"});
    EXPECT_EQ(r.out, "\n");
}
