// Asynchronous functions in the host's own process: the shared sheets (also under the thread
// sanitizer), the handle store, what xlAsyncReturn refuses, and the versions without them.
#include "host/bridge/async_calls.h"
#include "host/bridge/host.h"
#include "host/cli/sheet_script.h"
#include "host/sheet/escape_key.h"
#include "support/async_sheets.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace zorvane::host::test {
namespace {

class AsyncHost : public ::testing::Test {
protected:
    std::ostringstream shown;
    std::unique_ptr<Host> host;

    void start(HostOptions options = {41790.75, AlertAnswer::ok, true})
    {
        escape_pressed(true); // nothing left from before
        host.reset(); // the session the callbacks reach is the latest one alive
        host = std::make_unique<Host>(options, shown);
        host->load_addin(ZORVANE_ASYNC_ADDIN_PATH);
    }
    void SetUp() override { start(); }

    std::string run(const std::string& lines)
    {
        std::istringstream script(lines);
        std::ostringstream out;
        run_sheet_script(*host, script, "t.sheet", "/tmp", out, PrintOptions{});
        return out.str();
    }
    int async_return(XLOPER12 handles, XLOPER12 values, XLOPER12& taken)
    {
        XLOPER12* args[] = {&handles, &values};
        return host->callback12(xlAsyncReturn, 2, args, &taken);
    }
};

TEST_F(AsyncHost, SheetsCalculateAsTheirValuesArrive)
{
    for (const auto& sheet : ::test::async_sheets()) {
        start();
        // A held call is answered by nothing but Esc: without Esc the sheet never finishes.
        EXPECT_EQ(run(sheet.lines), sheet.printed) << sheet.name;
        EXPECT_EQ(host->pending_async_calls(), 0u);
    }
}

TEST(AsyncCalls, AValueIsTakenOnceWhilePendingAndFoundByItsCall)
{
    AsyncCalls calls;
    const AsyncCaller a1{{0, 0}, 0}, formula{{-1, -1}, 1};
    const auto first = calls.start(a1, 7, {Value(1.0)});
    const auto second = calls.start(formula, 7, {Value(1.0)});
    Value value;
    EXPECT_EQ(calls.look_up(a1, 7, {Value(1.0)}, value), AsyncCalls::State::waiting);
    EXPECT_EQ(calls.look_up(a1, 7, {Value(2.0)}, value), AsyncCalls::State::unknown);
    EXPECT_EQ(calls.look_up(a1, 8, {Value(1.0)}, value), AsyncCalls::State::unknown);
    EXPECT_EQ(calls.answer({{first, Value(u"a")}, {first, Value(u"b")}, {999, Value(1.0)}}), 1u);
    EXPECT_EQ(calls.look_up(a1, 7, {Value(1.0)}, value), AsyncCalls::State::answered);
    EXPECT_EQ(value, Value(u"a"));
    EXPECT_TRUE(calls.all_answered(a1));
    EXPECT_FALSE(calls.all_answered(formula));
    EXPECT_EQ(calls.pending(), 1u);
    calls.refuse_pending();
    EXPECT_EQ(calls.answer({{second, Value(1.0)}}), 0u);
    EXPECT_EQ(calls.look_up(formula, 7, {Value(1.0)}, value), AsyncCalls::State::waiting);
    calls.clear();
    EXPECT_EQ(calls.look_up(a1, 7, {Value(1.0)}, value), AsyncCalls::State::unknown);
    EXPECT_NE(calls.start(a1, 7, {}), first); // a handle of an earlier calculation stays unknown
    EXPECT_EQ(async_handle_of(async_handle_record(first)), first);
}

TEST_F(AsyncHost, ReturnsNotPendingAreRefusedWithoutHarm)
{
    XLOPER12 unknown = async_handle_record(12345), value{}, taken{};
    value.xltype = xltypeNum;
    EXPECT_EQ(async_return(unknown, value, taken), xlretInvAsynchronousContext);
    EXPECT_EQ(taken.xltype, static_cast<DWORD>(xltypeBool));
    EXPECT_EQ(taken.val.xbool, 0);
    XLOPER12 handles[] = {unknown, unknown}, values[] = {value};
    XLOPER12 two_handles{}, one_value{};
    two_handles.xltype = one_value.xltype = xltypeMulti;
    two_handles.val.array = {handles, 1, 2};
    one_value.val.array = {values, 1, 1};
    EXPECT_EQ(async_return(two_handles, one_value, taken), xlretInvXloper); // as many values as handles
    EXPECT_EQ(async_return(value, value, taken), xlretInvXloper);           // no handle
    XLOPER12* one[] = {&unknown};
    EXPECT_EQ(host->callback12(xlAsyncReturn, 1, one, &taken), xlretInvCount);
    // Any thread may give a value back; nothing else may call from another thread.
    std::thread([&] {
        XLOPER12 from_thread{};
        EXPECT_EQ(async_return(unknown, value, from_thread), xlretInvAsynchronousContext);
        EXPECT_EQ(host->callback12(xlfGetWorkspace, 0, nullptr, &from_thread), xlretNotThreadSafe);
    }).join();
    // Outside a calculation nothing can wait for an asynchronous function.
    EXPECT_EQ(host->run_macro("tAsyncNow"), Value(ErrorCode::na));
}

TEST_F(AsyncHost, OlderVersionsHaveNoAsynchronousFunctions)
{
    struct Case {
        double version;
        bool version12;
        const char* workspace;
        bool async;
        int callback_version;
    };
    for (const Case c : {Case{14, true, "14.0", true, 0x0C00}, Case{16, true, "16.0", true, 0x0C00}, Case{12, true, "12.0", false, 0x0C00},
                         Case{14, false, "11.0", false, 0x0B00}}) {
        HostOptions options{0, AlertAnswer::ok, c.version12};
        options.excel_version = c.version;
        start(options);
        std::vector<Value> two{Value(2.0)}, event{Value(u"tOnEnded"), Value(1.0)};
        Value workspace, registered;
        EXPECT_EQ(host->dispatch(xlfGetWorkspace, two, workspace), xlretSuccess);
        EXPECT_EQ(workspace, Value(std::u16string(c.workspace, c.workspace + std::char_traits<char>::length(c.workspace))));
        EXPECT_EQ(host->registered_arity("tAsyncAfter"), c.async ? std::optional<int>(2) : std::nullopt) << c.version;
        // The add-in read the version, and either road answers.
        EXPECT_EQ(host->evaluate_formula("=tAsyncNow(3)"), Value(3.0)) << c.version;
        EXPECT_EQ(host->dispatch(xlEventRegister, event, registered), c.async ? xlretSuccess : xlretInvXlfn);
        EXPECT_EQ(host->callback_version(), c.callback_version);
    }
}

} // namespace
} // namespace zorvane::host::test
