#include "db/bound_columns.h"

#include <cstring>

#include "db/stamp_fields.h"

namespace db {

namespace {

// The longest character column bound: its buffer holds this many UTF-16 units and a terminator.
// Longer ones, and those of no known size, are read value by value in pieces, or, where a value
// past its buffer is fetched back from memory (SQLite's), bound at this size.
constexpr SQLULEN bound_text_units = 255;
// The room of an 8-bit value: the digits of any double, a time stamp with its fraction and zone;
// a longer one (SQLite keeps any text in any column) is read again whole.
constexpr SQLLEN narrow_width = 64;

bool character_type(SQLSMALLINT t)
{
    return t == SQL_CHAR || t == SQL_VARCHAR || t == SQL_WCHAR || t == SQL_WVARCHAR;
}

} // namespace

void BoundColumns::prepare(SQLHSTMT statement, const DriverFamily& family)
{
    // A driver that refuses keeps its forward-only cursor, and bind() sees that.
    if (!family.positions_in_blocks)
        SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0);
}

namespace {

bool static_cursor(SQLHSTMT statement)
{
    SQLULEN type = SQL_CURSOR_FORWARD_ONLY;
    return SQL_SUCCEEDED(SQLGetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, &type, 0, nullptr)) &&
           type == SQL_CURSOR_STATIC;
}

} // namespace

SQLLEN BoundColumns::static_rows(SQLHSTMT statement)
{
    SQLLEN rows = -1;
    if (!static_cursor(statement) ||
        !SQL_SUCCEEDED(SQLGetDiagField(SQL_HANDLE_STMT, statement, 0, SQL_DIAG_CURSOR_ROW_COUNT, &rows, 0, nullptr)))
        return -1;
    return rows;
}

bool BoundColumns::bind(SQLHSTMT statement, const std::vector<ColumnShape>& columns, const DriverText& text,
                        const DriverFamily& family)
{
    positions_ = family.positions_in_blocks;
    if (!positions_ && !static_cursor(statement))
        return false;
    const bool transcoded = text.transcoded();
    std::vector<Buffer> buffers(columns.size());
    for (size_t j = 0; j < columns.size(); ++j) {
        const ColumnShape& c = columns[j];
        Buffer& b = buffers[j];
        if (c.kind == ColumnKind::binary)
            continue; // never read
        if (c.kind == ColumnKind::bits)
            return false;
        if (c.kind == ColumnKind::text) {
            // Character columns have a size; intervals, GUIDs and the like take narrow text.
            const bool long_text = c.sql_type == SQL_LONGVARCHAR || c.sql_type == SQL_WLONGVARCHAR;
            if (character_type(c.sql_type) || long_text) {
                SQLULEN size = c.size;
                if (size == 0 || size > bound_text_units || long_text) {
                    // A value past its buffer costs a second read: worth it where that read is a
                    // row fetched back from memory, as SQLite's TEXT columns mostly hold short
                    // values; on a server, long columns are read value by value.
                    if (positions_)
                        return false;
                    size = bound_text_units;
                }
                // Where the driver's 8-bit text is UTF-8, it costs a fraction of its UTF-16
                // (MariaDB's connector opens a converter for every wide value).
                const bool narrow = transcoded || text.narrow_is_utf8();
                b.c_type = narrow ? SQL_C_CHAR : SQL_C_WCHAR;
                // A character may take four bytes of 8-bit text, or a surrogate pair of UTF-16
                // units: MariaDB's driver cuts a pair in a buffer counted in characters and says
                // nothing, so no buffer is left to count on the driver's word.
                b.width = static_cast<SQLLEN>((size * (narrow ? 4 : 2) + 1) * (narrow ? 1 : sizeof(SQLWCHAR)));
            }
        }
        if ((c.kind == ColumnKind::timestamp && family.typed_time_stamps) ||
            (c.kind == ColumnKind::date && family.typed_dates)) {
            b.c_type = SQL_C_TYPE_TIMESTAMP;
            b.width = sizeof(SQL_TIMESTAMP_STRUCT);
        }
        if (b.width == 0) {
            b.c_type = SQL_C_CHAR;
            b.width = narrow_width;
        }
        b.wide = b.c_type == SQL_C_WCHAR;
        b.stamp = b.c_type == SQL_C_TYPE_TIMESTAMP;
        b.data.resize(static_cast<size_t>(b.width) * block_rows);
        b.indicators.resize(block_rows);
    }
    statuses_.assign(block_rows, SQL_ROW_SUCCESS);
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE,
                                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(block_rows)), 0)))
        return false;
    SQLULEN size = 0;
    // A driver may take another size than asked (an option value changed): only the asked one is
    // what the buffers hold.
    if (!SQL_SUCCEEDED(SQLGetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, &size, 0, nullptr)) || size != block_rows)
        return unbind(statement);
    buffers_ = std::move(buffers);
    for (size_t j = 0; j < buffers_.size(); ++j) {
        Buffer& b = buffers_[j];
        if (b.width == 0)
            continue;
        if (!SQL_SUCCEEDED(SQLBindCol(statement, static_cast<SQLUSMALLINT>(j + 1), b.c_type, b.data.data(), b.width,
                                      b.indicators.data())))
            return unbind(statement);
    }
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0)) ||
        !SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_ROW_STATUS_PTR, statuses_.data(), 0)))
        return unbind(statement);
    return true;
}

bool BoundColumns::unbind(SQLHSTMT statement)
{
    SQLFreeStmt(statement, SQL_UNBIND);
    SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(1)), 0);
    buffers_.clear();
    return false;
}

SQLRETURN BoundColumns::refetch_doubtful_fields(SQLHSTMT statement, size_t first_row)
{
    bool rebound = false;
    for (size_t j = 0; j < buffers_.size(); ++j) {
        Buffer& b = buffers_[j];
        if (!b.stamp)
            continue;
        bool doubtful = false;
        for (size_t r = 0; r < fetched_ && !doubtful; ++r) {
            SQL_TIMESTAMP_STRUCT t;
            std::memcpy(&t, b.data.data() + r * static_cast<size_t>(b.width), sizeof t);
            doubtful = b.indicators[r] == SQL_NULL_DATA || !stamp_moment(t);
        }
        if (!doubtful)
            continue;
        Buffer text;
        text.width = narrow_width;
        text.data.resize(static_cast<size_t>(text.width) * block_rows);
        text.indicators.resize(block_rows);
        // Refused, the fields stay bound, and each doubtful value is read again alone: slower,
        // never wrong.
        if (SQL_SUCCEEDED(SQLBindCol(statement, static_cast<SQLUSMALLINT>(j + 1), SQL_C_CHAR, text.data.data(),
                                     text.width, text.indicators.data()))) {
            b = std::move(text);
            rebound = true;
        }
    }
    return rebound ? SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, static_cast<SQLLEN>(first_row + 1)) : SQL_SUCCESS;
}

SQLRETURN BoundColumns::fetch_alone(SQLHSTMT statement, size_t row)
{
    if (!alone_) {
        unbind(statement);
        alone_ = true;
    }
    return SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, static_cast<SQLLEN>(row + 1));
}

} // namespace db
