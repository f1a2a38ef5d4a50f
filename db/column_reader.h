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

// What a column's values become. Every value but a binary one is read as the driver's text and
// converted here (value_text.h): no C type of the driver's choosing can wrap or cut it.
enum class ColumnKind {
    text,           // character types, GUIDs, intervals and types without a reading of their own
    number,         // exact and approximate numerics: the nearest double of the database's text
    date,           // a date number from DATE(year, month, day)
    time,           // a fraction of a day from TIME(hour, minute, second)
    timestamp_text, // the driver's timestamp text, as DATE + TIME of its parts
    binary,         // never read: TRUE
};

ColumnKind column_kind(SQLSMALLINT sql_type);

// The kind of result column (from 1): by its SQL type, and for SQLite, whose driver describes
// some number columns as character data, by the type name they were declared with. A column
// declared DECIMAL(10,2) is described as VARCHAR although SQLite stores numbers in it; such a
// name (one that names a number and no text, as SQLite's own affinity rules read names) makes it
// a number column, whose texts that are no number still show as they are. So does the VARCHAR the
// driver guesses for a column without a declared type, or a computed one, whose first row held
// text or NULL: its later numbers are numbers.
ColumnKind column_kind(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT sql_type, const DriverText& driver_text);
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

class ColumnReader {
public:
    ColumnReader(Calendar& calendar, const DriverText& driver_text);

    // Reads column (from 1) of the current row into cell. Failed reads throw the texts of
    // check_sql_result; an unreadable timestamp text throws its parse failure.
    void read(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind, xll::OPER12& cell);

private:
    // Reads the whole value as the driver's text, at most what a cell can show of it; false for
    // NULL. Until the next read, ascii() and text() give it.
    bool fetch(SQLHSTMT statement, SQLUSMALLINT column);
    // The value for the number, date and time readers: a character beyond ASCII becomes one that
    // none of them accepts.
    std::string_view ascii();
    // The value as worksheet text, cut to a cell's length.
    xll::xstring_view text();

    // The value as a number, or #NUM! for a non-finite one; false when its text is no number.
    bool number_cell(xll::OPER12& cell);
    void number(xll::OPER12& cell);
    void date(xll::OPER12& cell);
    void time(xll::OPER12& cell);
    void timestamp(xll::OPER12& cell);

    Calendar& calendar_;
    const DriverText& driver_text_;
    std::vector<XCHAR> buffer_;
    std::vector<char> bytes_buffer_;
    xll::xstring text_, decoded_;
    std::string bytes_, narrow_;
    // The value fetched last: bytes from an 8-bit driver, else UTF-16 units.
    std::string_view fetched_bytes_;
    xll::xstring_view fetched_units_;
    bool fetched_cut_ = false;
};

} // namespace db
