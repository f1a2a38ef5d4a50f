// The scanning and shaping of split_text, with a stand-in for the host's VALUE so that every rule
// of shape and placement is checked without a host.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "text/split.h"

using namespace xll;

namespace {

// Plain decimal numbers only: enough to tell numbers from text in these cases.
double read_plain(xstring_view field)
{
    std::string s(field.begin(), field.end());
    if (s.empty())
        return 0;
    char* end = nullptr;
    double d = std::strtod(s.c_str(), &end);
    return *end == '\0' ? d : 0;
}

OPER12 split(const char16_t* text, const char16_t* cd, const char16_t* rd)
{
    auto widen = [](const char16_t* s) { return xstring(s, s + std::char_traits<char16_t>::length(s)); };
    return split_text(widen(text), widen(cd), widen(rd), read_plain);
}

xstring x(const char16_t* s) { return xstring(s, s + std::char_traits<char16_t>::length(s)); }

void expect_shape(const OPER12& a, size_t rows, size_t columns)
{
    ASSERT_TRUE(a.is(xltypeMulti));
    ASSERT_EQ(a.rows(), rows);
    ASSERT_EQ(a.columns(), columns);
}

} // namespace

TEST(SplitText, RowsAndColumnsOfNumbers)
{
    OPER12 a = split(u"1,2,3;4,5,6", u",", u";");
    expect_shape(a, 2, 3);
    for (size_t k = 0; k < 6; ++k) {
        ASSERT_TRUE(a[k].is(xltypeNum));
        EXPECT_EQ(a[k].val.num, k + 1.0);
    }
}

TEST(SplitText, ShortRowsAndTrailingDelimitersLeaveNil)
{
    OPER12 a = split(u"x,y;z", u",", u";");
    expect_shape(a, 2, 2);
    EXPECT_EQ(a(0, 0).text(), x(u"x"));
    EXPECT_EQ(a(0, 1).text(), x(u"y"));
    EXPECT_EQ(a(1, 0).text(), x(u"z"));
    EXPECT_TRUE(a(1, 1).is(xltypeNil));

    OPER12 b = split(u"1,2,", u",", u";");
    expect_shape(b, 1, 3);
    EXPECT_EQ(b[1], 2.0);
    EXPECT_TRUE(b[2].is(xltypeNil));

    OPER12 c = split(u"1;", u",", u";");
    expect_shape(c, 2, 1);
    EXPECT_EQ(c[0], 1.0);
    EXPECT_TRUE(c[1].is(xltypeNil));
}

TEST(SplitText, EmptyFieldsAreEmptyTextsAndZeroStaysText)
{
    OPER12 a = split(u"1,,2", u",", u"");
    expect_shape(a, 1, 3);
    ASSERT_TRUE(a[1].is(xltypeStr));
    EXPECT_TRUE(a[1].text().empty());
    EXPECT_EQ(a[2], 2.0);

    OPER12 b = split(u"0,1,-0,0.00", u",", u"");
    expect_shape(b, 1, 4);
    EXPECT_EQ(b[0].text(), x(u"0"));
    EXPECT_EQ(b[1], 1.0);
    EXPECT_EQ(b[2].text(), x(u"-0"));
    EXPECT_EQ(b[3].text(), x(u"0.00"));

    // An empty first field is stored, unlike the missing value of a cell no field reaches.
    OPER12 c = split(u";x", u",", u";");
    ASSERT_TRUE(c[0].is(xltypeStr));
    EXPECT_TRUE(c[0].text().empty());
}

TEST(SplitText, EveryCharacterOfASetIsADelimiter)
{
    OPER12 a = split(u"x y,z", u", ", u"");
    expect_shape(a, 1, 3);
    EXPECT_EQ(a[2].text(), x(u"z"));

    OPER12 b = split(u"a|b\nc\rd", u"|", u"\r\n");
    expect_shape(b, 3, 2);
    EXPECT_EQ(b(1, 0).text(), x(u"c"));
    EXPECT_EQ(b(2, 0).text(), x(u"d"));

    // Units above 0x7FFF must not be read as negative indexes.
    OPER12 c = split(u"a\uFFFFb\u8000c", u"\uFFFF", u"\u8000");
    expect_shape(c, 2, 2);
    EXPECT_EQ(c(1, 0).text(), x(u"c"));
}

TEST(SplitText, DegenerateTexts)
{
    OPER12 whole = split(u" 12 ,x;y", u"", u"");
    expect_shape(whole, 1, 1);
    EXPECT_EQ(whole[0].text(), x(u" 12 ,x;y")); // no trimming, no splitting

    OPER12 empty = split(u"", u",", u";");
    expect_shape(empty, 1, 1);
    EXPECT_TRUE(empty[0].is(xltypeMissing));

    OPER12 only = split(u",", u",", u";");
    expect_shape(only, 1, 2);
    EXPECT_TRUE(only[0].is(xltypeStr));
    EXPECT_TRUE(only[1].is(xltypeNil));
}

TEST(SplitText, ACharacterInBothSetsSeparatesColumns)
{
    OPER12 a = split(u"a;b,c;", u",;", u";");
    expect_shape(a, 1, 4);
    EXPECT_EQ(a[1].text(), x(u"b"));
    EXPECT_TRUE(a[3].is(xltypeNil));
}

TEST(SplitText, ColumnLimit)
{
    xstring widest(static_cast<size_t>(limits<XLOPER12>::maxcols - 1), u',');
    OPER12 a = split_text(widest, x(u","), x(u";"), read_plain);
    expect_shape(a, 1, static_cast<size_t>(limits<XLOPER12>::maxcols));

    try {
        split_text(widest + u",", x(u","), x(u";"), read_plain);
        FAIL() << "16384 columns were accepted";
    }
    catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("c <= xll::limits<X>::maxcols"), std::string::npos) << e.what();
    }
}

TEST(SplitText, OneReadPerField)
{
    int reads = 0;
    auto counting = [&](xstring_view f) {
        ++reads;
        return read_plain(f);
    };
    split_text(x(u"1,2;3,,;"), x(u","), x(u";"), counting);
    EXPECT_EQ(reads, 5);
}
