// REGEX.MATCH, REGEX.REPLACE and REGEX.SEARCH on worksheet values, below the entry points.
#include <gtest/gtest.h>

#include <string>

#include "regex/operations.h"

using namespace xll;
using namespace xll::regex;

namespace {

OPER12 text(xstring_view s) { return OPER12(s); }

bool is_bool(const OPER12& v, bool b) { return v.is(xltypeBool) && (v.val.xbool != 0) == b; }
bool is_error(const OPER12& v, int code) { return v.is(xltypeErr) && v.val.err == code; }

bool match(xstring_view subject, xstring_view pattern, int32_t flags = 0)
{
    OPER12 r = match_cells(text(subject), pattern, flags)[0];
    EXPECT_TRUE(r.is(xltypeBool));
    return r.val.xbool != 0;
}

xstring replace(xstring_view subject, xstring_view pattern, xstring_view format, int32_t flags = 0)
{
    return xstring(replace_cells(text(subject), pattern, format, flags)[0].text());
}

template <class Work> std::string failure(Work work)
{
    try {
        work();
    }
    catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(RegexMatch, WholeTextCaseAndLines)
{
    EXPECT_TRUE(match(u"123", u"\\d+"));
    EXPECT_FALSE(match(u"a123", u"\\d+"));
    EXPECT_FALSE(match(u"ABC", u"abc"));
    EXPECT_TRUE(match(u"", u"a*"));
    EXPECT_FALSE(match(u"a\nb", u"a.b")); // "." stops at a line break
    EXPECT_TRUE(is_error(search_text(u"a\nb", u"^b", 0), xlerrNull));
}

TEST(RegexMatch, ShapeFollowsSubjectAndOnlyTextIsMatched)
{
    OPER12 range(2, 2);
    range(0, 0) = u"42";
    range(0, 1) = 42.0;
    range(1, 1) = u"x";
    OPER12 r = match_cells(range, u"\\d+", 0);
    ASSERT_EQ(r.rows() * 10 + r.columns(), 22u);
    EXPECT_TRUE(is_bool(r(0, 0), true));
    EXPECT_TRUE(is_error(r(0, 1), xlerrNA));
    EXPECT_TRUE(is_error(r(1, 0), xlerrNA)); // an empty cell
    EXPECT_TRUE(is_bool(r(1, 1), false));

    EXPECT_TRUE(match_cells(OPER12(), u"a", 0).is(xltypeMissing));
    EXPECT_TRUE(replace_cells(OPER12(), u"a", u"b", 0).is(xltypeMissing));
}

TEST(RegexMatch, ABadPatternFailsTheCallEvenWithoutText)
{
    EXPECT_EQ(failure([] { match_cells(OPER12(), u"(abc", 0); }), "regular expression error");
    EXPECT_EQ(failure([] { replace_cells(OPER12(1.0), u"[z-a]", u"", 0); }), "regular expression error");
    // Nesting deep enough to exhaust a recursive parser is refused, not followed.
    xstring deep = xstring(16000, u'(') + u"a" + xstring(16000, u')');
    EXPECT_EQ(failure([&] { search_text(u"a", deep, 0); }), "regular expression error");
}

TEST(RegexMatch, FlagsSteerTheEnds)
{
    EXPECT_FALSE(match(u"a", u"^a", 1));
    EXPECT_FALSE(match(u"a", u"a$", 2));
    EXPECT_FALSE(match(u"a", u"\\ba", 4));
    EXPECT_FALSE(match(u"a", u"a\\b", 8));
    // The unit before the text that prev_avail lets the library read is a line break we own: the
    // start is then the beginning of a line and a word, as the flag's help says.
    EXPECT_TRUE(match(u"a", u"^\\ba", 1 + 4 + 256));
}

TEST(RegexReplace, FormatFlagsAndRules)
{
    EXPECT_EQ(replace(u"a1b22", u"\\d+", u"#"), u"a#b#");
    EXPECT_EQ(replace(u"a1b22", u"\\d+", u"#", 4096), u"a#b22");
    EXPECT_EQ(replace(u"a1b22", u"\\d+", u"#", 2048), u"##");
    EXPECT_EQ(replace(u"xyz", u"\\d", u"#"), u"xyz");
    EXPECT_EQ(replace(u"abc", u"", u"-"), u"-a-b-c-");
    // ECMAScript rules: a backslash is a character, absent groups give nothing.
    EXPECT_EQ(replace(u"<ab>", u"(a)(b)", u"$2$1|$&|$$|$`|$'|$3$12|C:\\temp"), u"<ba|ab|$|<|>||C:\\temp>");
    // sed rules: & the match, \n a group, a backslash before anything else gives that thing.
    EXPECT_EQ(replace(u"ab-cd", u"(\\w)(\\w)", u"\\2\\1[&]\\&\\\\", 1024), u"ba[ab]&\\-dc[cd]&\\");
}

TEST(RegexReplace, TheCellLimitHolds)
{
    OPER12 full(xstring_view(xstring(32767, u'a')));
    EXPECT_EQ(replace_cells(full, u"a", u"b", 0)[0].text(), xstring(32767, u'b'));
    std::string e = failure([&] { replace_cells(full, u"^", u"b", 0); });
    EXPECT_NE(e.find("n <= limits<XLOPER12>::maxchars"), std::string::npos) << e;
    // An empty pattern would insert the format text 32768 times: stopped before memory fills.
    e = failure([&] { replace_cells(full, u"", full.text(), 0); });
    EXPECT_NE(e.find("n <= limits<XLOPER12>::maxchars"), std::string::npos) << e;
}

TEST(RegexSearch, FirstMatchAndItsGroups)
{
    OPER12 first = search_text(u"abc123def456", u"\\d+", 0);
    ASSERT_TRUE(first.is(xltypeStr)); // one text, never an array, without groups
    EXPECT_EQ(first.text(), u"123");

    OPER12 groups = search_text(u"abc123def456", u"([a-z]+)(\\d+)?(x)?", 0);
    ASSERT_EQ(groups.rows() * 10 + groups.columns(), 31u);
    EXPECT_EQ(groups(0, 0).text(), u"abc");
    EXPECT_EQ(groups(1, 0).text(), u"123");
    EXPECT_TRUE(groups(2, 0).is(xltypeStr) && groups(2, 0).text().empty()); // took no part

    EXPECT_TRUE(is_error(search_text(u"abc", u"\\d", 0), xlerrNull));
    EXPECT_TRUE(search_text(u"abc", u"x*", 0).text().empty());
    EXPECT_TRUE(is_error(search_text(u"abc", u"x*", 32), xlerrNull));      // not_null
    EXPECT_TRUE(is_error(search_text(u"abc123", u"\\d+", 64), xlerrNull)); // continuous
}

TEST(RegexPattern, EllipsisAndUnitEscapes)
{
    EXPECT_TRUE(match(u"abcd", u"a\u0085"));
    EXPECT_FALSE(match(u"ab", u"a\u0085"));
    EXPECT_EQ(replace(u"xyz\u0085", u"\u0085", u"-"), u"-\u0085"); // only the pattern is read so
    EXPECT_TRUE(match(u"A\u00e9", u"\\u0041\\u00E9"));
    EXPECT_TRUE(match(u"\\u0041", u"\\\\u0041")); // an escaped backslash, then text
}

TEST(RegexUnits, UnitsAndClassesAnswerTheSameOnEveryPlatform)
{
    EXPECT_TRUE(match(u"\U0001F600", u"..")); // two units outside the basic plane
    EXPECT_FALSE(match(u"\U0001F600", u"."));
    EXPECT_FALSE(match(u"\u00e9", u"\\w"));   // not the C library's idea of a letter
    EXPECT_TRUE(match(u"\u00a0\u3000", u"\\s+"));
    EXPECT_FALSE(match(u"\u00e9", u"(?i)\u00c9"));
    EXPECT_TRUE(match(u"ABC", u"(?i)abc"));
}

TEST(RegexLongSubject, AlternationOverAFullCellDoesNotExhaustTheStack)
{
    OPER12 full(xstring_view(xstring(32767, u'a')));
    EXPECT_TRUE(is_bool(match_cells(full, u"(a|b)*", 0)[0], true));
    EXPECT_EQ(replace_cells(full, u"(a|b)*", u"<$1>", 0)[0].text(), u"<a><>");
    // A search that tries every start is quadratic: the library gives up with its own text.
    std::string e = failure([&] { search_text(full.text(), u"(a|b)*c", 0); });
    EXPECT_NE(e.find("complexity"), std::string::npos) << e;
}
