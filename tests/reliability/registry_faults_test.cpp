// The stored alert filter when the store holds something else than the add-in wrote: the add-in
// still loads, alerts fall back to the default levels (errors and warnings shown), and the value
// is written back as a 32-bit number.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/process.h"

namespace fs = std::filesystem;

namespace {

// Over the worksheet's 16384 columns: zSplit tells the failure in an Error alert.
const std::string failing_split = "=zSplit(REPT(\",\",16384),\",\")";
constexpr uint32_t reg_sz = 1, reg_dword = 4, default_filter = 3;

class RegistryFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zorvane-registry-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        runtime = pattern;
        key = runtime / "zorvane-registry" / "HKEY_CURRENT_USER" / "Software" / "TEVO" / "xll";
        fs::create_directories(key);
    }
    void TearDown() override { fs::remove_all(runtime); }

    void store(uint32_t type, const std::string& data)
    {
        std::ofstream out(key / "xll_alert_level", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(&type), 4);
        out << data;
    }
    std::string stored() const
    {
        std::ifstream in(key / "xll_alert_level", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static std::string dword(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
    test::Run run_failing_split() { return test::eval_csv({failing_split}, "XDG_RUNTIME_DIR=" + runtime.string()); }

    fs::path runtime, key;
};

} // namespace

TEST_F(RegistryFaults, StoredFilterIsObeyed)
{
    store(reg_dword, dword(0)); // every level switched off
    auto r = run_failing_split();
    EXPECT_EQ(r.status, test::printed_failure_status);
    EXPECT_EQ(r.err.find("Error:"), std::string::npos) << r.err;
    EXPECT_EQ(stored(), dword(reg_dword) + dword(0));
}

TEST_F(RegistryFaults, ValueOfTheWrongTypeFallsBackToTheDefault)
{
    store(reg_sz, std::string("0\0", 2));
    auto r = run_failing_split();
    EXPECT_EQ(r.status, test::printed_failure_status);
    EXPECT_NE(r.err.find("Error: file: oper"), std::string::npos) << r.err;
    EXPECT_EQ(stored(), dword(reg_dword) + dword(default_filter));
}

TEST_F(RegistryFaults, NumberOfTheWrongSizeFallsBackToTheDefault)
{
    store(reg_dword, std::string("\0\0", 2));
    auto r = run_failing_split();
    EXPECT_NE(r.err.find("Error: file: oper"), std::string::npos) << r.err;
    EXPECT_EQ(stored(), dword(reg_dword) + dword(default_filter));
}

// A folder where the value belongs can be neither read nor replaced: the filter lives in memory.
TEST_F(RegistryFaults, UnreadableValueLeavesTheFilterInMemory)
{
    fs::create_directories(key / "xll_alert_level");
    auto r = run_failing_split();
    EXPECT_EQ(r.status, test::printed_failure_status);
    EXPECT_NE(r.err.find("Error: file: oper"), std::string::npos) << r.err;
}

// A store that cannot be created at all (a file where its folder belongs).
TEST_F(RegistryFaults, UncreatableStoreStillAlerts)
{
    fs::remove_all(runtime / "zorvane-registry");
    std::ofstream(runtime / "zorvane-registry") << "not a folder";
    auto r = run_failing_split();
    EXPECT_EQ(r.status, test::printed_failure_status);
    EXPECT_NE(r.err.find("Error: file: oper"), std::string::npos) << r.err;
}
