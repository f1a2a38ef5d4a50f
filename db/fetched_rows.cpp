#include "db/fetched_rows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>

#include "xll/check_locations.h"
#include "xll/limits.h"
#include "xll/text.h"

namespace db {

// The block grows by realloc and becomes records through copies of its bytes: sound only for a
// cell that is its bytes.
static_assert(std::is_trivially_copyable_v<FetchedCell>);

namespace {

// The rows a block first has room for: a small result takes one small allocation.
constexpr size_t first_rows = 16;

// The bytes of rows x columns elements of a size, or std::bad_alloc where the block could not
// be addressed (a wide result's on a 32-bit system).
size_t block_bytes(size_t rows, size_t columns, size_t element)
{
    if (rows > std::numeric_limits<size_t>::max() / columns / element)
        throw std::bad_alloc();
    return rows * columns * element;
}

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

FetchedRows::FetchedRows(size_t columns) : columns_(std::max<size_t>(columns, 1)) {}

FetchedRows::~FetchedRows()
{
    for (size_t k = 0, n = height_ * columns_; k < n; ++k)
        cells_[k].clear();
    std::free(cells_);
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
    if (r >= height_) {
        if (r >= capacity_)
            grow(r + 1);
        std::uninitialized_default_construct_n(cells_ + height_ * columns_, (r + 1 - height_) * columns_);
        height_ = r + 1;
    }
    return cells_ + r * columns_;
}

void FetchedRows::grow(size_t rows)
{
    // Half as much again each time, so that where the system's realloc copies, a cell is copied a
    // few times at most; where it remaps pages (a large block on Linux) nothing is copied, and the
    // room not yet written to costs no memory. Never past the sheet's height, which no row passes.
    rows = std::min(std::max({rows, capacity_ + capacity_ / 2, first_rows}), xll::max_result_rows);
    void* block = std::realloc(cells_, block_bytes(rows, columns_, sizeof(FetchedCell)));
    if (block == nullptr)
        throw std::bad_alloc();
    cells_ = static_cast<FetchedCell*>(block);
    capacity_ = rows;
}

void FetchedRows::hand_over(xll::OPER12& array, size_t minimum_rows)
{
    const size_t rows = std::max(height_, minimum_rows);
    const size_t made = height_ * columns_;
    const size_t count = rows * columns_;
    if (count == 0) {
        array.release();
        return;
    }
    auto* records = static_cast<unsigned char*>(std::realloc(cells_, block_bytes(rows, columns_, sizeof(XLOPER12))));
    if (records == nullptr)
        throw std::bad_alloc();
    cells_ = nullptr;
    capacity_ = height_ = 0;
    // From the last element back, each cell read before its record is written: record k lies at
    // or past cell k, over cells already read, since a record is at least a cell's size. The bytes
    // go through copies, as the two kinds of object share the block.
    static_assert(sizeof(XLOPER12) >= sizeof(FetchedCell) && alignof(XLOPER12) >= alignof(FetchedCell));
    const size_t kept = array.type() == xltypeMulti ? array.size() : 0;
    for (size_t k = count; k-- > 0;) {
        XLOPER12 record{};
        if (k < made) {
            FetchedCell cell;
            std::memcpy(static_cast<void*>(&cell), records + k * sizeof(FetchedCell), sizeof cell);
            cell.move_into(record);
        }
        else if (k < kept) { // a row past the fetched ones keeps the array's element, which moves over
            record = array.val.array.lparray[k];
            array.val.array.lparray[k].xltype = xltypeNil;
        }
        else
            record.xltype = xltypeNil;
        std::memcpy(records + k * sizeof(XLOPER12), &record, sizeof record);
    }
    // The array's elements the cells replace are released with it; the block is the array's now.
    array.release();
    array.xltype = xltypeMulti;
    array.val.array.lparray = reinterpret_cast<XLOPER12*>(records);
    array.val.array.rows = static_cast<RW>(rows);
    array.val.array.columns = static_cast<COL>(columns_);
}

} // namespace db
