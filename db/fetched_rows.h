// A result's cells while its rows arrive: 16 bytes a cell where the worksheet's record takes 32, in
// one block that grows as rows arrive. While rows arrive the driver holds its own copy of the
// result (SQLite's and PostgreSQL's drivers the whole of it), so these cells are what the fetch adds
// on top of it. Once the driver has let its copy go, the block grows to the records' size and each
// cell becomes its record where it lies, a text's block moving over as it is: no full second copy
// of the result exists at any moment, and the pages the cells touched are the array's first half
// rather than memory given back and asked for anew.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "xll/oper.h"

namespace db {

// One cell: a number, a text (its block already in the worksheet record's form, length first), an
// error value, TRUE or FALSE, or nothing yet.
//
// A cell is moved as bytes when its block grows or becomes records, so it has no destructor of its
// own: the rows that hold it free its text.
class FetchedCell {
public:
    FetchedCell() = default;

    FetchedCell& operator=(double number);
    FetchedCell& operator=(bool boolean);
    FetchedCell& operator=(xll::xlerr error);
    // A text longer than a cell holds fails with the worksheet value's own check text.
    FetchedCell& operator=(xll::xstring_view text);
    // Well-formed UTF-8 that fits a cell, decoded straight into its block; false, and the cell as
    // it was, for any other bytes.
    bool assign_utf8(std::string_view bytes);

    // Moves the value into a record that holds nothing of its own; the cell holds nothing after.
    // Defined here, so that the hand-over's loop over every cell of a large result has it inline.
    void move_into(XLOPER12& record) noexcept
    {
        switch (kind_) {
        case Kind::empty: record.xltype = xltypeNil; break;
        case Kind::number:
            record.xltype = xltypeNum;
            record.val.num = number_;
            break;
        case Kind::text:
            record.xltype = xltypeStr;
            record.val.str = text_;
            break;
        case Kind::error:
            record.xltype = xltypeErr;
            record.val.err = error_;
            break;
        case Kind::boolean:
            record.xltype = xltypeBool;
            record.val.xbool = boolean_;
            break;
        }
        kind_ = Kind::empty;
    }
    // The value as a worksheet value, for reading a cell back.
    xll::OPER12 value() const;
    // Frees what the cell holds; it is empty after.
    void clear() noexcept;

private:
    // Trivial, so that the rows may move cells as bytes; in no one else's reach, so that no text
    // gets two owners.
    friend class FetchedRows;
    FetchedCell(const FetchedCell&) = default;
    FetchedCell& operator=(const FetchedCell&) = default;

    enum class Kind : std::uint8_t { empty, number, text, error, boolean };

    union {
        double number_;
        XCHAR* text_;
        int error_;
        bool boolean_;
    };
    Kind kind_ = Kind::empty;
};

class FetchedRows {
public:
    explicit FetchedRows(size_t columns);
    FetchedRows(const FetchedRows&) = delete;
    FetchedRows& operator=(const FetchedRows&) = delete;
    ~FetchedRows();

    // Fails at once with the worksheet array's own check text where rows cannot be its height.
    static void check_height(size_t rows);

    // The cells of row r (from 0), which exist from then on; a row past the worksheet's fails with
    // the array's check text, and memory running out with std::bad_alloc. The cells stay where
    // they are until a row past the made ones is asked for, which may move them all.
    FetchedCell* row(size_t r);
    // One past the last row asked for.
    size_t height() const { return height_; }

    // Makes array at least minimum_rows high with every cell in its place, the cells' own block
    // becoming the array's; the rows past the fetched ones keep what array held there. The array
    // has this many columns already. Memory running out fails with std::bad_alloc, every cell
    // still here and the array as it was.
    void hand_over(xll::OPER12& array, size_t minimum_rows);

private:
    // Room for at least the given rows, or std::bad_alloc with the block as it was.
    void grow(size_t rows);

    const size_t columns_;
    FetchedCell* cells_ = nullptr; // from malloc, so that the array can own it once it is records
    size_t capacity_ = 0;          // rows the block has room for
    size_t height_ = 0;
};

} // namespace db
