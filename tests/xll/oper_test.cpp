// The worksheet value: bounds and their check texts, ownership, shape changes and comparisons.
#include <gtest/gtest.h>

#include <string>

#include "xll/oper.h"

using namespace xll;

namespace {

std::string failure(const std::function<void()>& f)
{
    try {
        f();
    }
    catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no failure";
}

std::string check(const char* source, int line, const std::string& function, const char* condition)
{
    return ensure_text(source, line, function, condition);
}

} // namespace

TEST(Oper, StringLimitsPerWidth)
{
    xstring wide(32767, u'x');
    OPER12 ok{xstring_view(wide)};
    EXPECT_EQ(ok.text().size(), 32767u);
    wide += u'x';
    EXPECT_EQ(failure([&] { OPER12 x(wide.c_str()); }),
              check("traits", 170, "xll::traits<struct xloper12>::strlen", "n <= limits<XLOPER12>::maxchars"));
    EXPECT_EQ(failure([&] { OPER12 x{xstring_view(wide)}; }),
              check("traits", 170, "xll::traits<struct xloper12>::strlen", "n <= limits<XLOPER12>::maxchars"));

    std::string narrow(255, 'x');
    OPER ok8(narrow.c_str());
    EXPECT_EQ(ok8.text().size(), 255u);
    narrow += 'x';
    EXPECT_EQ(failure([&] { OPER x(narrow.c_str()); }),
              check("traits", 64, "xll::traits<struct xloper>::strlen", "n <= limits<XLOPER>::maxchars"));
}

TEST(Oper, ArrayBoundsAreCheckedInOrder)
{
    OPER12 a(1, 1);
    EXPECT_NO_THROW(a.realloc(1048575, 1));
    EXPECT_EQ(a.rows(), 1048575u);
    const std::string fn = "XOPER<struct xloper12>::realloc";
    EXPECT_EQ(failure([&] { a.realloc(1048576, 16384); }), check("oper", 439, fn, "r <= xll::limits<X>::maxrows"));
    EXPECT_EQ(failure([&] { a.realloc(1, 16384); }), check("oper", 440, fn, "c <= xll::limits<X>::maxcols"));
    OPER12 num(1.0);
    EXPECT_EQ(failure([&] { num.realloc(2, 2); }), check("oper", 441, fn, "xltype == xltypeMulti"));

    OPER b(1, 1);
    EXPECT_EQ(failure([&] { b.realloc(65536, 1); }),
              check("oper", 439, "XOPER<struct xloper>::realloc", "r <= xll::limits<X>::maxrows"));
    EXPECT_EQ(failure([&] { b.realloc(1, 256); }),
              check("oper", 440, "XOPER<struct xloper>::realloc", "c <= xll::limits<X>::maxcols"));
    // 16-bit element counts: an 8-bit array stays below 65536 elements and fails before writing.
    EXPECT_THROW(b.realloc(300, 255), std::runtime_error);
    EXPECT_EQ(b.rows(), 1u);
    EXPECT_EQ(b.columns(), 1u);
}

TEST(Oper, ReallocKeepsReleasesAndEmpties)
{
    OPER12 a(2, 2);
    a(0, 0) = 1;
    a(0, 1) = XLL_T("b");
    a(1, 0) = true;
    a(1, 1) = xlerr::NA;
    a.realloc(3, 2);
    EXPECT_EQ(a(0, 0), 1.0);
    EXPECT_EQ(a(0, 1).text(), XLL_T("b"));
    EXPECT_TRUE(a(1, 0).is(xltypeBool));
    EXPECT_TRUE(a(1, 1).is(xltypeErr));
    EXPECT_TRUE(a(2, 0).is(xltypeNil));
    EXPECT_TRUE(a(2, 1).is(xltypeNil));
    a.realloc(1, 1);
    EXPECT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0], 1.0);
    a.realloc(0, 5);
    EXPECT_TRUE(a.is(xltypeMissing));

    OPER12 src(1, 3);
    src[0] = 7;
    src[1] = XLL_T("seven");
    OPER12 dst(2, 2);
    dst.realloc(2, 2, src.val.array.lparray, 2);
    EXPECT_EQ(dst[0], 7.0);
    EXPECT_EQ(dst[1].text(), XLL_T("seven"));
    EXPECT_EQ(failure([&] { dst.realloc(1, 2, src.val.array.lparray, 3); }),
              check("oper", 459, "XOPER<struct xloper12>::realloc", "na <= size()"));
}

TEST(Oper, IndexTreatsScalarsAsOneByOne)
{
    OPER12 n(3.5);
    EXPECT_EQ(&index(n, 0), &n);
    EXPECT_EQ(failure([&] { index(n, 1); }), check("xloper", 134, "xll::index", "i < size(x)"));
    const OPER12& c = n;
    EXPECT_EQ(failure([&] { index(c, 1); }), check("xloper", 124, "xll::index", "i < size(x)"));
    OPER12 a(2, 3);
    EXPECT_EQ(failure([&] { index(a, 2, 0); }), check("xloper", 156, "xll::index", "i < rows(x)"));
    EXPECT_EQ(failure([&] { index(a, 1, 3); }), check("xloper", 157, "xll::index", "j < columns(x)"));
    const OPER12& ca = a;
    EXPECT_EQ(failure([&] { index(ca, 2, 0); }), check("xloper", 145, "xll::index", "i < rows(x)"));
    EXPECT_EQ(failure([&] { index(ca, 0, 3); }), check("xloper", 146, "xll::index", "j < columns(x)"));
    EXPECT_EQ(rows(OPER12()), 0u);
    EXPECT_EQ(size(OPER12(XLL_T("x"))), 1u);
}

TEST(Oper, CopiesAreDeepAndMovesSteal)
{
    OPER12 a(2, 1);
    a[0] = XLL_T("text");
    a[1] = 2;
    OPER12 b = a;
    b[0] = XLL_T("changed");
    EXPECT_EQ(a[0].text(), XLL_T("text"));
    EXPECT_NE(a[0].val.str, b[0].val.str);

    OPER12 c = std::move(b);
    EXPECT_TRUE(b.is(xltypeNil));
    EXPECT_EQ(c[0].text(), XLL_T("changed"));

    // Assigning an element of a value to the value itself must not read freed storage.
    c = c[0];
    EXPECT_EQ(c.text(), XLL_T("changed"));
    OPER12 d(XLL_T("x"));
    d = XLL_T("y");
    EXPECT_EQ(d.text(), XLL_T("y"));
    d.release();
    EXPECT_TRUE(d.is(xltypeMissing));
}

TEST(Oper, PushBackStacksOrExtendsOneRow)
{
    OPER12 a(2, 3), row(1, 3);
    row[0] = 1;
    a.push_back(row);
    EXPECT_EQ(a.rows(), 3u);
    EXPECT_EQ(a(2, 0), 1.0);
    EXPECT_EQ(failure([&] { a.push_back(OPER12(1, 2)); }),
              check("oper", 337, "XOPER<struct xloper12>::push_back", "rows() == 1"));
    OPER12 one(1, 3);
    one.push_back(OPER12(9));
    EXPECT_EQ(one.columns(), 4u);
    EXPECT_EQ(one[3], 9.0);
    OPER12 empty;
    empty.push_back(row);
    EXPECT_EQ(empty.columns(), 3u);
    // A value may be pushed onto its own array: same columns, so it stacks.
    one.push_back(one);
    EXPECT_EQ(one.rows(), 2u);
    EXPECT_EQ(one(1, 3), 9.0);
}

TEST(Oper, AppendTurnsNilIntoText)
{
    OPER12 x;
    x.append(XLL_T("ab"));
    x.append(XLL_T("c"));
    EXPECT_EQ(x.text(), XLL_T("abc"));
    x.append(XLL_T(""));
    EXPECT_EQ(x.text(), XLL_T("abc"));
    OPER12 n(1.0);
    EXPECT_EQ(failure([&] { n.append(XLL_T("x")); }),
              check("oper", 215, "XOPER<struct xloper12>::append", "xltype == xltypeStr"));
}

TEST(Oper, EqualityAndOrdering)
{
    EXPECT_TRUE(OPER12(XLL_T("abc")) == OPER12(XLL_T("ABC")));
    EXPECT_FALSE(OPER12(XLL_T("abc")) == OPER12(XLL_T("abcd")));
    EXPECT_TRUE(OPER12(XLL_T("ab")) < OPER12(XLL_T("ABC")));
    EXPECT_FALSE(OPER12(XLL_T("ABC")) < OPER12(XLL_T("ab")));
    EXPECT_TRUE(OPER12(1e9) < OPER12(XLL_T("")));
    EXPECT_FALSE(OPER12(1.0) == OPER12(true));
    EXPECT_TRUE(OPER12() == OPER12());
    EXPECT_FALSE(OPER12() < OPER12());

    OPER12 a(1, 2), b(1, 2);
    a[0] = 1;
    b[0] = 1;
    a[1] = XLL_T("x");
    b[1] = XLL_T("X");
    EXPECT_TRUE(a == b);
    b[1] = XLL_T("y");
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(a < OPER12(1, 1)); // fewer columns on the right: never less
    OPER12 one(1, 1);
    one[0] = 4;
    EXPECT_TRUE(one == 4.0);
    EXPECT_FALSE(OPER12(XLL_T("4")) == 4.0);
}

TEST(Oper, NumberReadingIsTheTruthTest)
{
    EXPECT_EQ(OPER12(XLL_T("")).to_number(), 0);
    EXPECT_EQ(OPER12(XLL_T("0")).to_number(), 1); // a string reads as its length
    EXPECT_EQ(OPER12(true).to_number(), 1);
    EXPECT_EQ(OPER12(xlerr::NA).to_number(), 0);
    OPER12 a(1, 3);
    a[1] = 5;
    a[2] = 6;
    EXPECT_EQ(a.to_number(), 5);
    OPER12 ref;
    ref.xltype = xltypeSRef;
    EXPECT_TRUE(std::isnan(ref.to_number()));
}

TEST(Oper, BigDataOwnsCopiesButNotHandles)
{
    OPER12 b;
    b.xltype = xltypeBigData;
    b.val.bigdata.cbData = 0;
    b.val.bigdata.h.lpbData = nullptr;
    const BYTE bytes[] = {1, 2, 3};
    b.realloc(bytes, 3);
    OPER12 c = b;
    EXPECT_NE(c.val.bigdata.h.lpbData, b.val.bigdata.h.lpbData);
    EXPECT_EQ(c.val.bigdata.h.lpbData[2], 3);
    c.realloc(bytes, 0); // a handle is kept as given
    EXPECT_EQ(c.val.bigdata.h.lpbData, bytes);
    EXPECT_FALSE(b == c);
}
