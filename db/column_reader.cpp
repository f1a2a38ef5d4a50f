#include "db/column_reader.h"

#include <algorithm>
#include <string>

#include "db/sql_diagnostics.h"
#include "db/timestamp_text.h"
#include "xll/text.h"

namespace db {

namespace {

using xll::OPER12;
using xll::xlerr;

// Most values fit at once; longer ones are read on in pieces of this size.
constexpr size_t buffer_units = 4096;
constexpr size_t max_cell_text = static_cast<size_t>(xll::limits<XLOPER12>::maxchars);

// The worksheet holds at most 32767 UTF-16 units in a cell: a longer text is cut there.
xll::xstring_view cut_to_cell(xll::xstring_view s) { return xll::cut_units(s, max_cell_text); }

template <class T> bool read_fixed(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT c_type, T& value)
{
    SQLLEN indicator = 0;
    CheckSqlResult(SQLGetData(statement, column, c_type, &value, sizeof(value), &indicator));
    return indicator != SQL_NULL_DATA;
}


} // namespace

ColumnKind column_kind(SQLSMALLINT sql_type)
{
    switch (sql_type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_GUID: return ColumnKind::text;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE: return ColumnKind::number;
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIT: return ColumnKind::integer;
    case SQL_BIGINT: return ColumnKind::big_integer;
    case SQL_DATE:
    case SQL_TYPE_DATE: return ColumnKind::date;
    case SQL_TIME:
    case SQL_TYPE_TIME: return ColumnKind::time;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: return ColumnKind::timestamp_text;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: return ColumnKind::binary;
    default:
        if (sql_type >= 101 && sql_type <= 113)
            return ColumnKind::interval;
        return ColumnKind::type_code;
    }
}

ColumnReader::ColumnReader(Calendar& calendar, const DriverText& driver_text)
    : calendar_(calendar), driver_text_(driver_text), buffer_(buffer_units), bytes_buffer_(buffer_units)
{
}

namespace {

// Reads a character value in pieces of the buffer's size, keeping at most `wanted` units. The
// common single piece is left in the buffer and viewed there; longer values collect in `whole`.
// False for NULL; `cut` tells whether reading stopped before the value's end.
template <class C>
bool read_pieces(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT c_type, std::vector<C>& buffer,
                 std::basic_string<C>& whole, size_t wanted, std::basic_string_view<C>& text, bool& cut)
{
    const SQLLEN bytes = static_cast<SQLLEN>(buffer.size() * sizeof(C));
    const size_t room = buffer.size() - 1; // the driver always writes a terminator
    cut = false;
    bool first = true;
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(statement, column, c_type, buffer.data(), bytes, &indicator);
        if (rc == SQL_NO_DATA) // every piece has been read
            break;
        CheckSqlResult(rc);
        if (indicator == SQL_NULL_DATA)
            return false;
        bool more = rc == SQL_SUCCESS_WITH_INFO &&
                    (indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) / sizeof(C) > room);
        std::basic_string_view<C> piece(buffer.data(), more ? room : piece_units(indicator, buffer.data(), room));
        if (first && !more) {
            text = piece;
            return true;
        }
        if (first)
            whole.clear();
        first = false;
        whole.append(piece.substr(0, std::min(piece.size(), wanted - whole.size())));
        if (whole.size() >= wanted) { // the rest would be thrown away: stop reading it
            cut = more;
            break;
        }
        if (!more)
            break;
    }
    if (first)
        whole.clear();
    text = whole;
    return true;
}

} // namespace

bool ColumnReader::read_text(SQLHSTMT statement, SQLUSMALLINT column, xll::xstring_view& text)
{
    bool cut = false;
    if (driver_text_.transcoded()) {
        // An 8-bit driver's text is read as the bytes it is: the driver manager's own conversion
        // to UTF-16 would only pass through Latin-1 (and cost a conversion per value).
        std::string_view bytes;
        if (!read_pieces(statement, column, SQL_C_CHAR, bytes_buffer_, bytes_, (max_cell_text + 1) * 4, bytes, cut))
            return false;
        DriverText::decode_bytes(bytes, decoded_, cut);
        text = cut_to_cell(decoded_);
        return true;
    }
    // One unit past the limit shows whether the cut splits a surrogate pair.
    if (!read_pieces(statement, column, SQL_C_WCHAR, buffer_, text_, max_cell_text + 1, text, cut))
        return false;
    text = cut_to_cell(text);
    return true;
}

bool ColumnReader::read_ascii(SQLHSTMT statement, SQLUSMALLINT column, std::string_view& text)
{
    bool cut = false;
    if (driver_text_.transcoded())
        return read_pieces(statement, column, SQL_C_CHAR, bytes_buffer_, bytes_, max_cell_text + 1, text, cut);
    xll::xstring_view wide;
    if (!read_pieces(statement, column, SQL_C_WCHAR, buffer_, text_, max_cell_text + 1, wide, cut))
        return false;
    narrow_.assign(wide.size(), '?'); // anything beyond ASCII is no digit anyway
    for (size_t i = 0; i < wide.size(); ++i)
        if (wide[i] < 0x80)
            narrow_[i] = static_cast<char>(wide[i]);
    text = narrow_;
    return true;
}

void ColumnReader::read(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind, SQLSMALLINT sql_type, OPER12& cell)
{
    switch (kind) {
    case ColumnKind::text: {
        xll::xstring_view text;
        if (read_text(statement, column, text))
            cell = text;
        else
            cell = xll::xstring_view();
        return;
    }
    case ColumnKind::number: {
        double v = 0;
        if (read_fixed(statement, column, SQL_C_DOUBLE, v))
            cell = v;
        else
            cell = xlerr::NA;
        return;
    }
    case ColumnKind::integer: {
        SQLINTEGER v = 0;
        if (read_fixed(statement, column, SQL_C_LONG, v))
            cell = static_cast<double>(v);
        else
            cell = xlerr::NA;
        return;
    }
    case ColumnKind::big_integer: {
        SQLBIGINT v = 0;
        if (read_fixed(statement, column, SQL_C_SBIGINT, v))
            cell = static_cast<double>(v);
        else
            cell = xlerr::NA;
        return;
    }
    case ColumnKind::date: {
        DATE_STRUCT d{};
        if (read_fixed(statement, column, SQL_C_DATE, d))
            cell = calendar_.date(d.year, d.month, d.day);
        else
            cell = xlerr::NA;
        return;
    }
    case ColumnKind::time: {
        TIME_STRUCT t{};
        if (read_fixed(statement, column, SQL_C_TIME, t))
            cell = calendar_.time(t.hour, t.minute, t.second);
        else
            cell = xlerr::NA;
        return;
    }
    case ColumnKind::timestamp_text: {
        std::string_view text;
        if (!read_ascii(statement, column, text)) {
            cell = xlerr::NA;
            return;
        }
        TimestampParts p = parse_timestamp_text(text);
        double day = calendar_.date(static_cast<double>(p.year), static_cast<double>(p.month), static_cast<double>(p.day));
        double time = calendar_.time(static_cast<double>(p.hour), static_cast<double>(p.minute), p.second);
        cell = day + time;
        return;
    }
    case ColumnKind::interval: {
        TIMESTAMP_STRUCT ts{};
        if (read_fixed(statement, column, SQL_C_TYPE_TIMESTAMP, ts))
            cell = static_cast<double>(ts.year);
        else
            cell = xlerr::NA;
        return;
    }
    case ColumnKind::binary: cell = true; return;
    case ColumnKind::type_code: cell = static_cast<double>(sql_type); return;
    }
}

} // namespace db
