// A result's cells as they are fetched, handed over into the worksheet's array.
#include <gtest/gtest.h>

#include <string>

#include "db/fetched_rows.h"
#include "db_test.h"

using namespace test;
using xll::OPER12;

namespace {

// Every kind of cell, over rows that span several blocks (a block holds two megabytes of cells,
// so a wide result has only a few rows a block), comes over into its own place of the array.
TEST(FetchedRows, EveryCellComesOverIntoItsPlaceAcrossBlocks)
{
    for (size_t columns : {size_t{1}, size_t{3}, size_t{16383}}) {
        SCOPED_TRACE(std::to_string(columns) + " columns");
        const size_t height = columns == 16383 ? 11 : 150000;
        db::FetchedRows rows(columns);
        for (size_t r = 0; r < height; ++r) {
            db::FetchedCell* cells = rows.row(r);
            for (size_t j = 0; j < columns; j += columns == 16383 ? 4000 : 1)
                switch ((r + j) % 5) {
                case 0: cells[j] = static_cast<double>(r); break;
                case 1: cells[j] = xll::xstring_view(u("row " + std::to_string(r) + " ü")); break;
                case 2: cells[j] = xll::xlerr::NA; break;
                case 3: cells[j] = r % 2 == 0; break;
                default: break; // left empty
                }
        }
        // A value written twice keeps the second; a text over a text frees the first.
        rows.row(1)[0] = xll::xstring_view(u("first"));
        rows.row(1)[0] = xll::xstring_view(u("second"));
        EXPECT_EQ(s(rows.row(1)[0].value().text()), "second");

        OPER12 array(5, static_cast<int>(columns));
        rows.hand_over(array, 5);
        ASSERT_EQ(array.rows(), height);
        ASSERT_EQ(array.columns(), columns);
        for (size_t r = 0; r < height; ++r)
            for (size_t j = 0; j < columns; j += columns == 16383 ? 4000 : 1) {
                const OPER12& cell = array(r, j);
                if (r == 1 && j == 0) {
                    EXPECT_EQ(s(cell.text()), "second");
                    continue;
                }
                switch ((r + j) % 5) {
                case 0: EXPECT_EQ(cell, static_cast<double>(r)) << r << "," << j; break;
                case 1: EXPECT_EQ(s(cell.text()), "row " + std::to_string(r) + " ü") << r << "," << j; break;
                case 2: EXPECT_TRUE(cell.is(xltypeErr) && cell.val.err == xlerrNA) << r << "," << j; break;
                case 3: EXPECT_TRUE(cell.is(xltypeBool) && cell.val.xbool == (r % 2 == 0)) << r << "," << j; break;
                default: EXPECT_TRUE(cell.is(xltypeNil)) << r << "," << j; break;
                }
            }
    }
}

// A short result keeps the array's least height, its rows past the fetched ones as they were; the
// row past the worksheet's and a text past a cell fail with the worksheet value's own check texts.
TEST(FetchedRows, ShortResultsKeepTheLeastHeightAndLimitsFailWithTheirCheckTexts)
{
    db::FetchedRows rows(2);
    rows.row(0)[0] = xll::xstring_view(u("label"));
    rows.row(1)[1] = 2.5;
    OPER12 array(5, 2);
    for (size_t i = 0; i < array.size(); ++i)
        array[i] = xll::xlerr::NA;
    rows.hand_over(array, 5);
    ASSERT_EQ(array.rows(), 5u);
    EXPECT_EQ(s(array(0, 0).text()), "label");
    EXPECT_EQ(array(1, 1), 2.5);
    EXPECT_TRUE(array(4, 1).is(xltypeErr));
    // Rows past both the cells and the array's own are nothing.
    db::FetchedRows one(2);
    one.row(0)[0] = 1.0;
    OPER12 small(1, 2);
    one.hand_over(small, 4);
    ASSERT_EQ(small.rows(), 4u);
    for (size_t i = 1; i < small.size(); ++i)
        EXPECT_TRUE(small[i].is(xltypeNil)) << i;

    const std::string row_check = "file: oper\nline: 439\nfunction: XOPER<struct xloper12>::realloc\n"
                                  "ensure: \"r <= xll::limits<X>::maxrows\" failed";
    auto failure = [](auto&& f) {
        try {
            f();
        }
        catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string("no failure");
    };
    EXPECT_EQ(failure([] { db::FetchedRows::check_height(xll::max_result_rows + 1); }), row_check);
    EXPECT_EQ(failure([] { db::FetchedRows::check_height(xll::max_result_rows); }), "no failure");
    EXPECT_EQ(failure([] { db::FetchedRows(1).row(xll::max_result_rows); }), row_check);
    EXPECT_NE(failure([] { db::FetchedRows(1).row(0)[0] = xll::xstring_view(xll::xstring(32768, u'x')); }),
              "no failure");
}

} // namespace
