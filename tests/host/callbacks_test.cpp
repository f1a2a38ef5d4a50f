// The callback layer with a real add-in: registration of both widths, return codes, the freeing
// protocol in both directions, argument conversions by type text, and the host services.
#include "host/engine/errors.h"
#include "host/engine/utf.h"
#include "host_fixture.h"
#include "records.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <vector>

namespace zorvane::host::test {
namespace {

using namespace test_records;

using HostCallbacks = HostTest;

TEST_F(HostCallbacks, XlAutoOpenRegistersThroughTheCallback)
{
    double results[32];
    const int count = addin_symbol<int (*)(double*, int)>("test_register_results")(results, 32);
    ASSERT_EQ(count, 16);
    for (int i = 0; i + 1 < count; ++i)
        EXPECT_GT(results[i], 0) << "registration " << i;
    EXPECT_EQ(results[count - 1], -15); // tAbsent is not exported: #VALUE!
    EXPECT_LT(results[0], results[1]);
    const Registration* alert = host.registry().find_name("TALERT");
    ASSERT_NE(alert, nullptr); // "_tAlert@0" was found as "_tAlert$0"
    EXPECT_EQ(alert->procedure, "_tAlert@0");
    EXPECT_TRUE(alert->is_command());
    EXPECT_EQ(host.registry().find_name("tAbsent"), nullptr);
    const Registration* add = host.registry().find_name("tAdd");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->function_help, "Adds two numbers.");
    EXPECT_EQ(add->argument_help, (std::vector<std::string>{"the first", "the second"}));
    EXPECT_EQ(add->argument_names(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(HostCallbacks, RegisterUnregisterAndRegisterIdInBothWidths)
{
    Text12 module(utf8_to_utf16(host.addin_path()));
    Text12 proc(u"tAdd"), type(u"BBB"), name(u"tAddAgain"), absent(u"nosuch");
    XLOPER12 result{};
    XLOPER12* id_args[] = {&module.x, &proc.x};
    ASSERT_EQ(host.callback12(xlfRegisterId, 2, id_args, &result), xlretSuccess);
    ASSERT_EQ(result.xltype, static_cast<DWORD>(xltypeNum));
    const double id = result.val.num;
    EXPECT_EQ(id, host.registry().find_name("tAdd")->id);

    XLOPER12* absent_args[] = {&module.x, &absent.x};
    ASSERT_EQ(host.callback12(xlfRegisterId, 2, absent_args, &result), xlretSuccess);
    EXPECT_EQ(result.xltype, static_cast<DWORD>(xltypeErr));
    EXPECT_EQ(result.val.err, xlerrValue);

    // One procedure under a second name: both names work, each with its own id; registering
    // the same name again keeps that id.
    XLOPER12* again[] = {&module.x, &proc.x, &type.x, &name.x};
    ASSERT_EQ(host.callback12(xlfRegister, 4, again, &result), xlretSuccess);
    const double alias = result.val.num;
    EXPECT_NE(alias, id);
    ASSERT_EQ(host.callback12(xlfRegister, 4, again, &result), xlretSuccess);
    EXPECT_EQ(result.val.num, alias);
    EXPECT_EQ(eval("=tAddAgain(2,3)"), Value(5.0));
    EXPECT_EQ(eval("=tAdd(2,3)"), Value(5.0));

    XLOPER12 which = number<XLOPER12>(alias);
    XLOPER12* unregister_args[] = {&which};
    ASSERT_EQ(host.callback12(xlfUnregister, 1, unregister_args, &result), xlretSuccess);
    EXPECT_EQ(result.xltype, static_cast<DWORD>(xltypeBool));
    EXPECT_EQ(result.val.xbool, 1);
    ASSERT_EQ(host.callback12(xlfUnregister, 1, unregister_args, &result), xlretSuccess);
    EXPECT_EQ(result.val.xbool, 0);
    EXPECT_THROW(eval("=tAddAgain(2,3)"), UsageError);

    // The 8-bit interface registers the same way and answers the same id scheme.
    Text8 module8(host.addin_path()), proc8("tAdd"), type8("BBB"), name8("tAdd8");
    XLOPER result8{};
    XLOPER* args8[] = {&module8.x, &proc8.x, &type8.x, &name8.x};
    ASSERT_EQ(host.callback8(xlfRegister, &result8, 4, args8), xlretSuccess);
    ASSERT_EQ(result8.xltype, static_cast<WORD>(xltypeNum));
    EXPECT_GT(result8.val.num, alias);
    EXPECT_EQ(eval("=tadd8(1,1)"), Value(2.0));
    XLOPER which8 = number<XLOPER>(result8.val.num);
    XLOPER* unregister8[] = {&which8};
    ASSERT_EQ(host.callback8(xlfUnregister, &result8, 1, unregister8), xlretSuccess);
    EXPECT_EQ(result8.val.xbool, 1);

    XLOPER* id8_args[] = {&module8.x, &proc8.x};
    ASSERT_EQ(host.callback8(xlfRegisterId, &result8, 2, id8_args), xlretSuccess);
    EXPECT_EQ(result8.val.num, id);

    Text8 absent8("nosuch");
    XLOPER* bad8[] = {&module8.x, &absent8.x, &type8.x, &name8.x};
    ASSERT_EQ(host.callback8(xlfRegister, &result8, 4, bad8), xlretSuccess);
    EXPECT_EQ(result8.xltype, static_cast<WORD>(xltypeErr));
    EXPECT_EQ(result8.val.err, xlerrValue);
}

TEST_F(HostCallbacks, ReturnCodes)
{
    XLOPER12 result{};
    XLOPER12 one = number<XLOPER12>(1);
    XLOPER12* args[] = {&one, &one};
    EXPECT_EQ(host.callback12(9999, 0, nullptr, &result), xlretInvXlfn);
    EXPECT_EQ(host.callback12(xlCommand | 9999, 0, nullptr, &result), xlretInvXlfn);
    EXPECT_EQ(host.callback12(xlfYear, 2, args, &result), xlretInvCount);
    EXPECT_EQ(host.callback12(xlfYear, 0, nullptr, &result), xlretInvCount);
    EXPECT_EQ(host.callback12(xlfRegister, 1, args, &result), xlretInvCount);
    EXPECT_EQ(host.callback12(xlGetName, 1, args, &result), xlretInvCount);
    EXPECT_EQ(host.callback12(xlfYear, -1, args, &result), xlretInvCount);
    EXPECT_EQ(host.callback12(xlfYear, 1, nullptr, &result), xlretInvXloper);
    XLOPER12 broken{};
    broken.xltype = xltypeStr; // without storage
    XLOPER12* bad[] = {&broken};
    EXPECT_EQ(host.callback12(xlfLen, 1, bad, &result), xlretInvXloper);
    XLOPER12* null_arg[] = {nullptr};
    EXPECT_EQ(host.callback12(xlfLen, 1, null_arg, &result), xlretInvXloper);
    EXPECT_EQ(host.callback12(static_cast<int>(xlfYear) | xlIntl, 1, args, &result), xlretSuccess); // the intl bit changes nothing here
    EXPECT_EQ(result.val.num, 1900);

    XLOPER r8{};
    XLOPER one8 = number<XLOPER>(1);
    XLOPER* args8[] = {&one8, &one8};
    EXPECT_EQ(host.callback8(9999, &r8, 0, nullptr), xlretInvXlfn);
    EXPECT_EQ(host.callback8(xlfYear, &r8, 2, args8), xlretInvCount);
    // A null result is allowed: the caller does not want the value.
    EXPECT_EQ(host.callback8(xlfYear, nullptr, 1, args8), xlretSuccess);
}

TEST_F(HostCallbacks, HostResultsAreFreedWithXlFree)
{
    Text12 a(u"ab"), b(u"cd");
    XLOPER12 result{};
    XLOPER12* args[] = {&a.x, &b.x};
    ASSERT_EQ(host.callback12(xlfConcatenate, 2, args, &result), xlretSuccess);
    EXPECT_EQ(result.xltype, static_cast<DWORD>(xltypeStr | xlbitXLFree));
    EXPECT_EQ(std::u16string(result.val.str + 1, static_cast<std::size_t>(result.val.str[0])), u"abcd");
    XLOPER12 name{};
    ASSERT_EQ(host.callback12(xlGetName, 0, nullptr, &name), xlretSuccess);
    EXPECT_EQ(host.outstanding_results(), 2u);
    XLOPER12* both[] = {&result, &name};
    EXPECT_EQ(host.callback12(xlFree, 2, both, nullptr), xlretSuccess);
    EXPECT_EQ(host.outstanding_results(), 0u);

    Text8 c("ef");
    XLOPER r8{};
    XLOPER* args8[] = {&c.x, &c.x};
    ASSERT_EQ(host.callback8(xlfConcatenate, &r8, 2, args8), xlretSuccess);
    EXPECT_EQ(std::string(r8.val.str + 1, static_cast<unsigned char>(r8.val.str[0])), "efef");
    XLOPER* free8[] = {&r8};
    EXPECT_EQ(host.callback8(xlFree, nullptr, 1, free8), xlretSuccess);
    EXPECT_EQ(host.outstanding_results(), 0u);
}

TEST_F(HostCallbacks, ArgumentsFollowTheTypeText)
{
    EXPECT_EQ(eval("=tAdd(1,2)"), Value(3.0));
    EXPECT_EQ(eval("=tAdd(\"2\",TRUE)"), Value(3.0)); // B reads text like VALUE
    EXPECT_EQ(eval("=tAdd(\"x\",1)"), Value(ErrorCode::value));
    EXPECT_EQ(eval("=tAdd(#N/A,1)"), Value(ErrorCode::na));
    EXPECT_EQ(eval("=tAdd(1)"), Value(1.0)); // an omitted B is 0
    EXPECT_EQ(eval("=TADD(1,)"), Value(1.0));
    EXPECT_THROW(eval("=tAdd(1,2,3)"), UsageError);
    EXPECT_EQ(eval("=tDescribe(0.1+0.2,\"3\",2,7.9)"), Value(u"0.3|3.000000|TRUE|7"));
    EXPECT_EQ(eval("=tDescribe(TRUE,1E+21,0,-7.9)"), Value(u"TRUE|1000000000000000000000.000000|FALSE|-7"));
    EXPECT_EQ(eval("=tDescribe()"), Value(u"|0.000000|FALSE|0")); // omitted as the spreadsheet passes them
    EXPECT_EQ(eval("=tDescribe(\"a\",1,\"maybe\")"), Value(ErrorCode::value));
    EXPECT_EQ(eval("=tKinds(1,,{1,2;3,4})"), eval("={1,128,1022}"));
    EXPECT_EQ(eval("=tKinds(\"a\")"), eval("={2,128,128}"));
    host.sheet().set_constant({0, 0}, 5.0);
    EXPECT_EQ(eval("=tKinds(A1,A1:B3,C1)"), eval("={1,1032,256}")); // a range arrives as its values
}

TEST_F(HostCallbacks, ResultsOfTheAddin)
{
    EXPECT_EQ(eval("=tNull()"), Value(ErrorCode::num));
    const int freed = addin_symbol<int (*)()>("test_free_count")();
    EXPECT_EQ(eval("=tArray()"), eval("={1,2;3,4}"));
    EXPECT_EQ(addin_symbol<int (*)()>("test_free_count")(), freed + 1); // given back through xlAutoFree12
    EXPECT_EQ(eval("=INDEX(tArray(),2,2)"), Value(4.0));
    EXPECT_EQ(eval("=tThrow()"), Value(ErrorCode::value)); // the host survives an escaping exception
    EXPECT_EQ(eval("=tYear(41790)"), Value(2014.0));       // built-ins by number, wide
    EXPECT_EQ(eval("=tYear8(41790)"), Value(2014.0));      // and 8-bit
    EXPECT_EQ(eval("=tYear(-1)"), Value(ErrorCode::num));
    EXPECT_EQ(eval("=tVolatile()+0*tVolatile()"), Value(1.0));
    EXPECT_EQ(eval("=tRecurse()"), Value(ErrorCode::value)); // stopped, not a stack overflow
}

TEST_F(HostCallbacks, DialogBoxAnswers)
{
    const Value chosen = eval("=tDialog()");
    ASSERT_TRUE(chosen.is_array());
    EXPECT_EQ(chosen.array().at(0, 6), Value(1.0)); // the default OK button
    EXPECT_EQ(chosen.array().at(3, 6), Value(u"guest"));
    EXPECT_EQ(host.outstanding_results(), 0u); // the host's table came back and was freed

    host.ui().queue_dialog_answer({true, 0, {}});
    EXPECT_EQ(eval("=tDialog()"), Value(false));
    host.ui().queue_dialog_answer({false, 1, {{3, u"bob"}}});
    const Value typed = eval("=tDialog()");
    EXPECT_EQ(typed.array().at(3, 6), Value(u"bob"));
    host.ui().queue_dialog_answer({false, 2, {}}); // the Cancel button
    EXPECT_EQ(eval("=tDialog()"), Value(false));
}

TEST_F(HostCallbacks, MessageBoxAndAlertFollowTheScript)
{
    EXPECT_EQ(host.run_macro("tAlert"), Value(1.0));
    host.ui().queue_alert_answer(AlertAnswer::cancel);
    EXPECT_EQ(host.run_macro("TALERT"), Value(2.0));
    EXPECT_EQ(host.run_macro("_tAlert@0"), Value(1.0)); // also by procedure name
    EXPECT_EQ(host.run_macro("'Book 1'!tAlert"), Value(1.0)); // and qualified by a book
    EXPECT_EQ(shown.str(), "Test: Continue?\nAlert: went on\nTest: Continue?\nAlert: stopped\nTest: Continue?\nAlert: went on\n"
                           "Test: Continue?\nAlert: went on\n");
    EXPECT_EQ(host.ui().alerts().size(), 8u);
    EXPECT_THROW(host.run_macro("nosuch"), UsageError);
}

TEST_F(HostCallbacks, ExportedEntryPointsReachTheActiveHost)
{
    auto version = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "XLCallVer"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 0x0C00);
    {
        std::ostringstream alerts;
        Host old(HostOptions{0, AlertAnswer::cancel, false}, alerts);
        EXPECT_EQ(version(), 0x0B00);
        auto box = reinterpret_cast<int (*)(void*, const char*, const char*, unsigned)>(dlsym(RTLD_DEFAULT, "MessageBoxA"));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box(nullptr, "text", "Caption", 1), 2);
        EXPECT_EQ(alerts.str(), "Caption: text\n");
    }
    EXPECT_EQ(version(), 0x0C00); // the outer session is active again
    auto cb = reinterpret_cast<EXCEL12PROC>(dlsym(RTLD_DEFAULT, "MdCallBack12"));
    auto cb8 = reinterpret_cast<EXCEL4VPROC>(dlsym(RTLD_DEFAULT, "Excel4v"));
    ASSERT_NE(cb, nullptr);
    ASSERT_NE(cb8, nullptr);
    XLOPER12 result{};
    EXPECT_EQ(cb(xlfNow, 0, nullptr, &result), xlretSuccess);
    EXPECT_EQ(result.val.num, 41790.75);
}

TEST_F(HostCallbacks, CoerceConvertsOrFails)
{
    std::vector<Value> args{Value(u"12"), Value(static_cast<double>(xltypeNum))};
    Value out;
    EXPECT_EQ(host.dispatch(xlCoerce, args, out), xlretSuccess);
    EXPECT_EQ(out, Value(12.0));
    args = {Value(u"abc"), Value(static_cast<double>(xltypeNum))};
    EXPECT_EQ(host.dispatch(xlCoerce, args, out), xlretFailed);
    host.sheet().set_constant({1, 1}, Value(u"cell"));
    args = {Value(Ref{1, 1, 1, 1})};
    EXPECT_EQ(host.dispatch(xlCoerce, args, out), xlretSuccess);
    EXPECT_EQ(out, Value(u"cell"));
    args = {Value(3.0), Value(static_cast<double>(xltypeStr))};
    EXPECT_EQ(host.dispatch(xlCoerce, args, out), xlretSuccess);
    EXPECT_EQ(out, Value(u"3"));
}

TEST_F(HostCallbacks, EchoKeepsScreenUpdating)
{
    Value out;
    for (const auto& [given, on] : std::vector<std::pair<std::vector<Value>, bool>>{
             {{Value(false)}, false}, {{Value(true)}, true}, {{Value(0.0)}, false}, {{}, true}, {{}, false}}) {
        auto args = given;
        EXPECT_EQ(host.dispatch(xlfEcho, args, out), xlretSuccess);
        EXPECT_EQ(host.screen_updating(), on) << "ECHO without a value switches it over";
    }
}

} // namespace
} // namespace zorvane::host::test
