// A result's columns bound to arrays of rows, fetched a block at a time: every driver here serves a
// block of bound values faster than the same values asked for one by one, most of all MariaDB's.
// Character columns are bound as UTF-16 text (as the driver's bytes for an 8-bit driver), every
// other column as 8-bit text: the digits of a number or a date need no wide characters. A value
// longer than its buffer is never taken cut: the reader positions on its row and reads it again
// whole, and a driver that cannot do that fails the result rather than cut it.
#pragma once

#include <cstddef>
#include <vector>

#include "db/column_reader.h"
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

    // Binds the columns when each can be read from a bound buffer and the driver takes blocks of
    // rows; false leaves the statement as it was, to be read value by value. Columns of long
    // values (no size, or one past a buffer's room) and MariaDB's bits are read value by value.
    bool bind(SQLHSTMT statement, const std::vector<ColumnShape>& columns, const DriverText& text);

    // The rows the last SQLFetch gave, and where each row stood (SQL_ROW_ERROR for a failed one).
    size_t rows() const { return fetched_; }
    bool row_failed(size_t row) const { return statuses_[row] == SQL_ROW_ERROR; }

    // The value of column (from 0) in row (from 0) of the block.
    BoundValue value(size_t column, size_t row) const;

private:
    // Takes back what bind() set; false.
    bool unbind(SQLHSTMT statement);

    struct Buffer {
        SQLSMALLINT c_type = SQL_C_CHAR;
        SQLLEN width = 0; // bytes of one row's value, its terminator included
        std::vector<char> data;
        std::vector<SQLLEN> indicators;
    };
    std::vector<Buffer> buffers_; // one per column; an unread column (binary) has none
    std::vector<SQLUSMALLINT> statuses_;
    SQLULEN fetched_ = 0;
};

} // namespace db
