// A result's cells while its rows arrive: 16 bytes a cell where the worksheet's record takes 32, in
// blocks of rows straight from the system's pages. While rows arrive the driver holds its own copy
// of the result (SQLite's and PostgreSQL's drivers the whole of it), so these cells are what the
// fetch adds on top of it. Once the driver has let its copy go, the cells are handed over into the
// worksheet's array block by block, each block's pages going back to the system as soon as its
// cells are in the array, and a text's block moving over as it is: no full second copy of the
// result exists at any moment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "xll/oper.h"

namespace db {

// One cell: a number, a text (its block already in the worksheet record's form, length first), an
// error value, TRUE or FALSE, or nothing yet.
class FetchedCell {
public:
    FetchedCell() = default;
    FetchedCell(const FetchedCell&) = delete;
    FetchedCell& operator=(const FetchedCell&) = delete;
    ~FetchedCell() { clear(); }

    FetchedCell& operator=(double number);
    FetchedCell& operator=(bool boolean);
    FetchedCell& operator=(xll::xlerr error);
    // A text longer than a cell holds fails with the worksheet value's own check text.
    FetchedCell& operator=(xll::xstring_view text);
    // Well-formed UTF-8 that fits a cell, decoded straight into its block; false, and the cell as
    // it was, for any other bytes.
    bool assign_utf8(std::string_view bytes);

    // Moves the value into a record that holds nothing of its own; the cell holds nothing after.
    void move_into(XLOPER12& record) noexcept;
    // The value as a worksheet value, for reading a cell back.
    xll::OPER12 value() const;

private:
    enum class Kind : std::uint8_t { empty, number, text, error, boolean };
    void clear() noexcept;

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
    // the array's check text, and memory running out with std::bad_alloc.
    FetchedCell* row(size_t r);
    // One past the last row asked for.
    size_t height() const { return height_; }

    // Makes array at least minimum_rows high and moves every cell into it, block by block, giving
    // each block's pages back once its cells are in; the rows past the fetched ones keep what array
    // held there. The array has this many columns already. Memory running out fails with the
    // array's allocation failure, the rows not yet handed over still here.
    void hand_over(xll::OPER12& array, size_t minimum_rows);

private:
    struct Block {
        FetchedCell* cells = nullptr;
        size_t bytes = 0;
    };
    FetchedCell* cell(size_t r) const;
    // The rows made in block b.
    size_t rows_in(size_t b) const;
    void add_block();
    void free_block(size_t b) noexcept;

    const size_t columns_;
    const size_t block_rows_;
    std::vector<Block> blocks_;
    size_t handed_blocks_ = 0; // the first blocks, already moved into the array and freed
    size_t height_ = 0;
};

} // namespace db
