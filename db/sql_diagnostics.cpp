#include "db/sql_diagnostics.h"

#include <string>

#include "xll/text.h"

namespace db {

namespace {

using xll::xstring;

void append_ascii(xstring& text, const std::string& s)
{
    for (char c : s)
        text += static_cast<XCHAR>(static_cast<unsigned char>(c));
}

template <size_t N> void append_zero_terminated(xstring& text, const SQLWCHAR (&s)[N], const DriverText& driver_text)
{
    size_t n = 0;
    while (n < N && s[n])
        ++n;
    xstring scratch;
    // A full buffer means the driver manager cut the text.
    text += driver_text.incoming(xll::xstring_view(worksheet_text(s), n), scratch, n + 1 >= N);
}

// Keeps text within the error buffer without leaving half of a surrogate pair at the end.
void cap(xstring& text)
{
    text.resize(xll::cut_units(text, max_error_text).size());
}

DiagReader reader(SQLSMALLINT handle_type, SQLHANDLE handle)
{
    return [handle_type, handle](SQLSMALLINT n, DiagRecord& r) {
        SQLSMALLINT length = 0;
        return SQLGetDiagRecW(handle_type, handle, n, r.state, &r.native, r.message, diag_message_buffer, &length);
    };
}

} // namespace

void check_sql_result(SQLRETURN rc)
{
    if (sql_succeeded(rc))
        return;
    if (rc == SQL_ERROR) // no records read: nothing says the next try fails the same way
        throw SqlError(XLL_T("#SQL Error"), true);
    if (rc == SQL_INVALID_HANDLE)
        throw SqlError(XLL_T("#SQL Invalid Handle"));
    throw SqlError(XLL_T("#SQL Unknown Error"));
}

void append_diagnostics(xstring& text, const DiagReader& read, const DriverText& driver_text)
{
    for (SQLSMALLINT n = 1; n > 0 && text.size() < max_error_text; ++n) {
        DiagRecord record;
        SQLRETURN rc = read(n, record);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            return;
        append_zero_terminated(text, record.state, driver_text);
        append_ascii(text, ":" + std::to_string(n) + ":" + std::to_string(static_cast<long>(record.native)) + ":");
        append_zero_terminated(text, record.message, driver_text);
        text += XCHAR('\n');
        cap(text);
        if (rc == SQL_SUCCESS_WITH_INFO)
            return;
    }
}

void check_sql_diagnostics(SQLRETURN rc, OdbcStatement& statement, SQLHDBC connection, const DriverText& driver_text)
{
    if (sql_succeeded(rc))
        return;
    if (rc == SQL_ERROR) {
        xstring text = XLL_T("#SQL Error ");
        if (connection != SQL_NULL_HDBC)
            append_diagnostics(text, reader(SQL_HANDLE_DBC, connection), driver_text);
        if (statement.get() != SQL_NULL_HSTMT)
            append_diagnostics(text, reader(SQL_HANDLE_STMT, statement.get()), driver_text);
        statement.release();
        throw SqlError(std::move(text));
    }
    statement.release();
    if (rc == SQL_INVALID_HANDLE)
        throw SqlError(XLL_T("#SQL Invalid Handle"));
    throw SqlError(XLL_T("#SQL Unknown Error"));
}

} // namespace db
