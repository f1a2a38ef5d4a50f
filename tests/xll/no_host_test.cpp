// A process that exports no host callback: wide calls fail as "command failed", and an entry
// handed over from outside is kept.
#include <gtest/gtest.h>

#include "xll/host_call.h"

using namespace xll;

#include "xll/export.h"

// The export under its registered name.
extern "C" void xll_SetExcel12EntryPt(EXCEL12PROC entry) XLL_EXPORT_AS(xll_SetExcel12EntryPt);

namespace {
int handed_over_calls = 0;
int handed_over(int, int, LPXLOPER12*, LPXLOPER12) { return ++handed_over_calls, xlretSuccess; }
} // namespace

TEST(NoHost, WideCallsFailUntilAnEntryIsHandedOver)
{
    OPER12 result;
    EXPECT_EQ(Excel12v(xlGetName, &result, 0, nullptr), xlretFailed);
    try {
        Excel12(xlGetName);
        FAIL();
    }
    catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Excel returned command failed");
    }
    OPER result8;
    EXPECT_EQ(Excel4v(xlGetName, &result8, 0, nullptr), xlretFailed);
    EXPECT_EQ(XLCallVer(), 0);

    xll_SetExcel12EntryPt(handed_over);
    EXPECT_EQ(Excel12v(xlGetName, &result, 0, nullptr), xlretSuccess);
    EXPECT_EQ(handed_over_calls, 1);
}
