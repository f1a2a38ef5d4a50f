// Registration records, the register and unregister roads and the open/remove sequences, against
// a scripted host.
#include <gtest/gtest.h>

#include <algorithm>

#include "mock_host.h"
#include "xll/xll.h"

using namespace xll;

extern "C" {
int xlAutoOpen(void);
int xlAutoRemove(void);
LPXLOPER12 xlAutoRegister12(LPXLOPER12);
}

namespace {

const std::vector<mock::Value>* register_call(const std::string& function_text)
{
    for (const auto& c : mock::host().register_calls)
        if (c.size() > 3 && c[3].text == function_text)
            return &c;
    return nullptr;
}

std::string topic(uint32_t hash) { return "/opt/addins/Zorvane.chm!" + std::to_string(hash); }

} // namespace

class Registration : public ::testing::Test {
protected:
    void SetUp() override { mock::host().reset(); }
};

TEST_F(Registration, HelpContextIsTheNameHash)
{
    EXPECT_EQ(help_hash(u"abc", 3), 193485963u);
    EXPECT_EQ(help_hash("abc", 3), 193485963u);
    EXPECT_EQ(help_hash(u"", 0), 5381u);
}

TEST_F(Registration, ThreeArgumentsPassThirteenValues)
{
    Args12 args = Args12(XLL_T("Q"), XLL_T("?zStatement"), XLL_T("zThree"))
                      .Arg(XLL_T("C%"), XLL_T("First"), XLL_T("One. "))
                      .Arg(XLL_T("J12"), XLL_T("Second"), XLL_T("Two. "))
                      .Arg(XLL_T("A"), XLL_T("Third"), XLL_T("Three. "))
                      .Category(XLL_T("Zorvane"))
                      .FunctionHelp(XLL_T("Help."));
    args.finish();
    OPER12 id = Register(args);
    EXPECT_TRUE(id.is(xltypeNum));
    const auto* call = register_call("zThree");
    ASSERT_NE(call, nullptr);
    ASSERT_EQ(call->size(), 13u);
    const auto& c = *call;
    EXPECT_EQ(c[0].text, "/opt/addins/Zorvane.xll");
    EXPECT_EQ(c[1].text, "?zStatement");
    EXPECT_EQ(c[2].text, "QC%JA"); // "1" and "2" are dropped from type codes
    EXPECT_EQ(c[4].text, "First, Second, Third");
    EXPECT_EQ(c[5].num, 1);
    EXPECT_EQ(c[6].text, "Zorvane");
    EXPECT_EQ(c[7].type, unsigned(xltypeNil));
    EXPECT_EQ(c[8].text, topic(help_hash(u"zThree", 6)));
    EXPECT_EQ(c[9].text, "Help.");
    EXPECT_EQ(c[12].text, "Three. ");
    EXPECT_EQ(RegisterIds<XLOPER12>().at(id.val.num), &args);

    EXPECT_EQ(args.ArgCount(), 4u);
    EXPECT_EQ(args.Arg(2).name.text(), XLL_T("Second"));
    try {
        args.Arg(4);
        FAIL();
    }
    catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  ensure_text("args", 303, "xll::XArgs<struct xloper12>::Arg", "i < ArgCount()"));
    }
}

TEST_F(Registration, UnnamedArgumentKeepsItsHelpSlot)
{
    Args12 args = Args12(XLL_T("Q!"), XLL_T("?zVersion"), XLL_T("zV"))
                      .Arg(XLL_T("U"), XLL_T(""), XLL_T("No argument required. "));
    EXPECT_EQ(args.size(), 11u);
    EXPECT_EQ(args[slot_argument_text].text(), XLL_T(""));
    EXPECT_EQ(args[slot_type_text].text(), XLL_T("Q!U"));
}

TEST_F(Registration, CommandsAndDocumentationRecords)
{
    Args12 cmd(XLL_T("?zmClear_Cache"), XLL_T("zClearCache"));
    cmd.finish();
    Register(cmd);
    const auto* call = register_call("zClearCache");
    ASSERT_NE(call, nullptr);
    ASSERT_EQ(call->size(), 10u);
    EXPECT_EQ((*call)[5].num, 2);
    for (size_t slot : {2u, 4u, 6u, 7u, 8u, 9u})
        EXPECT_EQ((*call)[slot].type, unsigned(xltypeNil)) << slot;

    Args12 doc = Args12::Documentation(XLL_T("Regex"));
    OPER12 r = Register(doc);
    EXPECT_TRUE(r.is(xltypeBool));
    EXPECT_EQ(doc.help_context(), help_hash(u"Regex", 5));
    EXPECT_TRUE(mock::host().register_calls.size() == 1);
}

TEST_F(Registration, OpenRegistersBothListsInOrder)
{
    EXPECT_EQ(xlAutoOpen(), 1);
    EXPECT_TRUE(mock::host().alerts.empty());
    const auto& calls = mock::host().register_calls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0][3].text, "ALERT.FILTER"); // the 8-bit list goes first
    const auto* d = register_call("zD");
    const auto* date = register_call("zSQLDate");
    ASSERT_TRUE(d && date);
    EXPECT_EQ((*d)[1].text, "?zSQLDate"); // both names reach the same export
    EXPECT_LT(date, d);
    EXPECT_EQ((*date)[2].text, "QB");
    EXPECT_EQ((*date)[8].text, topic(help_hash(u"zSQLDate", 8)));
    EXPECT_EQ((*date)[10].text, "An Excel date. ");

    // xlAutoRegister12 answers the id of a registered name, whatever its case.
    OPER12 name(XLL_T("ZSQLDATE"));
    LPXLOPER12 answer = xlAutoRegister12(&name);
    EXPECT_EQ(answer->xltype, unsigned(xltypeNum));
    EXPECT_EQ(RegisterIds<XLOPER12>().at(answer->val.num)->operator[](slot_function_text).text(), XLL_T("zSQLDate"));
    OPER12 unknown(XLL_T("zNoSuchName"));
    EXPECT_EQ(xlAutoRegister12(&unknown), answer); // same static, left as it was

    size_t before = mock::host().count(xlfUnregister);
    EXPECT_EQ(xlAutoRemove(), 1);
    EXPECT_GT(mock::host().count(xlfUnregister), before);
    for (auto* a : AddIn12::List())
        EXPECT_EQ(a->register_id(), 0);
}

TEST_F(Registration, RefusedRecordStopsTheWalkWithTwoAlerts)
{
    mock::host().refuse.insert("?zSQLDateTime");
    EXPECT_EQ(xlAutoOpen(), 0);
    ASSERT_EQ(mock::host().alerts.size(), 2u);
    EXPECT_EQ(mock::host().alerts[0], "?zSQLDateTime: failed to register.\nDid you forget #pragma XLLEXPORT?");
    EXPECT_EQ(mock::host().alerts[1], ensure_text("auto", 18, "xlAutoOpen", "AddIn12::RegisterAll()"));
    EXPECT_NE(register_call("zD"), nullptr);
    EXPECT_EQ(register_call("zDT"), nullptr); // later records stay unregistered
}

TEST_F(Registration, OldHostGetsOnlyTheEightBitList)
{
    mock::host().version = 3071;
    EXPECT_EQ(xlAutoOpen(), 1);
    // ALERT.FILTER and the two paste macros; without the count the loop below passes on nothing.
    ASSERT_EQ(mock::host().register_calls.size(), 3u);
    for (const auto& c : mock::host().register_calls)
        EXPECT_NE(c[1].text.rfind("_xll_", 0), std::string::npos) << c[1].text;
}

TEST_F(Registration, HostFailureInTheOpenSequenceIsAnAlertNotACrash)
{
    mock::host().fail = [](int xlfn) { return xlfn == xlfRegister ? xlretInvXloper : 0; };
    EXPECT_EQ(xlAutoOpen(), 1); // nothing written: the result stays TRUE and the walk goes on
    EXPECT_FALSE(mock::host().alerts.empty());
    EXPECT_EQ(mock::host().alerts[0], "_xll_alert_filter@0: failed to register.\nDid you forget #pragma XLLEXPORT?");

    mock::host().reset();
    mock::host().fail = [](int xlfn) { return xlfn == xlcOnKey ? xlretFailed : 0; };
    EXPECT_NO_THROW(xlAutoOpen());
}
