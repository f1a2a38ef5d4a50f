// Reading one result column's values into worksheet cells, by the column's SQL type. The choice
// of C type and cell value per type family is made once per column; reading a value then costs
// one SQLGetData (a few for long text).
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "db/calendar.h"
#include "db/driver_text.h"
#include "db/odbc_api.h"
#include "xll/oper.h"

namespace db {

// What a column's values become.
enum class ColumnKind {
    text,           // character types and GUID: UTF-16 text, NULL as empty text
    number,         // exact and approximate numerics as a double, NULL as #N/A
    integer,        // 32-bit and smaller integers
    big_integer,    // 64-bit integers, read whole
    date,           // a date number from DATE(year, month, day)
    time,           // a fraction of a day from TIME(hour, minute, second)
    timestamp_text, // the driver's timestamp text, as DATE + TIME of its parts
    interval,       // intervals: the first field of the timestamp record (the year)
    binary,         // never read: TRUE
    type_code,      // anything else: the SQL type code itself
};

ColumnKind column_kind(SQLSMALLINT sql_type);

// The units a complete SQLGetData piece holds in a buffer of room units plus its terminator: the
// indicator's count, never past the buffer. A driver that cannot tell the length (SQL_NO_TOTAL)
// has still terminated what it wrote.
template <class C> size_t piece_units(SQLLEN indicator, const C* buffer, size_t room)
{
    if (indicator >= 0)
        return std::min(static_cast<size_t>(indicator) / sizeof(C), room);
    return std::min(std::basic_string_view<C>(buffer, room).find(C{}), room);
}

class ColumnReader {
public:
    ColumnReader(Calendar& calendar, const DriverText& driver_text);

    // Reads column (from 1) of the current row into cell. Failed reads throw the texts of
    // CheckSqlResult; an unreadable timestamp text throws its parse failure.
    void read(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind, SQLSMALLINT sql_type, xll::OPER12& cell);

private:
    // Reads the whole character value, at most the worksheet's limit of it; false for NULL. The
    // view points into the reader's buffers and lives until the next read.
    bool read_text(SQLHSTMT statement, SQLUSMALLINT column, xll::xstring_view& text);

    // Reads a value meant to be ASCII (a timestamp's text) as bytes; false for NULL.
    bool read_ascii(SQLHSTMT statement, SQLUSMALLINT column, std::string_view& text);

    Calendar& calendar_;
    const DriverText& driver_text_;
    std::vector<XCHAR> buffer_;
    std::vector<char> bytes_buffer_;
    xll::xstring text_, decoded_;
    std::string bytes_, narrow_;
};

} // namespace db
