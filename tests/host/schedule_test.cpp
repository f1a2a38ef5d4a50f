// The host clock, timed macros, key bindings and the status bar.
#include "host/sheet/on_time_schedule.h"
#include "host_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorvane::host::test {
namespace {

constexpr double second = 1.0 / 86400;

TEST(OnTime, RunsDueMacrosInTimeOrderWithTheClockAtTheirTime)
{
    OnTimeSchedule schedule;
    schedule.schedule(100 + 5 * second, "late");
    schedule.schedule(100 + 2 * second, "early");
    schedule.schedule(100 + 2 * second, "early-too"); // same time: in the order asked
    schedule.schedule(100 + 60 * second, "later");
    double now = 100;
    std::vector<std::string> ran;
    std::vector<double> at;
    schedule.advance(now, 100 + 10 * second, [&](const std::string& macro) {
        ran.push_back(macro);
        at.push_back(now);
        if (macro == "early") // a run may schedule another within the same step
            schedule.schedule(now + 1 * second, "chained");
    });
    EXPECT_EQ(ran, (std::vector<std::string>{"early", "early-too", "chained", "late"}));
    EXPECT_DOUBLE_EQ(at[0], 100 + 2 * second);
    EXPECT_DOUBLE_EQ(at[3], 100 + 5 * second);
    EXPECT_DOUBLE_EQ(now, 100 + 10 * second);
    ASSERT_EQ(schedule.pending().size(), 1u);
    EXPECT_TRUE(schedule.cancel(100 + 60 * second, "LATER"));
    EXPECT_FALSE(schedule.cancel(100 + 60 * second, "later"));
}

TEST(OnTime, AMacroReschedulingItselfAtOnceCannotHangTheHost)
{
    OnTimeSchedule schedule;
    schedule.schedule(1, "again");
    double now = 0;
    EXPECT_THROW(schedule.advance(now, 2, [&](const std::string&) { schedule.schedule(now, "again"); }), std::runtime_error);
}

using HostClock = HostTest;

TEST_F(HostClock, OnTimeMacrosRunWhenTheClockReachesThem)
{
    auto ticks = addin_symbol<int (*)()>("test_tick_count");
    EXPECT_EQ(eval("=NOW()"), Value(41790.75));
    host.run_macro("tSchedule"); // ticks at now + 2 s and says so in the status bar
    EXPECT_EQ(host.status_bar(), u"scheduled");
    host.advance(1);
    EXPECT_EQ(ticks(), 0);
    EXPECT_EQ(host.status_bar(), u"scheduled");
    host.advance(1);
    EXPECT_EQ(ticks(), 1);
    EXPECT_EQ(host.status_bar(), u""); // the tick gave the status bar back
    EXPECT_DOUBLE_EQ(eval("=NOW()").number(), 41790.75 + 2 * second);
    EXPECT_EQ(eval("=SECOND(NOW())"), Value(2.0));
    host.advance(3600);
    EXPECT_EQ(ticks(), 1);
}

TEST_F(HostClock, UnknownTimedMacroIsReportedNotFatal)
{
    std::vector<Value> args{Value(41790.75 + second), Value(u"nosuch")};
    Value out;
    ASSERT_EQ(host.dispatch(xlcOnTime, args, out), xlretSuccess);
    host.advance(5);
    EXPECT_NE(shown.str().find("nosuch"), std::string::npos);
    // Cancelling a run that is not scheduled answers #VALUE!.
    args = {Value(41790.75 + second), Value(u"nosuch"), Value(Missing{}), Value(false)};
    ASSERT_EQ(host.dispatch(xlcOnTime, args, out), xlretSuccess);
    EXPECT_EQ(out, Value(ErrorCode::value));
}

TEST_F(HostClock, OnKeyBindsAndUnbinds)
{
    EXPECT_FALSE(host.press_key("^{F5}"));
    host.run_macro("tBind");
    EXPECT_TRUE(host.press_key("^{f5}"));
    EXPECT_NE(shown.str().find("Test: Continue?"), std::string::npos);
    std::vector<Value> args{Value(u"^{F5}")};
    Value out;
    ASSERT_EQ(host.dispatch(xlcOnKey, args, out), xlretSuccess);
    EXPECT_FALSE(host.press_key("^{F5}"));
}

TEST_F(HostClock, StatusBarMessages)
{
    std::vector<Value> show{Value(true), Value(u"Loading...")};
    Value out;
    ASSERT_EQ(host.dispatch(xlcMessage, show, out), xlretSuccess);
    EXPECT_EQ(host.status_bar(), u"Loading...");
    std::vector<Value> restore{Value(false)};
    ASSERT_EQ(host.dispatch(xlcMessage, restore, out), xlretSuccess);
    EXPECT_EQ(host.status_bar(), u"");
}

} // namespace
} // namespace zorvane::host::test
