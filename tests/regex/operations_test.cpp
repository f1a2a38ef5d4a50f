// REGEX.MATCH, REGEX.REPLACE and REGEX.SEARCH on worksheet values, below the entry points.
#include <gtest/gtest.h>

#include <string>

#include "regex/operations.h"

using namespace xll;
using namespace xll::regex;

namespace {

xstring x(const char16_t* s) { return xstring(s, s + std::char_traits<char16_t>::length(s)); }

OPER12 text(const char16_t* s) { return OPER12(xstring_view(x(s))); }

bool is_true(const OPER12& v) { return v.is(xltypeBool) && v.val.xbool; }
bool is_false(const OPER12& v) { return v.is(xltypeBool) && !v.val.xbool; }
bool is_error(const OPER12& v, int code) { return v.is(xltypeErr) && v.val.err == code; }

OPER12 match(const char16_t* subject, const char16_t* pattern, int32_t flags = 0)
{
    return match_cells(text(subject), x(pattern), flags)[0];
}

xstring replace(const char16_t* subject, const char16_t* pattern, const char16_t* format, int32_t flags = 0)
{
    OPER12 r = replace_cells(text(subject), x(pattern), x(format), flags);
    EXPECT_TRUE(r[0].is(xltypeStr));
    return xstring(r[0].text());
}

OPER12 search(const char16_t* subject, const char16_t* pattern, int32_t flags = 0)
{
    return search_text(x(subject), x(pattern), flags);
}

std::string failure(auto work)
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

TEST(RegexMatch, TheWholeTextMustMatchAndCaseCounts)
{
    EXPECT_TRUE(is_true(match(u"123", u"\\d+")));
    EXPECT_TRUE(is_false(match(u"a123", u"\\d+")));
    EXPECT_TRUE(is_false(match(u"ABC", u"abc")));
    EXPECT_TRUE(is_true(match(u"ABC", u"(?i)abc")));
    EXPECT_TRUE(is_true(match(u"", u"a*"))); // an empty text is a text like any other
    EXPECT_TRUE(is_false(match(u"a\nb", u"a.b"))); // "." stops at a line break
}

TEST(RegexMatch, ShapeFollowsSubjectAndOnlyTextIsMatched)
{
    OPER12 range(2, 2);
    range(0, 0) = x(u"42");
    range(0, 1) = 42.0;
    range(1, 1) = x(u"x");
    OPER12 r = match_cells(range, x(u"\\d+"), 0);
    ASSERT_EQ(r.rows(), 2u);
    ASSERT_EQ(r.columns(), 2u);
    EXPECT_TRUE(is_true(r(0, 0)));
    EXPECT_TRUE(is_error(r(0, 1), xlerrNA));
    EXPECT_TRUE(is_error(r(1, 0), xlerrNA)); // an empty cell
    EXPECT_TRUE(is_false(r(1, 1)));

    OPER12 single = match_cells(OPER12(true), x(u"."), 0);
    EXPECT_EQ(single.size(), 1u);
    EXPECT_TRUE(is_error(single[0], xlerrNA));

    OPER12 missing;
    missing.release();
    EXPECT_TRUE(match_cells(missing, x(u"a"), 0).is(xltypeMissing));
    EXPECT_TRUE(match_cells(OPER12(), x(u"a"), 0).is(xltypeMissing));
    EXPECT_TRUE(replace_cells(OPER12(), x(u"a"), x(u"b"), 0).is(xltypeMissing));
}

TEST(RegexMatch, ABadPatternFailsTheCallEvenWithoutText)
{
    EXPECT_EQ(failure([] { match_cells(OPER12(), x(u"(abc"), 0); }), "regular expression error");
    EXPECT_EQ(failure([] { match_cells(OPER12(1.0), x(u"[z-a]"), 0); }), "regular expression error");
    EXPECT_EQ(failure([] { replace_cells(text(u"a"), x(u"*"), x(u""), 0); }), "regular expression error");
    EXPECT_EQ(failure([] { search_text(x(u"a"), x(u"a{2,1}"), 0); }), "regular expression error");
    // Nesting deep enough to exhaust a recursive parser is refused, not followed.
    xstring deep = xstring(16000, u'(') + u"a" + xstring(16000, u')');
    EXPECT_EQ(failure([&] { search_text(x(u"a"), deep, 0); }), "regular expression error");
}

TEST(RegexMatch, FlagsSteerTheEnds)
{
    EXPECT_TRUE(is_false(match(u"a", u"^a", 1)));        // not_bol
    EXPECT_TRUE(is_false(match(u"a", u"a$", 2)));        // not_eol
    EXPECT_TRUE(is_false(match(u"a", u"^a$", 1 + 2)));   // both, added
    EXPECT_TRUE(is_false(match(u"a", u"\\ba", 4)));      // not_bow
    EXPECT_TRUE(is_false(match(u"a", u"a\\b", 8)));      // not_eow
    // With prev_avail the start is the beginning of a line and a word again, as its help says.
    EXPECT_TRUE(is_true(match(u"a", u"^\\ba", 1 + 4 + 256)));
    // ^ and $ are the ends of the whole text, not of its lines.
    EXPECT_TRUE(is_error(search(u"a\nb", u"^b"), xlerrNull));
    EXPECT_TRUE(is_error(search(u"a\nb", u"a$"), xlerrNull));
}

TEST(RegexReplace, EachFormatFlag)
{
    EXPECT_EQ(replace(u"a1b22", u"\\d+", u"#"), x(u"a#b#"));
    EXPECT_EQ(replace(u"a1b22", u"\\d+", u"#", 4096), x(u"a#b22"));
    EXPECT_EQ(replace(u"a1b22", u"\\d+", u"#", 2048), x(u"##"));
    EXPECT_EQ(replace(u"a1b22", u"\\d+", u"#", 2048 + 4096), x(u"#"));
    EXPECT_EQ(replace(u"ab-cd", u"(\\w)(\\w)", u"\\2\\1[&]\\&\\\\", 1024), x(u"ba[ab]&\\-dc[cd]&\\"));
    EXPECT_EQ(replace(u"xyz", u"\\d", u"#"), x(u"xyz"));
    EXPECT_EQ(replace(u"xyz", u"\\d", u"#", 2048), x(u""));
    EXPECT_EQ(replace(u"abc", u"", u"-"), x(u"-a-b-c-"));
}

TEST(RegexReplace, EcmaScriptFormatRules)
{
    EXPECT_EQ(replace(u"ab", u"(a)(b)", u"$2$1|$&|$$|$0"), x(u"ba|ab|$|ab"));
    EXPECT_EQ(replace(u"<ab>", u"ab", u"[$`|$']"), x(u"<[<|>]>"));
    EXPECT_EQ(replace(u"ab", u"(a)(b)", u"$3$12$"), x(u"$"));     // absent groups give nothing
    EXPECT_EQ(replace(u"x", u"x", u"C:\\temp\\n"), x(u"C:\\temp\\n")); // a backslash is a character
    EXPECT_EQ(replace(u"x", u"x", u"${1}$a"), x(u"${1}$a"));
    EXPECT_EQ(replace(u"a", u"(a)|(b)", u"[$2]"), x(u"[]"));
}

TEST(RegexReplace, TheCellLimitHolds)
{
    xstring full(32767, u'a');
    OPER12 r = replace_cells(OPER12(xstring_view(full)), x(u"a"), x(u"b"), 0);
    EXPECT_EQ(r[0].text(), xstring(32767, u'b'));
    std::string e = failure([&] { replace_cells(OPER12(xstring_view(full)), x(u"^"), x(u"b"), 0); });
    EXPECT_NE(e.find("n <= limits<XLOPER12>::maxchars"), std::string::npos) << e;
    // An empty pattern inserts the format text 32768 times: stopped long before memory is filled.
    e = failure([&] { replace_cells(OPER12(xstring_view(full)), x(u""), xstring_view(full), 0); });
    EXPECT_NE(e.find("n <= limits<XLOPER12>::maxchars"), std::string::npos) << e;
}

TEST(RegexSearch, FirstMatchAndItsGroups)
{
    OPER12 first = search(u"abc123def456", u"\\d+");
    ASSERT_TRUE(first.is(xltypeStr)); // one text, never an array, without groups
    EXPECT_EQ(first.text(), x(u"123"));

    OPER12 groups = search(u"abc123def456", u"([a-z]+)(\\d+)");
    ASSERT_EQ(groups.rows(), 2u);
    ASSERT_EQ(groups.columns(), 1u);
    EXPECT_EQ(groups(0, 0).text(), x(u"abc"));
    EXPECT_EQ(groups(1, 0).text(), x(u"123"));

    OPER12 optional = search(u"abc", u"([a-z]+)(\\d+)?");
    ASSERT_EQ(optional.rows(), 2u);
    ASSERT_TRUE(optional(1, 0).is(xltypeStr));
    EXPECT_TRUE(optional(1, 0).text().empty());

    EXPECT_TRUE(is_error(search(u"abc", u"\\d"), xlerrNull));
    OPER12 empty = search(u"abc", u"x*");
    ASSERT_TRUE(empty.is(xltypeStr));
    EXPECT_TRUE(empty.text().empty());
    EXPECT_TRUE(is_error(search(u"abc", u"x*", 32), xlerrNull));       // not_null
    EXPECT_TRUE(is_error(search(u"abc123", u"\\d+", 64), xlerrNull));  // continuous
}

TEST(RegexPattern, TheCodePageEllipsisStandsForThreeFullStops)
{
    EXPECT_TRUE(is_true(match(u"abcd", u"a\u0085")));
    EXPECT_TRUE(is_false(match(u"ab", u"a\u0085")));
    EXPECT_EQ(replace(u"xyz\u0085", u"\u0085", u"-"), x(u"-\u0085")); // only the pattern is read so
}

TEST(RegexUnits, UnitsMatchTheSameOnEveryPlatform)
{
    // A character outside the basic plane is two units to the pattern.
    EXPECT_TRUE(is_true(match(u"\U0001F600", u"..")));
    EXPECT_TRUE(is_false(match(u"\U0001F600", u".")));
    EXPECT_TRUE(is_true(match(u"\U0001F600", u"\\uD83D\\uDE00")));
    EXPECT_TRUE(is_true(match(u"\\u0041", u"\\\\u0041"))); // an escaped backslash, then text
    EXPECT_TRUE(is_true(match(u"A", u"[\\u0041-\\u005A]")));
    // Classes above ASCII do not depend on the C library: only ECMAScript white space counts.
    EXPECT_TRUE(is_false(match(u"\u00E9", u"\\w")));
    EXPECT_TRUE(is_true(match(u"\u00A0\u3000", u"\\s+")));
    EXPECT_TRUE(is_false(match(u"\u00E9", u"(?i)\u00C9")));
}

TEST(RegexLongSubject, AlternationOverAFullCellDoesNotExhaustTheStack)
{
    xstring full(32767, u'a');
    OPER12 subject{xstring_view(full)};
    EXPECT_TRUE(is_true(match_cells(subject, x(u"(a|b)*"), 0)[0]));
    OPER12 replaced = replace_cells(subject, x(u"(a|b)*"), x(u"<$1>"), 0);
    EXPECT_EQ(replaced[0].text(), x(u"<a><>"));
    // Searching every start for a match that never ends is quadratic: the library gives up
    // with its own text instead of holding the host for minutes.
    std::string e = failure([&] { search_text(full, x(u"(a|b)*c"), 0); });
    EXPECT_NE(e.find("complexity"), std::string::npos) << e;
}
