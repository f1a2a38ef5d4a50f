#include "db/fetched_rows.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

#include "xll/check_locations.h"
#include "xll/limits.h"
#include "xll/platform.h"
#include "xll/text.h"

namespace db {

namespace {

// A block of two megabytes: big enough for the calls to the system to vanish among its rows,
// small enough that a hand-over holds little more than the array itself. Its pages are touched
// only as rows arrive, so a small result costs a page or two of it.
constexpr size_t block_bytes = size_t{2} << 20;

} // namespace

void FetchedCell::clear() noexcept
{
    if (kind_ == Kind::text)
        std::free(text_);
    kind_ = Kind::empty;
}

FetchedCell& FetchedCell::operator=(double number)
{
    clear();
    number_ = number;
    kind_ = Kind::number;
    return *this;
}

FetchedCell& FetchedCell::operator=(bool boolean)
{
    clear();
    boolean_ = boolean;
    kind_ = Kind::boolean;
    return *this;
}

FetchedCell& FetchedCell::operator=(xll::xlerr error)
{
    clear();
    error_ = static_cast<int>(error);
    kind_ = Kind::error;
    return *this;
}

FetchedCell& FetchedCell::operator=(xll::xstring_view text)
{
    // Made as every worksheet text is made, with its checks; then its block changes owner.
    xll::OPER12 record(text);
    clear();
    text_ = record.val.str;
    record.val.str = nullptr;
    kind_ = Kind::text;
    return *this;
}

bool FetchedCell::assign_utf8(std::string_view bytes)
{
    // n bytes make at most n units; a text beyond ASCII gives back the room it did not take.
    const size_t room = std::min(bytes.size(), xll::max_cell_text);
    auto* block = static_cast<XCHAR*>(std::malloc((room + 1) * sizeof(XCHAR)));
    if (block == nullptr)
        throw std::bad_alloc();
    const std::optional<size_t> units = xll::well_formed_utf8_into(bytes, block + 1, room);
    if (!units) {
        std::free(block);
        return false;
    }
    if (*units < room)
        if (void* smaller = std::realloc(block, (*units + 1) * sizeof(XCHAR)))
            block = static_cast<XCHAR*>(smaller);
    block[0] = static_cast<XCHAR>(*units);
    clear();
    text_ = block;
    kind_ = Kind::text;
    return true;
}

void FetchedCell::move_into(XLOPER12& record) noexcept
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

xll::OPER12 FetchedCell::value() const
{
    switch (kind_) {
    case Kind::number: return xll::OPER12(number_);
    case Kind::text: return xll::OPER12(xll::xstring_view(text_ + 1, static_cast<size_t>(text_[0])));
    case Kind::error: return xll::OPER12(static_cast<xll::xlerr>(error_));
    case Kind::boolean: return xll::OPER12(boolean_);
    case Kind::empty: break;
    }
    xll::OPER12 nil;
    nil.xltype = xltypeNil;
    return nil;
}

FetchedRows::FetchedRows(size_t columns)
    : columns_(std::max<size_t>(columns, 1)),
      block_rows_(std::max<size_t>(1, block_bytes / (sizeof(FetchedCell) * columns_)))
{
}

FetchedRows::~FetchedRows()
{
    for (size_t b = handed_blocks_; b < blocks_.size(); ++b)
        free_block(b);
}

void FetchedRows::check_height(size_t rows)
{
    // The array's own check, so that the cell shows the same text whichever way it is met.
    xll::ensure_member<XLOPER12>(rows <= xll::max_result_rows, xll::checks::array_rows, "realloc",
                                 "r <= xll::limits<X>::maxrows");
}

FetchedCell* FetchedRows::row(size_t r)
{
    if (r >= xll::max_result_rows)
        check_height(r + 1);
    // Rows are made in order, each where it first is asked for.
    while (r >= height_) {
        if (height_ == blocks_.size() * block_rows_)
            add_block();
        std::uninitialized_default_construct_n(cell(height_), columns_);
        ++height_;
    }
    return cell(r);
}

FetchedCell* FetchedRows::cell(size_t r) const
{
    return blocks_[r / block_rows_].cells + (r % block_rows_) * columns_;
}

size_t FetchedRows::rows_in(size_t b) const
{
    return std::min(block_rows_, height_ - std::min(height_, b * block_rows_));
}

void FetchedRows::add_block()
{
    blocks_.reserve(blocks_.size() + 1); // the pages are never taken without a place to keep them
    const size_t bytes = block_rows_ * columns_ * sizeof(FetchedCell);
    void* pages = xll::platform::allocate_pages(bytes);
    if (pages == nullptr)
        throw std::bad_alloc();
    blocks_.push_back({static_cast<FetchedCell*>(pages), bytes});
}

void FetchedRows::free_block(size_t b) noexcept
{
    Block& block = blocks_[b];
    std::destroy_n(block.cells, rows_in(b) * columns_);
    xll::platform::free_pages(block.cells, block.bytes);
    block = Block{};
}

void FetchedRows::hand_over(xll::OPER12& array, size_t minimum_rows)
{
    // The array's own elements (its least height's) are released as cells replace them; the new
    // ones are written once, by the cells or as nothing past them. Nothing below can throw.
    const size_t kept = array.type() == xltypeMulti ? array.size() : 0;
    array.realloc_to_overwrite(std::max(height_, minimum_rows), columns_);
    auto* records = static_cast<xll::OPER12*>(array.val.array.lparray);
    for (size_t b = handed_blocks_; b < blocks_.size(); ++b) {
        FetchedCell* cells = blocks_[b].cells;
        const size_t first = b * block_rows_ * columns_;
        for (size_t k = 0, n = rows_in(b) * columns_; k < n; ++k) {
            if (first + k < kept)
                records[first + k].release();
            cells[k].move_into(records[first + k]);
        }
        free_block(b);
        handed_blocks_ = b + 1;
    }
    for (size_t k = std::max(kept, height_ * columns_); k < array.size(); ++k)
        records[k].xltype = xltypeNil;
}

} // namespace db
