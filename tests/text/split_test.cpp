// What only the scanning decides, with a stand-in for the host's VALUE: the shapes and the number
// conversions as a user sees them are checked through the host in text_e2e_test.cpp.
#include <gtest/gtest.h>

#include <string>

#include "xll/split_text.h"

using namespace xll;

namespace {

xstring x(const char16_t* s) { return xstring(s); }

// Every field reads as 1 unless it is empty.
double read_one(xstring_view field) { return field.empty() ? 0 : 1; }

} // namespace

TEST(SplitText, ACharacterInBothSetsSeparatesColumnsSoTheShapeHoldsEveryField)
{
    OPER12 a = split_text(x(u"a;b,c;"), x(u",;"), x(u";"), read_one);
    ASSERT_EQ(a.rows(), 1u);
    ASSERT_EQ(a.columns(), 4u);
    EXPECT_TRUE(a[3].is(xltypeNil));

    // Units above 0x7FFF are delimiters like any other, never negative indexes.
    OPER12 b = split_text(x(u"a\uFFFFb\u8000c"), x(u"\uFFFF"), x(u"\u8000"), read_one);
    ASSERT_EQ(b.rows(), 2u);
    ASSERT_EQ(b.columns(), 2u);
    EXPECT_TRUE(b(1, 1).is(xltypeNil));
}

TEST(SplitText, ExactTextAndOneReadPerField)
{
    int reads = 0;
    auto read_plain = [&](xstring_view f) {
        ++reads;
        return f == u"1" ? 1.0 : 0.0;
    };
    OPER12 a = split_text(x(u"1, 1 ;\"q\",;"), x(u","), x(u";"), read_plain);
    EXPECT_EQ(reads, 4); // a field after the last delimiter does not exist
    ASSERT_EQ(a.rows(), 3u);
    EXPECT_EQ(a(0, 0), 1.0);
    EXPECT_EQ(a(0, 1).text(), u" 1 "); // no trimming
    EXPECT_EQ(a(1, 0).text(), u"\"q\"");  // no unquoting
    EXPECT_TRUE(a(1, 1).is(xltypeStr) && a(1, 1).text().empty());
    EXPECT_TRUE(a(2, 0).is(xltypeNil));

    OPER12 empty = split_text(xstring_view(), x(u","), x(u";"), read_plain);
    EXPECT_TRUE(empty.is(xltypeMulti) && empty.size() == 1 && empty[0].is(xltypeMissing));
}

TEST(SplitText, RowLimit)
{
    // Longer texts than a cell holds come from the web functions; the rows are bounded too.
    xstring rows(static_cast<size_t>(limits<XLOPER12>::maxrows), u';');
    try {
        split_text(rows, x(u","), x(u";"), read_one);
        FAIL() << "1048576 rows were accepted";
    }
    catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("r <= xll::limits<X>::maxrows"), std::string::npos) << e.what();
    }
    EXPECT_EQ(split_text(rows.substr(1), x(u","), x(u";"), read_one).rows(), static_cast<size_t>(limits<XLOPER12>::maxrows));
}
