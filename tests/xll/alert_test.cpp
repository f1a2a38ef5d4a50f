// Alert levels, the stored filter and the ALERT.FILTER dialog.
#include <gtest/gtest.h>

#include "mock_host.h"
#include "xll/xll.h"
#include "xll/registry.h"

using namespace xll;

extern "C" int xll_alert_filter(void) XLL_EXPORT_AS(xll_alert_filter);

namespace {

uint32_t stored_filter()
{
    Reg::Setting<char> s(platform::reg_current_user(), "Software\\TEVO\\xll", "xll_alert_level", 99);
    return s.value();
}

// A dialog answer: the table with OK (item 5) chosen and the given check-box values.
mock::Value press_ok(const mock::Value& table, double error, double warning, double info)
{
    mock::Value v = table;
    v.items[0 * 7 + 6].type = xltypeNum;
    v.items[0 * 7 + 6].num = 5;
    const double values[] = {error, warning, info};
    for (int r = 2; r <= 4; ++r) {
        v.items[static_cast<size_t>(r * 7 + 6)].type = xltypeBool;
        v.items[static_cast<size_t>(r * 7 + 6)].num = values[r - 2];
    }
    return v;
}

} // namespace

class Alerts : public ::testing::Test {
protected:
    void SetUp() override
    {
        mock::host().reset();
        set_alert_filter(3);
    }
};

TEST_F(Alerts, CancelSwitchesALevelOffAndIsStored)
{
    EXPECT_EQ(xll_alert_error("first"), id_ok);
    mock::host().box_answers.push_back(id_cancel);
    EXPECT_EQ(xll_alert_error("second"), id_cancel);
    EXPECT_EQ(xll_alert_error("third"), 0); // not shown any more
    EXPECT_EQ(xll_alert_warning("still shown"), id_ok);
    EXPECT_EQ(alert_filter(), 2u);
    EXPECT_EQ(stored_filter(), 2u); // a reload reads what Cancel stored
    ASSERT_EQ(mock::host().boxes.size(), 3u);
    EXPECT_EQ(mock::host().boxes[0], "Error: first");
    EXPECT_EQ(mock::host().boxes[2], "Warning: still shown");

    set_alert_filter(0);
    EXPECT_EQ(xll_alert_warning("hidden"), 0);
    EXPECT_EQ(mock::host().boxes.size(), 3u);
}

TEST_F(Alerts, FilterDialogStoresWhatOkConfirms)
{
    set_alert_filter(4);
    mock::Value shown;
    mock::host().dialog = [&](const mock::Value& t) {
        shown = t;
        return press_ok(t, 1, 1, 1);
    };
    EXPECT_EQ(xll_alert_filter(), 1);
    ASSERT_EQ(shown.rows, 7);
    ASSERT_EQ(shown.columns, 7);
    EXPECT_EQ(shown.items[5].text, "Alert Filter");
    EXPECT_EQ(shown.items[2 * 7 + 6].num, 0); // only Info was ticked
    EXPECT_EQ(shown.items[3 * 7 + 6].num, 0);
    EXPECT_EQ(shown.items[4 * 7 + 6].num, 4);
    EXPECT_EQ(shown.items[4 * 7 + 6].type, unsigned(xltypeNum));
    EXPECT_EQ(shown.items[5 * 7 + 0].num, 3);
    EXPECT_EQ(alert_filter(), 7u);
    EXPECT_EQ(stored_filter(), 7u);

    mock::host().dialog = [](const mock::Value& t) { return press_ok(t, 0, 1, 0); };
    xll_alert_filter();
    EXPECT_EQ(alert_filter(), 2u);
}

TEST_F(Alerts, CancelledDialogChangesNothing)
{
    mock::host().dialog = [](const mock::Value&) {
        mock::Value no;
        no.type = xltypeBool;
        no.num = 0;
        return no;
    };
    EXPECT_EQ(xll_alert_filter(), 1);
    EXPECT_EQ(alert_filter(), 3u);

    // A host that fails the dialog: an error alert and 0, never an exception.
    mock::host().fail = [](int xlfn) { return xlfn == xlfDialogBox ? xlretFailed : 0; };
    EXPECT_EQ(xll_alert_filter(), 0);
    ASSERT_FALSE(mock::host().boxes.empty());
    EXPECT_EQ(mock::host().boxes.back(), "Error: Excel returned command failed");
}

TEST_F(Alerts, MistypedStoredValueIsReplacedByTheDefault)
{
    platform::reg_key key = nullptr;
    ASSERT_EQ(platform::reg_create_key(platform::reg_current_user(), "Software\\TEVO\\xll", &key), 0);
    const char text[] = "seven";
    platform::reg_set_value(key, "xll_alert_level", 1 /* a string */, text, sizeof text);
    platform::reg_close(key);
    EXPECT_EQ(stored_filter(), 99u); // the default of this reader
    Reg::CreateKey<char> again(platform::reg_current_user(), "Software\\TEVO\\xll");
    EXPECT_EQ(again.QueryValue("xll_alert_level"), 99u); // written back as a number
    try {
        again.QueryValue("no such value");
        FAIL();
    }
    catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Reg::Key<char>::QueryValue"), std::string::npos);
    }
}
