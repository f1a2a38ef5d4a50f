// A host that answers every callback with one failure code, for each code in turn, and every
// export of the add-in called under it with arguments of its registered types: each call returns
// in-band (a worksheet value, a command's 0 or 1), and no exception leaves an export.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <map>
#include <string>
#include <vector>

#include "host/bridge/dyncall.h"
#include "mock_host.h"
#include "xll/export_name.h"
#include "xll/oper.h"
#include "xll/text.h"

extern "C" {
int xlAutoOpen(void);
int xlAutoClose(void);
int xlAutoAdd(void);
int xlAutoRemove(void);
LPXLOPER12 xlAutoRegister12(LPXLOPER12);
LPXLOPER xlAutoRegister(LPXLOPER);
void xlAutoFree12(LPXLOPER12);
void xlAutoFree(LPXLOPER);
LPXLOPER12 zsplit(const XCHAR*, const XCHAR*, const XCHAR*) __asm__("\"?zSplit\"");
int loaded_message(void) __asm__("\"?xai_LoadedMsg\"");
}

using zorvane::host::DynArg;
using zorvane::host::DynReturn;

namespace {

struct Export {
    std::string procedure, type_text, name;
    bool command = false;
};

const int failure_codes[] = {xlretAbort,      xlretInvXlfn,        xlretInvCount,
                             xlretInvXloper,  xlretStackOvfl,      xlretFailed,
                             xlretUncalced,   xlretNotThreadSafe,  xlretInvAsynchronousContext,
                             xlretNotClusterSafe, 3 /* two bits at once */};

const std::map<int, std::string> code_texts = {
    {xlretAbort, "Excel returned macro halted"},
    {xlretInvXlfn, "Excel returned invalid function number"},
    {xlretInvCount, "Excel returned invalid number of arguments"},
    {xlretInvXloper, "Excel returned invalid OPER structure"},
    {xlretStackOvfl, "Excel returned stack overflow"},
    {xlretFailed, "Excel returned command failed"},
    {xlretUncalced, "Excel returned uncalced cell"},
    {xlretNotThreadSafe, "Excel returned not allowed during multi-threaded calc"},
    {xlretInvAsynchronousContext, "Excel returned invalid asynchronous function handle"},
    {xlretNotClusterSafe, "Excel returned not supported on cluster"},
    {3, "Excel returned an unknown error! This should never happen"},
};

// What a healthy host learns at load: every registered procedure with its type text.
std::vector<Export> registered_exports()
{
    mock::host().reset();
    EXPECT_EQ(xlAutoOpen(), 1);
    std::vector<Export> out;
    for (const auto& call : mock::host().register_calls) {
        Export e;
        e.procedure = call.at(1).text;
        e.type_text = call.size() > 2 ? call.at(2).text : "";
        e.name = call.size() > 3 ? call.at(3).text : e.procedure;
        e.command = call.size() > 5 && call.at(5).num == 2;
        out.push_back(e);
    }
    mock::host().reset();
    return out;
}

// Arguments for a type text, reaching as far into each function as plain values can: texts
// that split into fields the host is asked to read, a date, TRUE, a count.
struct Arguments {
    std::vector<xll::OPER12> values;
    std::vector<xll::xstring> texts;
    std::vector<DynArg> dyn;
    std::string unsupported;

    explicit Arguments(const std::string& type_text)
    {
        static const char* const text_args[] = {"12,ab;7", ",", ";", "x", "y", "z", "w"};
        size_t n_text = 0;
        std::vector<char> codes;
        for (size_t i = 1; i < type_text.size(); ++i) { // the result's code comes first
            char c = type_text[i];
            if (c == '!' || c == '#' || c == '$')
                continue;
            if (c == '%')
                continue; // part of C%
            codes.push_back(c);
        }
        values.reserve(codes.size());
        texts.reserve(codes.size());
        for (char c : codes) {
            switch (c) {
            case 'Q':
            case 'U': {
                xll::OPER12 v(2, 1);
                v(0, 0) = xll::xstring_view(xll::utf8_to_xstring("4,5"));
                v(1, 0) = 41790.75;
                values.push_back(v);
                dyn.push_back(DynArg::pointer(&values.back()));
                break;
            }
            case 'C':
                texts.push_back(xll::utf8_to_xstring(text_args[n_text++ % 7]));
                dyn.push_back(DynArg::pointer(texts.back().c_str()));
                break;
            case 'B': dyn.push_back(DynArg::real(41790.75)); break;
            case 'A': dyn.push_back(DynArg::signed_integer(1)); break;
            case 'J': dyn.push_back(DynArg::signed_integer(4096)); break;
            default: unsupported += c;
            }
        }
    }
};

// A value the host can read: known tag, strings within the worksheet's length, sane arrays.
::testing::AssertionResult readable(const XLOPER12& x, int depth = 0)
{
    switch (xll::base_type(x.xltype)) {
    case xltypeNum:
    case xltypeBool:
    case xltypeErr:
    case xltypeMissing:
    case xltypeNil:
    case xltypeInt: return ::testing::AssertionSuccess();
    case xltypeStr:
        if (!x.val.str)
            return ::testing::AssertionFailure() << "null string";
        if (xll::string_length(x) > static_cast<size_t>(xll::limits<XLOPER12>::maxchars))
            return ::testing::AssertionFailure() << "string over the worksheet's length";
        return ::testing::AssertionSuccess();
    case xltypeMulti: {
        if (depth > 0 || x.val.array.rows <= 0 || x.val.array.columns <= 0 || !x.val.array.lparray)
            return ::testing::AssertionFailure() << "malformed array";
        for (size_t k = 0; k < xll::size(x); ++k)
            if (auto r = readable(x.val.array.lparray[k], depth + 1); !r)
                return r;
        return ::testing::AssertionSuccess();
    }
    default: return ::testing::AssertionFailure() << "type " << x.xltype;
    }
}

class HostFailureCodes : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() { exports = new std::vector<Export>(registered_exports()); }
    static void TearDownTestSuite()
    {
        delete exports;
        exports = nullptr;
    }
    void SetUp() override
    {
        mock::host().reset();
        mock::host().fail = [code = GetParam()](int) { return code; };
    }
    void TearDown() override { mock::host().reset(); }

    static std::vector<Export>* exports;
};

std::vector<Export>* HostFailureCodes::exports = nullptr;

} // namespace

TEST_P(HostFailureCodes, EveryRegisteredExportAnswersInBand)
{
    ASSERT_GT(exports->size(), 20u);
    const int held = mock::host().outstanding;
    for (const auto& e : *exports) {
        SCOPED_TRACE(e.name + " (" + e.procedure + ", \"" + e.type_text + "\")");
        void* fn = dlsym(RTLD_DEFAULT, xll::export_symbol_name(e.procedure).c_str());
        ASSERT_NE(fn, nullptr);
        Arguments args(e.type_text);
        ASSERT_EQ(args.unsupported, "");
        try {
            if (e.command) {
                auto r = zorvane::host::dyn_call(fn, args.dyn, DynReturn::integer);
                int result = static_cast<int>(r.integer);
                EXPECT_TRUE(result == 0 || result == 1) << result;
            } else {
                auto r = zorvane::host::dyn_call(fn, args.dyn, DynReturn::integer);
                auto* x = reinterpret_cast<LPXLOPER12>(r.integer);
                // zSplit alone gives the cell no value after telling its failure in an alert.
                if (!x) {
                    EXPECT_EQ(e.name, "zSplit");
                    continue;
                }
                EXPECT_TRUE(readable(*x));
                EXPECT_EQ(x->xltype & xlbitXLFree, 0);
            }
        }
        catch (...) {
            ADD_FAILURE() << "an exception left the export";
        }
    }
    EXPECT_EQ(mock::host().outstanding, held); // a failed call leaves nothing of the host's behind
    // The arguments reach the host calls: the date and text functions, the macros' status bar,
    // dialog and clock, the cache's LEN, the split's VALUE were all asked and all failed.
    EXPECT_GT(mock::host().calls.size(), 15u);
}

// The failure reaches the user as the bridge's text for that code, through the alert the
// function's failure path shows; the host's own alert call fails too, so the add-in's message
// box carries it.
TEST_P(HostFailureCodes, FailureTextNamesTheCode)
{
    xll::xstring text = xll::utf8_to_xstring("1,2"), comma = xll::utf8_to_xstring(",");
    EXPECT_EQ(zsplit(text.c_str(), comma.c_str(), nullptr), nullptr);
    ASSERT_FALSE(mock::host().boxes.empty());
    EXPECT_EQ(mock::host().boxes.back(), "Error: " + code_texts.at(GetParam()));
}

// The entry points: opening fails with 0 after its alert, the others answer as the interface
// expects; none throws.
TEST_P(HostFailureCodes, EntryPointsReturn)
{
    const int held = mock::host().outstanding; // the library's path, kept from the first load
    try {
        EXPECT_EQ(xlAutoOpen(), 0);
        int close = xlAutoClose(), add = xlAutoAdd(), remove = xlAutoRemove();
        EXPECT_TRUE(close == 0 || close == 1);
        EXPECT_TRUE(add == 0 || add == 1);
        EXPECT_TRUE(remove == 0 || remove == 1);
        xll::OPER12 name(xll::xstring_view(xll::utf8_to_xstring("zSQLDate")));
        LPXLOPER12 r12 = xlAutoRegister12(&name);
        if (r12) {
            EXPECT_TRUE(readable(*r12));
        }
        xll::OPER name8(std::string_view("zSQLDate"));
        LPXLOPER r8 = xlAutoRegister(&name8);
        if (r8) {
            EXPECT_NE(r8->xltype, 0u);
        }
        // The load message is exported too, though only the open sequence calls it.
        int shown = loaded_message();
        EXPECT_EQ(shown, 0);
        xll::OPER12 nothing;
        xlAutoFree12(&nothing);
        xll::OPER nothing8;
        xlAutoFree(&nothing8);
    }
    catch (...) {
        ADD_FAILURE() << "an exception left an entry point";
    }
    EXPECT_EQ(mock::host().outstanding, held);
}

INSTANTIATE_TEST_SUITE_P(EachCode, HostFailureCodes, ::testing::ValuesIn(failure_codes),
                         [](const ::testing::TestParamInfo<int>& code) { return "code" + std::to_string(code.param); });
