// A small add-in for the host's tests: it registers a few procedures of different signatures from
// xlAutoOpen through the host's callbacks, and calls back into the host from some of them.
#include "records.h"
#include "xll/xlcall.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

EXCEL12PROC callback()
{
    return reinterpret_cast<EXCEL12PROC>(dlsym(RTLD_DEFAULT, "MdCallBack12"));
}

EXCEL4VPROC callback8()
{
    return reinterpret_cast<EXCEL4VPROC>(dlsym(RTLD_DEFAULT, "Excel4v"));
}

using namespace zorvane::test_records;

int call(int xlfn, XLOPER12* result, std::vector<XLOPER12*> args)
{
    return callback()(xlfn, static_cast<int>(args.size()), args.data(), result);
}

std::vector<double> register_results;
int free_count = 0;
int tick_count = 0;
int volatile_count = 0;

double register_one(XLOPER12* module, std::vector<std::u16string> slots)
{
    std::vector<Text12> texts;
    texts.reserve(slots.size());
    for (const auto& s : slots)
        texts.emplace_back(s);
    std::vector<XLOPER12*> args{module};
    for (auto& t : texts)
        args.push_back(&t.x);
    // The macro type slot is a number.
    XLOPER12 macro_type{};
    if (args.size() > 5) {
        macro_type = number(slots[4] == u"2" ? 2 : 1);
        args[5] = &macro_type;
    }
    XLOPER12 result{};
    const int rc = call(xlfRegister, &result, args);
    const double answer = rc != xlretSuccess ? -1000 - rc : result.xltype == xltypeNum ? result.val.num : -static_cast<double>(result.val.err);
    register_results.push_back(answer);
    return answer;
}

thread_local XLOPER12 returned;
std::unique_ptr<XLOPER12[]> array_handed_out; // until the host gives it back

} // namespace

TEST_EXPORT int xlAutoOpen()
{
    register_results.clear();
    tick_count = 0;
    volatile_count = 0;
    XLOPER12 name{};
    if (call(xlGetName, &name, {}) != xlretSuccess)
        return 0;
    //                     procedure        type       function text  arguments         macro category   shortcut help-topic function help        argument help
    register_one(&name, {u"tAdd", u"BBB", u"tAdd", u"a,b", u"1", u"Test", u"", u"", u"Adds two numbers.", u"the first", u"the second"});
    register_one(&name, {u"tDescribe", u"QC%BAJ", u"tDescribe", u"text,num,flag,int", u"1", u"Test", u"", u"", u"Tells what arrived."});
    register_one(&name, {u"tKinds", u"QQQQ", u"tKinds", u"x,y,z", u"1", u"Test"});
    register_one(&name, {u"tNull", u"Q", u"tNull", u"", u"1", u"Test"});
    register_one(&name, {u"tArray", u"Q", u"tArray", u"", u"1", u"Test"});
    register_one(&name, {u"tThrow", u"Q", u"tThrow", u"", u"1", u"Test"});
    register_one(&name, {u"tVolatile", u"B!", u"tVolatile", u"", u"1", u"Test"});
    register_one(&name, {u"tYear", u"QQ", u"tYear", u"serial", u"1", u"Test"});
    register_one(&name, {u"tYear8", u"QQ", u"tYear8", u"serial", u"1", u"Test"});
    register_one(&name, {u"tDialog", u"Q", u"tDialog", u"", u"1", u"Test"});
    register_one(&name, {u"tSchedule", u"J", u"tSchedule", u"", u"2", u"Test"});
    register_one(&name, {u"tTick", u"J", u"tTick", u"", u"2", u"Test"});
    register_one(&name, {u"tBind", u"J", u"tBind", u"", u"2", u"Test"});
    register_one(&name, {u"_tAlert@0", u"J", u"tAlert", u"", u"2", u"Test"});
    register_one(&name, {u"tRecurse", u"Q", u"tRecurse", u"", u"1", u"Test"});
    register_one(&name, {u"tAbsent", u"BB", u"tAbsent", u"x", u"1", u"Test"}); // not exported: #VALUE!
    callback()(xlFree, 1, std::vector<XLOPER12*>{&name}.data(), nullptr);
    return 1;
}

TEST_EXPORT int xlAutoClose()
{
    return 1;
}

TEST_EXPORT void xlAutoFree12(XLOPER12* x)
{
    ++free_count;
    if ((x->xltype & ~xlbitDLLFree) == xltypeMulti && x->val.array.lparray == array_handed_out.get())
        array_handed_out.reset();
}

// What the tests read back.
TEST_EXPORT int test_register_results(double* out, int n)
{
    for (int i = 0; i < n && i < static_cast<int>(register_results.size()); ++i)
        out[i] = register_results[static_cast<std::size_t>(i)];
    return static_cast<int>(register_results.size());
}
TEST_EXPORT int test_free_count() { return free_count; }
TEST_EXPORT int test_tick_count() { return tick_count; }

TEST_EXPORT double tAdd(double a, double b)
{
    return a + b;
}

// "text|num|flag|int" of what arrived, to check each argument conversion.
TEST_EXPORT XLOPER12* tDescribe(const XCHAR* text, double num, short flag, int whole)
{
    static std::u16string out;
    std::string n = std::to_string(num);
    out = std::u16string(1, u'\0');
    out += text;
    out += u"|";
    for (char c : n)
        out += static_cast<char16_t>(c);
    out += flag ? u"|TRUE|" : u"|FALSE|";
    for (char c : std::to_string(whole))
        out += static_cast<char16_t>(c);
    out[0] = static_cast<char16_t>(out.size() - 1);
    returned = XLOPER12{};
    returned.xltype = xltypeStr;
    returned.val.str = out.data();
    return &returned;
}

// The type tags of the three arguments, as a 1x3 array of numbers.
TEST_EXPORT XLOPER12* tKinds(XLOPER12* x, XLOPER12* y, XLOPER12* z)
{
    static XLOPER12 cells[3];
    XLOPER12* in[] = {x, y, z};
    for (int i = 0; i < 3; ++i)
        cells[i] = number(in[i]->xltype == xltypeMulti ? 1000 + in[i]->val.array.rows * 10 + in[i]->val.array.columns : in[i]->xltype);
    returned = XLOPER12{};
    returned.xltype = xltypeMulti;
    returned.val.array.lparray = cells;
    returned.val.array.rows = 1;
    returned.val.array.columns = 3;
    return &returned;
}

TEST_EXPORT XLOPER12* tNull()
{
    return nullptr;
}

// A 2x2 array the host must give back through xlAutoFree12.
TEST_EXPORT XLOPER12* tArray()
{
    array_handed_out = std::make_unique<XLOPER12[]>(4);
    XLOPER12* cells = array_handed_out.get();
    for (int i = 0; i < 4; ++i)
        cells[i] = number(i + 1);
    returned = XLOPER12{};
    returned.xltype = xltypeMulti | xlbitDLLFree;
    returned.val.array.lparray = cells;
    returned.val.array.rows = 2;
    returned.val.array.columns = 2;
    return &returned;
}

TEST_EXPORT XLOPER12* tThrow()
{
    throw std::runtime_error("escaping");
}

// Evaluates a formula that calls itself again: the host has to stop the recursion.
TEST_EXPORT XLOPER12* tRecurse()
{
    Text12 formula(u"=tRecurse()");
    static XLOPER12 result;
    if (call(xlfEvaluate, &result, {&formula.x}) != xlretSuccess)
        return nullptr;
    return &result;
}

TEST_EXPORT double tVolatile()
{
    return ++volatile_count;
}

// YEAR through the wide callback; the host's result is copied, then freed with xlFree.
TEST_EXPORT XLOPER12* tYear(XLOPER12* serial)
{
    XLOPER12 result{};
    const int rc = call(xlfYear, &result, {serial});
    returned = rc == xlretSuccess ? result : number(-rc);
    return &returned;
}

// YEAR through the 8-bit callback.
TEST_EXPORT XLOPER12* tYear8(XLOPER12* serial)
{
    XLOPER in = number<XLOPER>(serial->xltype == xltypeNum ? serial->val.num : 0);
    XLOPER out{};
    XLOPER* args[] = {&in};
    const int rc = callback8()(xlfYear, &out, 1, args);
    returned = rc != xlretSuccess ? number(-rc) : out.xltype == xltypeNum ? number(out.val.num) : number(-999);
    return &returned;
}

// A dialog with an OK button, a Cancel button and a text box; returns the host's answer.
TEST_EXPORT XLOPER12* tDialog()
{
    static XLOPER12 table[4 * 7];
    static Text12 title(u"Log in"), ok(u"OK"), cancel(u"Cancel"), initial(u"guest");
    for (auto& cell : table)
        cell.xltype = xltypeNil;
    table[0 * 7 + 5] = title.x;
    table[1 * 7 + 0] = number(1);
    table[1 * 7 + 5] = ok.x;
    table[2 * 7 + 0] = number(2);
    table[2 * 7 + 5] = cancel.x;
    table[3 * 7 + 0] = number(6);
    table[3 * 7 + 6] = initial.x;
    XLOPER12 definition{};
    definition.xltype = xltypeMulti;
    definition.val.array.lparray = table;
    definition.val.array.rows = 4;
    definition.val.array.columns = 7;
    static XLOPER12 answer;
    if (call(xlfDialogBox, &answer, {&definition}) != xlretSuccess)
        return nullptr;
    // Host-allocated: the host frees it when it gets it back (xlbitXLFree).
    return &answer;
}

// Schedules tTick two seconds from now and shows a status text.
TEST_EXPORT int tSchedule()
{
    XLOPER12 now{};
    call(xlfNow, &now, {});
    XLOPER12 when = number(now.val.num + 2.0 / 86400);
    Text12 macro(u"tTick");
    call(xlcOnTime, nullptr, {&when, &macro.x});
    XLOPER12 yes = boolean(true);
    Text12 status(u"scheduled");
    call(xlcMessage, nullptr, {&yes, &status.x});
    return 1;
}

TEST_EXPORT int tTick()
{
    ++tick_count;
    XLOPER12 no = boolean(false);
    call(xlcMessage, nullptr, {&no});
    return 1;
}

TEST_EXPORT int tBind()
{
    Text12 key(u"^{F5}"), macro(u"tAlert");
    return call(xlcOnKey, nullptr, {&key.x, &macro.x});
}

namespace {
__attribute__((noinline)) int alert_and_answer()
{
    using Box = int (*)(void*, const char*, const char*, unsigned);
    auto box = reinterpret_cast<Box>(dlsym(RTLD_DEFAULT, "MessageBoxA"));
    const int answer = box ? box(nullptr, "Continue?", "Test", 1) : -1;
    Text12 text(answer == 1 ? u"went on" : u"stopped");
    call(xlcAlert, nullptr, {&text.x});
    return answer;
}
} // namespace

// Exported as "_tAlert@0" on Windows, so as "_tAlert$0" here. It only forwards: a body that
// could throw would give the compiler a ".cold" part whose derived name the assembler rejects.
TEST_EXPORT int test_alert() __asm__("\"_tAlert$0\"");
TEST_EXPORT int test_alert()
{
    return alert_and_answer();
}
