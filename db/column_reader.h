// Reading one result column's values into worksheet cells, by the column's SQL type. The choice
// of C type and cell value per type family is made once per column; reading a value then costs
// one SQLGetData (a few for long text).
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/calendar.h"
#include "db/driver_family.h"
#include "db/driver_text.h"
#include "db/fetched_rows.h"
#include "db/odbc_api.h"
#include "db/postgres_lost_dates.h"
#include "db/timestamp_text.h"
#include "xll/oper.h"

namespace db {

// What a column's values become. Every value but a binary one is read as the driver's text and
// converted here (value_text.h): no C type of the driver's choosing can wrap or cut it.
enum class ColumnKind {
    text,      // character types, GUIDs, intervals and types without a reading of their own
    number,    // exact and approximate numerics: the nearest double of the database's text
    date,      // a date number from DATE(year, month, day), with TIME of a time the text carries
    time,      // a fraction of a day from TIME(hour, minute, second)
    timestamp, // a date number from DATE + TIME of the driver's time stamp text
    bits,      // MariaDB's BIT(n), sent as its bytes: their unsigned value
    binary,    // never read: TRUE
};

ColumnKind column_kind(SQLSMALLINT sql_type);

// The kind of result column (from 1): by its SQL type, and by the type name where the engine's
// driver describes a column by another type than its values have. SQLite's driver describes a
// column declared DECIMAL(10,2) as VARCHAR although SQLite stores numbers in it; such a name (one
// that names a number and no text, as SQLite's own affinity rules read names) makes it a number
// column, whose texts that are no number still show as they are. So does the "varchar" the
// driver guesses for a table column without a declared type, or a computed one, whose first row
// held text or NULL: its later numbers are numbers. A column declared "varchar" reads the same
// there, but SQLite keeps only texts in it, so the catalogue is asked which of the two it is.
// MariaDB's BIT columns are described as BIT or BINARY and read as bits.
ColumnKind column_kind(SQLHDBC connection, SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT sql_type,
                       const DriverText& driver_text);
bool names_a_number_type(std::string_view type_name);

// The units a complete SQLGetData piece holds in a buffer of room units plus its terminator: the
// indicator's count, never past the buffer. A driver that cannot tell the length (SQL_NO_TOTAL)
// has still terminated what it wrote.
template <class C> size_t piece_units(SQLLEN indicator, const C* buffer, size_t room)
{
    if (indicator >= 0)
        return std::min(static_cast<size_t>(indicator) / sizeof(C), room);
    return std::min(std::basic_string_view<C>(buffer, room).find(C{}), room);
}

// A value a block fetch left in a bound buffer.
struct BoundValue {
    const char* data = nullptr;
    SQLLEN indicator = 0; // bytes without the terminator, SQL_NULL_DATA or SQL_NO_TOTAL
    SQLLEN width = 0;     // bytes of the buffer, its terminator included
    bool wide = false;    // UTF-16 units, else 8-bit text
    bool stamp = false;   // an SQL_TIMESTAMP_STRUCT, not text
};

// A bound column's values in a fetched block, row after row.
struct BoundColumn {
    const char* data = nullptr; // null for a column with no buffer (binary)
    const SQLLEN* indicators = nullptr;
    SQLLEN width = 0; // bytes of one row's value, its terminator included
    bool wide = false;
    bool stamp = false;

    BoundValue at(size_t row) const
    {
        if (width == 0)
            return {};
        return {data + row * static_cast<size_t>(width), indicators[row], width, wide, stamp};
    }
};

class ColumnReader {
public:
    ColumnReader(Calendar& calendar, const DriverText& driver_text, const DriverFamily& family);

    // Reads column (from 1) of the current row into cell. Failed reads throw the texts of
    // check_sql_result; a value no reader of its column takes shows as its text, in its own cell.
    void read(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind, FetchedCell& cell);

    // Reads column (from 1) of a block's count rows, cells[r] being row r's cells, as read() would
    // value by value. A value its buffer cut, 8-bit text that is no ASCII from a driver whose 8-bit
    // text is not UTF-8, or a date's fields that may not be its value (DriverFamily), is read again
    // whole, as text, positioned on its row; where the driver cannot position there, the cell is
    // left alone and the row is added to later (numbered from first_row): its value is still to be
    // read, by read() once its row is fetched alone.
    void read_block(SQLHSTMT statement, SQLUSMALLINT column, const BoundColumn& values, ColumnKind kind,
                    FetchedCell* const* cells, size_t count, bool positions, size_t first_row,
                    std::vector<std::pair<size_t, SQLUSMALLINT>>& later);

private:
    // A value of row (from 0) of the block that read_block's loop did not take, as above; false
    // when it is still to be read.
    bool read_rest(SQLHSTMT statement, SQLUSMALLINT column, size_t row, const BoundValue& value, ColumnKind kind,
                   FetchedCell& cell, bool positions);
    // Reads the whole value as the driver's text, at most what a cell can show of it; false for
    // NULL. Until the next read, ascii() and text() give it.
    bool fetch(SQLHSTMT statement, SQLUSMALLINT column);
    // Takes a bound value as fetch() would have read it; false when it must be read again whole.
    bool take(const BoundValue& value);
    // A NULL of the column's kind: empty text, or #N/A.
    static void null_cell(ColumnKind kind, FetchedCell& cell);
    // The value fetched now as a cell of its column.
    void convert(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind, FetchedCell& cell);
    // The value for the number, date and time readers: a character beyond ASCII becomes one that
    // none of them accepts.
    std::string_view ascii();
    // The value as worksheet text, cut to a cell's length.
    xll::xstring_view text();
    // The same, made into the cell.
    void text_cell(FetchedCell& cell);

    // The value as a number, or #NUM! for a non-finite one; false when its text is no number.
    bool number_cell(FetchedCell& cell);
    void number(FetchedCell& cell);
    // A date, time or time stamp column's value, in the forms of the connection's engine.
    void moment(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind, FetchedCell& cell);
    // True when SQLite's reading of the value is a date number or time of day the cell takes.
    bool sqlite_moment(ColumnKind kind, FetchedCell& cell);
    // The same for a server's forms; for PostgreSQL, also the values psqlODBC rewrote.
    bool server_moment(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind, FetchedCell& cell);
    void bits(SQLHSTMT statement, SQLUSMALLINT column, FetchedCell& cell);
    // The number the driver reads from the current row's value (its second reading of it).
    std::optional<double> reread_as_number(SQLHSTMT statement, SQLUSMALLINT column);
    // DATE + TIME of a day and its time, or TIME alone.
    double serial(const Moment& moment, bool with_day);

    Calendar& calendar_;
    const DriverText& driver_text_;
    const DatabaseEngine engine_;
    // What the driver's fields of a date or time stamp may hide (DriverFamily).
    const bool stamp_stand_ins_;
    const bool null_fields_may_be_dates_;
    // The days around the one the reader was made on, for psqlODBC's stand-ins.
    const StandInDays today_;
    std::vector<XCHAR> buffer_;
    std::vector<char> bytes_buffer_;
    xll::xstring text_, decoded_;
    std::string bytes_, narrow_;
    // The value fetched last: 8-bit text (UTF-8, or ASCII where the driver's is not UTF-8), else
    // UTF-16 units.
    std::string_view fetched_bytes_;
    xll::xstring_view fetched_units_;
    bool fetched_as_bytes_ = false;
    bool fetched_cut_ = false;
    // The row of the block the value is in, for reading it again (1 when rows come one by one).
    SQLSETPOSIROW position_ = 1;
};

} // namespace db
