// The add-in's one edge: what the guard answers and tells for each kind of failure, and that every
// export goes through it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "mock_host.h"
#include "xll/guarded.h"

using namespace xll;

namespace {

struct NotAnException {};

class Guarded : public ::testing::Test {
protected:
    void SetUp() override
    {
        mock::host().reset();
        set_alert_filter(alert_error | alert_warning);
    }
};

TEST_F(Guarded, WorkThatSucceedsAnswersForItselfAndTellsNothing)
{
    EXPECT_EQ(guarded(answer(0, alerting("never")), [] { return 7; }), 7);
    int touched = 0;
    guarded(alerting("never"), [&] { ++touched; });
    EXPECT_EQ(touched, 1);
    EXPECT_TRUE(mock::host().boxes.empty());
}

TEST_F(Guarded, EachFailureIsAnsweredAndToldAsAsked)
{
    const auto fails = [] {
        return guarded(answer(0, alerting("macro failed")), []() -> int { throw std::runtime_error("no room"); });
    };
    EXPECT_EQ(fails(), 0);
    EXPECT_EQ(guarded(answer(0, alerting("macro failed")), []() -> int { throw NotAnException{}; }), 0);
    // Without a fallback a failure that has no text goes untold; quietly tells nothing at all.
    EXPECT_EQ(guarded(answer(-1, alerting()), []() -> int { throw NotAnException{}; }), -1);
    EXPECT_EQ(guarded(answer(-2), []() -> int { throw std::runtime_error("quiet"); }), -2);
    guarded(quietly, [] { throw std::logic_error("gone"); });
    ASSERT_EQ(mock::host().boxes.size(), 2u);
    EXPECT_EQ(mock::host().boxes[0], "Error: no room");
    EXPECT_EQ(mock::host().boxes[1], "Error: macro failed");

    // The user's filter still decides whether an alert is shown.
    set_alert_filter(alert_warning);
    EXPECT_EQ(fails(), 0);
    EXPECT_EQ(mock::host().boxes.size(), 2u);
}

TEST_F(Guarded, AnErrorAnswerIsWrittenIntoTheExportsOwnResult)
{
    OPER12 result(XLL_T("before"));
    LPXLOPER12 answered = guarded(error_in(result, xlerr::NA, alerting()), [&]() -> LPXLOPER12 {
        result = XLL_T("half written");
        throw std::bad_alloc();
    });
    EXPECT_EQ(answered, &result);
    EXPECT_TRUE(result.is(xltypeErr));
    EXPECT_EQ(result.val.err, static_cast<int>(xlerr::NA));
    ASSERT_EQ(mock::host().boxes.size(), 1u);
    EXPECT_EQ(mock::host().boxes[0], "Error: std::bad_alloc");
    // A cell left without a value.
    EXPECT_EQ(guarded(answer<LPXLOPER12>(nullptr), []() -> LPXLOPER12 { throw NotAnException{}; }), nullptr);
}

// The sources' root, found upwards from where the test runs (a build folder inside the tree).
std::filesystem::path source_root()
{
    for (auto dir = std::filesystem::current_path(); !dir.empty(); dir = dir.parent_path()) {
        if (std::filesystem::exists(dir / "xll" / "guarded.h"))
            return dir;
        if (dir == dir.parent_path())
            break;
    }
    return {};
}

// The text between the brace at `open` and its partner.
std::string braced(const std::string& text, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < text.size(); ++i) {
        if (text[i] == '{')
            ++depth;
        else if (text[i] == '}' && --depth == 0)
            return text.substr(open, i - open + 1);
    }
    return {};
}

// A new export cannot forget the guard: this fails until it calls guarded itself.
TEST(EveryExport, GoesThroughTheGuard)
{
    const auto root = source_root();
    ASSERT_FALSE(root.empty()) << "no source tree above " << std::filesystem::current_path();
    std::vector<std::string> unguarded;
    int exports = 0;
    for (const char* folder : {"xll", "db", "text", "regex", "web"}) {
        for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
            if (entry.path().extension() != ".cpp")
                continue;
            std::ifstream in(entry.path());
            std::stringstream read;
            read << in.rdbuf();
            const std::string text = read.str();
            for (size_t at = text.find("XLL_EXPORT("); at != std::string::npos; at = text.find("XLL_EXPORT(", at + 1)) {
                const size_t open = text.find('{', at);
                ASSERT_NE(open, std::string::npos) << entry.path();
                ++exports;
                if (braced(text, open).find("guarded(") == std::string::npos)
                    unguarded.push_back(entry.path().filename().string() + ": " +
                                        text.substr(at, text.find('\n', at) - at));
            }
        }
    }
    EXPECT_GT(exports, 40);
    for (const auto& line : unguarded)
        ADD_FAILURE() << "an export without the guard: " << line;
}

} // namespace
