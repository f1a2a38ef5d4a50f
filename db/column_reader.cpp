#include "db/column_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

#include "db/declared_column_type.h"
#include "db/postgres_lost_dates.h"
#include "db/sql_diagnostics.h"
#include "db/sqlite_time_text.h"
#include "db/stamp_fields.h"
#include "db/value_text.h"
#include "xll/text.h"

namespace db {

namespace {

using xll::xlerr;

// Most values fit in the first piece; longer ones are read on in pieces of the buffer's size.
constexpr size_t first_piece_units = 256;
constexpr size_t buffer_units = 4096;
using xll::max_cell_text;

// The worksheet holds at most 32767 UTF-16 units in a cell: a longer text is cut there.
xll::xstring_view cut_to_cell(xll::xstring_view s) { return xll::cut_units(s, max_cell_text); }

} // namespace

ColumnKind column_kind(SQLSMALLINT sql_type)
{
    switch (sql_type) {
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIT:
    case SQL_BIGINT: return ColumnKind::number;
    case SQL_DATE:
    case SQL_TYPE_DATE: return ColumnKind::date;
    case SQL_TIME:
    case SQL_TYPE_TIME: return ColumnKind::time;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: return ColumnKind::timestamp;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: return ColumnKind::binary;
    default:
        // Character types, GUIDs, intervals, and whatever a driver has of its own: the driver's
        // text of the value says what it is, where its type code or an interval's first field
        // would be a number that is not the value.
        return ColumnKind::text;
    }
}

bool names_a_number_type(std::string_view type_name)
{
    std::string upper(type_name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    auto has = [&](const char* part) { return upper.find(part) != std::string::npos; };
    if (has("CHAR") || has("CLOB") || has("TEXT"))
        return false;
    return has("INT") || has("REAL") || has("FLOA") || has("DOUB") || has("DEC") || has("NUM");
}

namespace {

// The type name a driver gives a result column, in ASCII; empty when it gives none.
std::string type_name(SQLHSTMT statement, SQLUSMALLINT column)
{
    SQLWCHAR name[64] = {};
    SQLSMALLINT length = 0;
    std::string ascii;
    if (SQL_SUCCEEDED(SQLColAttributeW(statement, column, SQL_DESC_TYPE_NAME, name, sizeof name, &length, nullptr)))
        for (size_t i = 0; i < std::size(name) - 1 && name[i]; ++i)
            ascii += name[i] < 0x80 ? static_cast<char>(name[i]) : '?';
    return ascii;
}

ColumnKind sqlite_character_kind(SQLHDBC connection, SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind)
{
    const std::string name = type_name(statement, column);
    if (names_a_number_type(name))
        return ColumnKind::number;
    if (name == "varchar") {
        // The guess has no length, and neither has a column declared plain varchar: the
        // catalogue tells them apart.
        SQLLEN precision = -1;
        if (SQL_SUCCEEDED(SQLColAttributeW(statement, column, SQL_DESC_PRECISION, nullptr, 0, nullptr, &precision)) &&
            precision == 0 && !declared_column_type(connection, statement, column))
            return ColumnKind::number;
    }
    return kind;
}

} // namespace

ColumnKind column_kind(SQLHDBC connection, SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT sql_type,
                       const DriverText& driver_text)
{
    ColumnKind kind = column_kind(sql_type);
    switch (driver_text.engine()) {
    case DatabaseEngine::sqlite:
        if (sql_type == SQL_CHAR || sql_type == SQL_VARCHAR || sql_type == SQL_LONGVARCHAR)
            return sqlite_character_kind(connection, statement, column, kind);
        return kind;
    case DatabaseEngine::mariadb:
        if ((sql_type == SQL_BIT || sql_type == SQL_BINARY) && type_name(statement, column) == "bit")
            return ColumnKind::bits;
        return kind;
    default: return kind;
    }
}

ColumnReader::ColumnReader(Calendar& calendar, const DriverText& driver_text, const DriverFamily& family)
    : calendar_(calendar), driver_text_(driver_text), engine_(driver_text.engine()),
      stamp_stand_ins_(family.stamp_stand_ins), null_fields_may_be_dates_(family.null_fields_may_be_dates),
      today_(static_cast<long long>(std::time(nullptr)) / 86400), buffer_(buffer_units),
      bytes_buffer_(buffer_units)
{
}

namespace {

// Reads a character value in pieces, keeping at most `wanted` units. The first piece is offered
// `first_units` of the buffer: most values are short, and a driver may fill all the room it is
// offered (SQLite's pads it with zeros). Later pieces get the whole buffer. The common single
// piece is left in the buffer and viewed there; longer values collect in `whole`. False for NULL;
// `cut` tells whether reading stopped before the value's end.
template <class C>
bool read_pieces(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT c_type, std::vector<C>& buffer,
                 std::basic_string<C>& whole, size_t wanted, std::basic_string_view<C>& text, bool& cut)
{
    size_t units = std::min(first_piece_units, buffer.size());
    cut = false;
    bool first = true;
    for (;;) {
        const SQLLEN bytes = static_cast<SQLLEN>(units * sizeof(C));
        const size_t room = units - 1; // the driver always writes a terminator
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(statement, column, c_type, buffer.data(), bytes, &indicator);
        if (rc == SQL_NO_DATA) // every piece has been read
            break;
        check_sql_result(rc);
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
        units = buffer.size();
    }
    if (first)
        whole.clear();
    text = whole;
    return true;
}

} // namespace

bool ColumnReader::fetch(SQLHSTMT statement, SQLUSMALLINT column)
{
    fetched_bytes_ = {};
    fetched_units_ = {};
    fetched_as_bytes_ = driver_text_.transcoded();
    narrow_.clear();
    if (fetched_as_bytes_) {
        // An 8-bit driver's text is read as the bytes it is: the driver manager's own conversion
        // to UTF-16 would only pass through Latin-1 (and cost a conversion per value).
        return read_pieces(statement, column, SQL_C_CHAR, bytes_buffer_, bytes_, (max_cell_text + 1) * 4,
                           fetched_bytes_, fetched_cut_);
    }
    // One unit past the limit shows whether the cut splits a surrogate pair.
    return read_pieces(statement, column, SQL_C_WCHAR, buffer_, text_, max_cell_text + 1, fetched_units_,
                       fetched_cut_);
}

bool ColumnReader::take(const BoundValue& value)
{
    fetched_units_ = {};
    fetched_bytes_ = {};
    fetched_cut_ = false;
    narrow_.clear();
    const size_t unit = value.wide ? sizeof(XCHAR) : 1;
    if (value.indicator == SQL_NO_TOTAL || value.indicator < 0 ||
        static_cast<size_t>(value.indicator) > static_cast<size_t>(value.width) - unit)
        return false; // cut by its buffer
    const size_t units = static_cast<size_t>(value.indicator) / unit;
    fetched_as_bytes_ = !value.wide;
    if (value.wide) {
        fetched_units_ = xll::xstring_view(reinterpret_cast<const XCHAR*>(value.data), units);
        return true;
    }
    fetched_bytes_ = std::string_view(value.data, units);
    // From a UTF-16 driver whose 8-bit text is not UTF-8, it is only sure to be the value where it
    // is ASCII.
    return driver_text_.narrow_is_utf8() || std::all_of(fetched_bytes_.begin(), fetched_bytes_.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x80;
           });
}

std::string_view ColumnReader::ascii()
{
    if (fetched_as_bytes_)
        return fetched_bytes_;
    if (narrow_.empty() && !fetched_units_.empty()) {
        narrow_.assign(fetched_units_.size(), '\x7f');
        for (size_t i = 0; i < fetched_units_.size(); ++i)
            if (fetched_units_[i] < 0x80)
                narrow_[i] = static_cast<char>(fetched_units_[i]);
    }
    return narrow_;
}

xll::xstring_view ColumnReader::text()
{
    if (!fetched_as_bytes_)
        return cut_to_cell(fetched_units_);
    // UTF-8, or ASCII where the driver's 8-bit text is not.
    DriverText::decode_bytes(fetched_bytes_, decoded_, fetched_cut_);
    return cut_to_cell(decoded_);
}

void ColumnReader::text_cell(FetchedCell& cell)
{
    // 8-bit text is nearly always well-formed UTF-8 (most of it ASCII), decoded in one pass
    // straight into its cell's block.
    if (fetched_as_bytes_ && !fetched_cut_ && cell.assign_utf8(fetched_bytes_))
        return;
    cell = text();
}

bool ColumnReader::number_cell(FetchedCell& cell)
{
    std::string_view s = ascii();
    std::optional<double> v = decimal_number(s);
    // MariaDB pads ZEROFILL columns and YEAR with zeros; in SQLite, "007" is a text it keeps.
    if (!v && engine_ != DatabaseEngine::sqlite)
        v = zero_padded_number(s);
    if (v)
        if (std::isfinite(*v))
            cell = *v;
        else
            cell = xlerr::Num;
    else if (names_non_finite(s))
        cell = xlerr::Num;
    else
        return false;
    return true;
}

void ColumnReader::number(FetchedCell& cell)
{
    // Not a number (SQLite keeps any value in any column, PostgreSQL's money is "$12.50"): the
    // text it is, never a number read from its start.
    if (!number_cell(cell))
        text_cell(cell);
}

double ColumnReader::serial(const Moment& m, bool with_day) { return calendar_.serial(m, with_day); }

bool ColumnReader::sqlite_moment(ColumnKind kind, FetchedCell& cell)
{
    auto v = sqlite_time_value(ascii());
    // A number in a TIME column is that number; a julian day number elsewhere is SQLite's date.
    if (!v || (v->number && kind == ColumnKind::time))
        return false;
    if (kind == ColumnKind::time && v->time_only)
        cell = serial(v->moment, false);
    else if (in_worksheet_calendar(v->moment.year))
        cell = serial(v->moment, true);
    else
        return false;
    return true;
}

bool ColumnReader::server_moment(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind, FetchedCell& cell)
{
    std::string_view s = ascii();
    auto m = db::server_moment(s, engine_ == DatabaseEngine::postgresql);
    const bool taken =
        m && (kind == ColumnKind::time ? !m->has_day : m->has_day && in_worksheet_calendar(m->year));
    if (engine_ == DatabaseEngine::postgresql && kind != ColumnKind::time && may_stand_for_lost_date(s, taken))
        if (auto n = reread_as_number(statement, column))
            switch (lost_date(*n)) {
            case LostDate::infinity: cell = xll::xstring_view(XLL_T("infinity")); return true;
            case LostDate::minus_infinity: cell = xll::xstring_view(XLL_T("-infinity")); return true;
            case LostDate::beyond_9999: cell = xlerr::Num; return true;
            case LostDate::none: break;
            }
    if (taken)
        cell = serial(*m, m->has_day);
    return taken;
}

void ColumnReader::moment(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind, FetchedCell& cell)
{
    if (engine_ == DatabaseEngine::sqlite ? sqlite_moment(kind, cell) : server_moment(statement, column, kind, cell))
        return;
    // A number stays that number; a day the worksheet's dates cannot show, a duration beyond the
    // day (MariaDB's TIME), and anything else keep the database's text.
    if (!number_cell(cell))
        text_cell(cell);
}

std::optional<double> ColumnReader::reread_as_number(SQLHSTMT statement, SQLUSMALLINT column)
{
    // Positioning on the current row again lets its values be read once more.
    if (!SQL_SUCCEEDED(SQLSetPos(statement, position_, SQL_POSITION, SQL_LOCK_NO_CHANGE)))
        return std::nullopt;
    double v = 0;
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_DOUBLE, &v, sizeof v, &indicator)) ||
        indicator == SQL_NULL_DATA)
        return std::nullopt;
    return v;
}

void ColumnReader::bits(SQLHSTMT statement, SQLUSMALLINT column, FetchedCell& cell)
{
    unsigned char bytes[16] = {};
    SQLLEN indicator = 0;
    check_sql_result(SQLGetData(statement, column, SQL_C_BINARY, bytes, sizeof bytes, &indicator));
    if (indicator == SQL_NULL_DATA) {
        cell = xlerr::NA;
        return;
    }
    // At most 64 bits, most significant byte first.
    std::uint64_t value = 0;
    for (size_t i = 0; i < std::min(static_cast<size_t>(std::max<SQLLEN>(indicator, 0)), sizeof bytes); ++i)
        value = value << 8 | bytes[i];
    cell = static_cast<double>(value);
}

void ColumnReader::read(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind, FetchedCell& cell)
{
    position_ = 1;
    if (kind == ColumnKind::binary) {
        cell = true;
        return;
    }
    if (kind == ColumnKind::bits) {
        bits(statement, column, cell);
        return;
    }
    if (!fetch(statement, column)) {
        null_cell(kind, cell);
        return;
    }
    convert(statement, column, kind, cell);
}

bool ColumnReader::read_rest(SQLHSTMT statement, SQLUSMALLINT column, size_t row, const BoundValue& value,
                             ColumnKind kind, FetchedCell& cell, bool positions)
{
    position_ = static_cast<SQLSETPOSIROW>(row + 1);
    if (kind == ColumnKind::binary) {
        cell = true;
        return true;
    }
    // A NULL of the fields may be a date the driver could not put in them: its text tells.
    if (value.indicator == SQL_NULL_DATA && (!value.stamp || !null_fields_may_be_dates_)) {
        null_cell(kind, cell);
        return true;
    }
    // A time stamp's text tells what its fields cannot.
    if (value.stamp || !take(value)) {
        if (!positions)
            return false;
        // Positioned on its row, the value can be read once more, whole and as text.
        check_sql_result(SQLSetPos(statement, position_, SQL_POSITION, SQL_LOCK_NO_CHANGE));
        if (!fetch(statement, column)) {
            null_cell(kind, cell);
            return true;
        }
    }
    convert(statement, column, kind, cell);
    return true;
}

void ColumnReader::read_block(SQLHSTMT statement, SQLUSMALLINT column, const BoundColumn& values, ColumnKind kind,
                              FetchedCell* const* cells, size_t count, bool positions, size_t first_row,
                              std::vector<std::pair<size_t, SQLUSMALLINT>>& later)
{
    // The values that make up most of a large result are taken here, in one loop a column: a
    // number's 8-bit digits, UTF-8 text within its buffer, a date's fields or its text. Whatever
    // else a value is (NULL, cut by its buffer, a text that is no number, fields that may not be
    // the date) takes read_rest().
    enum class Road { any, digits, utf8, fields, moment };
    Road road = Road::any;
    if (values.width == 0 || values.wide)
        road = Road::any;
    else if (values.stamp)
        road = Road::fields;
    else if (kind == ColumnKind::number)
        road = Road::digits;
    else if (kind == ColumnKind::text && driver_text_.narrow_is_utf8())
        road = Road::utf8;
    else if (kind == ColumnKind::date || kind == ColumnKind::time || kind == ColumnKind::timestamp)
        road = Road::moment;
    const size_t j = column - 1u;
    for (size_t r = 0; r < count; ++r) {
        FetchedCell& cell = cells[r][j];
        if (road != Road::any) {
            const SQLLEN indicator = values.indicators[r];
            const char* data = values.data + r * static_cast<size_t>(values.width);
            const bool whole = indicator >= 0 && indicator < values.width;
            if (road == Road::digits && whole) {
                if (auto v = decimal_number(std::string_view(data, static_cast<size_t>(indicator)));
                    v && std::isfinite(*v)) {
                    cell = *v;
                    continue;
                }
            }
            else if (road == Road::utf8 && whole) {
                if (cell.assign_utf8(std::string_view(data, static_cast<size_t>(indicator))))
                    continue;
            }
            else if (road == Road::moment && whole) {
                position_ = static_cast<SQLSETPOSIROW>(r + 1);
                if (take(values.at(r))) {
                    moment(statement, column, kind, cell);
                    continue;
                }
            }
            else if (road == Road::fields && indicator != SQL_NULL_DATA) {
                SQL_TIMESTAMP_STRUCT stamp;
                std::memcpy(&stamp, data, sizeof stamp);
                if (auto m = stamp_moment(stamp); m && !(stamp_stand_ins_ && stamp_may_stand_in(stamp, today_))) {
                    cell = serial(*m, true);
                    continue;
                }
            }
        }
        if (!read_rest(statement, column, r, values.at(r), kind, cell, positions))
            later.emplace_back(first_row + r, column);
    }
}

void ColumnReader::null_cell(ColumnKind kind, FetchedCell& cell)
{
    if (kind == ColumnKind::text)
        cell.assign_utf8({}); // an empty text, made as every fetched text is
    else
        cell = xlerr::NA;
}

void ColumnReader::convert(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind, FetchedCell& cell)
{
    switch (kind) {
    case ColumnKind::text: text_cell(cell); return;
    case ColumnKind::number: number(cell); return;
    case ColumnKind::date:
    case ColumnKind::time:
    case ColumnKind::timestamp: moment(statement, column, kind, cell); return;
    case ColumnKind::bits:
    case ColumnKind::binary: return;
    }
}

} // namespace db
