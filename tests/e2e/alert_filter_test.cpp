// The alert filter as a user lives with it: Cancel in an alert switches its level off, the choice
// outlives the session (the registry, or the per-user store on Linux), and ALERT.FILTER turns it
// back on. Each sheet runs in a process of its own, as a new session of the spreadsheet would.
#include <gtest/gtest.h>

#include "support/process.h"
#include "text/sheet.h"

namespace {

// A formula whose failure is an Error alert and #N/A in the cell.
const std::string failing = "print =REGEX.MATCH(\"a\",\"(\")\n";
const std::string error_alert = "Error: regular expression error\n";
// OK in ALERT.FILTER with Error and Warning ticked, Info not: the default filter.
const std::string restore = "dialog 5 2=1 3=1 4=0\nrun ALERT.FILTER\n";

int count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

class AlertFilter : public ::testing::Test {
protected:
    // Whatever an earlier run left in the store, each case starts from the default.
    void SetUp() override { ASSERT_EQ(test::run_sheet(restore).status, 0); }
    void TearDown() override { test::run_sheet(restore); }
};

} // namespace

TEST_F(AlertFilter, CancelSwitchesErrorsOffForThisAndLaterSessions)
{
    auto first = test::run_sheet("alert cancel\n" + failing + failing);
    EXPECT_EQ(first.status, test::printed_failure_status) << first.err;
    EXPECT_EQ(first.out, "#N/A\n#N/A\n");
    EXPECT_EQ(count(first.err, error_alert), 1) << first.err;

    auto later = test::run_sheet(failing);
    EXPECT_EQ(later.out, "#N/A\n");
    EXPECT_EQ(later.err, "");

    auto dialog = test::run_sheet("dialog cancel\nrun ALERT.FILTER\n" + failing);
    EXPECT_EQ(dialog.err, "") << "Cancel in the dialog changes nothing";
}

TEST_F(AlertFilter, TheDialogTurnsLevelsBackOnAndOkKeepsThemOn)
{
    ASSERT_EQ(test::run_sheet("alert cancel\n" + failing).status, test::printed_failure_status);
    auto restored = test::run_sheet(restore + failing + failing);
    EXPECT_EQ(restored.out, "#N/A\n#N/A\n");
    EXPECT_EQ(count(restored.err, error_alert), 2) << restored.err; // OK leaves the level on

    auto later = test::run_sheet(failing);
    EXPECT_EQ(later.err, error_alert);
}
