// The road to the host: argument limits, return-code texts and freeing what the host allocated.
#include <gtest/gtest.h>

#include <vector>

#include "mock_host.h"
#include "xll/host_call.h"

using namespace xll;

class HostCall : public ::testing::Test {
protected:
    void SetUp() override { mock::host().reset(); }
};

TEST_F(HostCall, WideCallsCarryUpTo255Arguments)
{
    std::vector<OPER12> values(256, OPER12(1.0));
    std::vector<XLOPER12*> ptrs;
    for (auto& v : values)
        ptrs.push_back(&v);
    OPER12 result;
    EXPECT_EQ(traits<XLOPER12>::Excelv(xlfCount, &result, 255, ptrs.data()), xlretInvXlfn);
    ASSERT_EQ(mock::host().calls.size(), 1u);
    EXPECT_EQ(mock::host().calls[0].args.size(), 255u);
    try {
        traits<XLOPER12>::Excelv(xlfCount, &result, 256, ptrs.data());
        FAIL();
    }
    catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), ensure_text("traits", 141, "xll::traits<struct xloper12>::Excel",
                                                      "count <= limits<XLOPER12>::maxargs"));
    }
    EXPECT_EQ(mock::host().calls.size(), 1u);

    std::vector<OPER> narrow(31, OPER(1.0));
    std::vector<XLOPER*> nptrs;
    for (auto& v : narrow)
        nptrs.push_back(&v);
    OPER r8;
    EXPECT_EQ(traits<XLOPER>::Excelv(xlfCount, &r8, 30, nptrs.data()), xlretInvXlfn);
    EXPECT_THROW(traits<XLOPER>::Excelv(xlfCount, &r8, 31, nptrs.data()), std::runtime_error);
}

TEST_F(HostCall, ReturnCodesBecomeFixedTexts)
{
    const std::pair<int, const char*> table[] = {
        {1, "Excel returned macro halted"},
        {2, "Excel returned invalid function number"},
        {4, "Excel returned invalid number of arguments"},
        {8, "Excel returned invalid OPER structure"},
        {16, "Excel returned stack overflow"},
        {32, "Excel returned command failed"},
        {64, "Excel returned uncalced cell"},
        {128, "Excel returned not allowed during multi-threaded calc"},
        {256, "Excel returned invalid asynchronous function handle"},
        {512, "Excel returned not supported on cluster"},
        {3, "Excel returned an unknown error! This should never happen"},
        {1024, "Excel returned an unknown error! This should never happen"},
    };
    for (auto [code, text] : table) {
        mock::host().fail = [code = code](int) { return code; };
        try {
            Excel12(xlGetName);
            ADD_FAILURE() << code;
        }
        catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), text) << code;
        }
    }
    EXPECT_NO_THROW(check_return_code(0));
}

TEST_F(HostCall, HostValuesAreFreedOnceCopied)
{
    {
        auto name = Excel12(xlGetName);
        OPER12 copy = name.copy();
        EXPECT_EQ(mock::host().outstanding, 1);
        EXPECT_EQ(copy.text(), XLL_T("/opt/addins/Zorvane.xll"));
    }
    EXPECT_EQ(mock::host().outstanding, 0);
    EXPECT_EQ(mock::host().frees, 1);
    {
        auto s = Excel4(xlfConcatenate, OPER("a"), OPER(2.0));
        EXPECT_EQ(OPER(s.copy()).text(), "a2");
    }
    EXPECT_EQ(mock::host().outstanding, 0);
}

TEST_F(HostCall, VersionTellsWhetherTheWideInterfaceExists)
{
    mock::host().version = 0x0C00;
    EXPECT_TRUE(host_has_wide_interface());
    mock::host().version = 3071;
    EXPECT_FALSE(host_has_wide_interface());
}
