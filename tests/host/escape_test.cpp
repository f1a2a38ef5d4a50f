// The Esc key the host plays: what xlAbort answers, and the sheet line that presses Esc.
#include "host/cli/sheet_script.h"
#include "host/engine/errors.h"
#include "host/sheet/escape_key.h"
#include "host_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>
#include <vector>

namespace zorvane::host::test {
namespace {

using HostEscape = HostTest;

Value abort_answer(Host& host, std::vector<Value> args)
{
    Value result;
    EXPECT_EQ(host.dispatch(xlAbort, args, result), xlretSuccess);
    return result;
}

TEST_F(HostEscape, XlAbortLooksAndLetsGoOnlyWhenAskedWithFalse)
{
    escape_pressed(true); // nothing left from before
    EXPECT_EQ(abort_answer(host, {}), Value(false));
    press_escape();
    EXPECT_EQ(abort_answer(host, {}), Value(true));
    EXPECT_EQ(abort_answer(host, {Value(true)}), Value(true));
    EXPECT_EQ(abort_answer(host, {Value(false)}), Value(true));
    EXPECT_EQ(abort_answer(host, {Value(false)}), Value(false));
    Value result;
    std::vector<Value> text{Value(u"x")};
    EXPECT_EQ(host.dispatch(xlAbort, text, result), xlretFailed);
}

TEST_F(HostEscape, TheSheetPressesEscAfterTheTimeItGives)
{
    escape_pressed(true);
    std::ostringstream out;
    auto run = [&](const std::string& text) {
        std::istringstream script(text);
        run_sheet_script(host, script, "t.sheet", "/tmp", out, PrintOptions{});
    };
    run("esc after 0.05\n");
    EXPECT_EQ(abort_answer(host, {Value(false)}), Value(false));
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_EQ(abort_answer(host, {Value(false)}), Value(true));
    EXPECT_EQ(abort_answer(host, {Value(false)}), Value(false));
    for (const char* wrong : {"esc", "esc 1", "esc after", "esc after -1", "esc after soon", "esc after 1 2"}) {
        try {
            run(std::string(wrong) + "\n");
            ADD_FAILURE() << wrong;
        } catch (const UsageError& e) {
            EXPECT_EQ(std::string(e.what()), "t.sheet:1: esc takes 'after SECONDS', such as esc after 1.5") << wrong;
        }
    }
}

} // namespace
} // namespace zorvane::host::test
