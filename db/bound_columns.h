// A result's columns bound to arrays of rows, fetched a block at a time: every driver here serves a
// block of bound values faster than the same values asked for one by one, most of all MariaDB's.
// Character columns are bound as the driver's 8-bit text where that is UTF-8 (an 8-bit driver's
// bytes, or a wide driver's narrow text that the connection found to be UTF-8), else as UTF-16
// text; dates and time stamps as their fields where the driver prints their text from the same
// fields (DriverFamily); every other column as 8-bit text: the digits of a number or a date need
// no wide characters, and one that is no ASCII is read again in UTF-16. A value
// longer than its buffer is never taken cut: it is read again whole, positioned on its row, or,
// where the driver cannot position within a block (SQLite's), fetched back alone on a static
// cursor once the blocks are read. A driver that can do neither fails the result rather than cut it.
#pragma once

#include <cstddef>
#include <vector>

#include "db/column_reader.h"
#include "db/driver_family.h"
#include "db/odbc_api.h"

namespace db {

// What the driver says of a result column.
struct ColumnShape {
    ColumnKind kind = ColumnKind::text;
    SQLSMALLINT sql_type = 0;
    SQLULEN size = 0; // characters, as the driver describes it; 0 when unknown
};

class BoundColumns {
public:
    // Rows a block holds: enough to make the calls per row vanish, few enough for the buffers to
    // stay in the processor's caches.
    static constexpr size_t block_rows = 256;

    // Before the statement is executed: a driver that cannot position within a block is asked
    // for a static cursor, which can fetch a row back alone.
    static void prepare(SQLHSTMT statement, const DriverFamily& family);
    // How many rows a static cursor holds (SQLRowCount counts only changed rows there); -1 when
    // the cursor is no static one or the driver does not tell.
    static SQLLEN static_rows(SQLHSTMT statement);

    // Binds the columns when each can be read from a bound buffer and the driver takes blocks of
    // rows; false leaves the statement as it was, to be read value by value. Columns of long
    // values (no size, or one past a buffer's room) and MariaDB's bits are read value by value,
    // and so is every column where the driver can neither position within a block nor got its
    // static cursor.
    bool bind(SQLHSTMT statement, const std::vector<ColumnShape>& columns, const DriverText& text,
              const DriverFamily& family);

    // Whether a value its buffer cut is read again at once, positioned on its row; else it is read
    // once the blocks are done, its row fetched back alone with fetch_alone().
    bool positions() const { return positions_; }
    // Leaves blocks for single rows (the first time) and fetches row (from 0 of the result) alone,
    // for SQLGetData to read its values; SQLFetchScroll's code.
    SQLRETURN fetch_alone(SQLHSTMT statement, size_t row);

    // For a driver that hands a zero or impossible date as NULL fields (MariaDB's), after a fetch:
    // columns of fields where a value of the block may not be what its fields say (NULL), or is no
    // date number (stamp_moment refuses it: a month or day 0, a year before 1900), are bound as
    // 8-bit text from then on, and the block, whose first row is first_row (from 0 of the result),
    // is fetched again. Each value fetched back alone would cost the connector a walk from the
    // result's start. SQL_SUCCESS where nothing was to do, else SQLFetchScroll's code.
    SQLRETURN refetch_doubtful_fields(SQLHSTMT statement, size_t first_row);

    // The rows the last SQLFetch gave, and where each row stood (SQL_ROW_ERROR for a failed one).
    size_t rows() const { return fetched_; }
    bool row_failed(size_t row) const { return statuses_[row] == SQL_ROW_ERROR; }

    // The values of column (from 0) in the block.
    BoundColumn column(size_t column) const
    {
        const Buffer& b = buffers_[column];
        return {b.data.data(), b.indicators.data(), b.width, b.wide, b.stamp};
    }

private:
    // Takes back what bind() set; false.
    bool unbind(SQLHSTMT statement);

    struct Buffer {
        SQLSMALLINT c_type = SQL_C_CHAR;
        SQLLEN width = 0; // bytes of one row's value, its terminator included
        bool wide = false, stamp = false; // the C type's, told every cell of the column
        std::vector<char> data;
        std::vector<SQLLEN> indicators;
    };
    std::vector<Buffer> buffers_; // one per column; an unread column (binary) has none
    std::vector<SQLUSMALLINT> statuses_;
    SQLULEN fetched_ = 0;
    bool positions_ = true;
    bool alone_ = false;
};

} // namespace db
