#include "db/sql_diagnostics.h"

#include <string>

#include "xll/text.h"

namespace db {

namespace {

using xll::xstring;

template <size_t N> xstring zero_terminated(const SQLWCHAR (&s)[N], const DriverText& driver_text)
{
    size_t n = 0;
    while (n < N && s[n])
        ++n;
    xstring scratch;
    // A full buffer means the driver manager cut the text.
    return xstring(driver_text.incoming(xll::xstring_view(worksheet_text(s), n), scratch, n + 1 >= N));
}

DiagReader reader(SQLSMALLINT handle_type, SQLHANDLE handle)
{
    return [handle_type, handle](SQLSMALLINT n, DiagRecord& r) {
        SQLSMALLINT length = 0;
        return SQLGetDiagRecW(handle_type, handle, n, r.state, &r.native, r.message, diag_message_buffer, &length);
    };
}

// What the records' lines would take in the cell's text, a bound for reading no more of them.
size_t text_size(const std::vector<DiagnosticRecord>& records)
{
    size_t n = 0;
    for (const auto& r : records)
        n += r.state.size() + r.message.size() + 8;
    return n;
}

} // namespace

void check_sql_result(SQLRETURN rc)
{
    if (sql_succeeded(rc))
        return;
    if (rc == SQL_ERROR) // no records read: nothing says the next try fails the same way
        throw SqlError(XLL_T("#SQL Error"), FailureKind::transient);
    if (rc == SQL_INVALID_HANDLE)
        throw SqlError(XLL_T("#SQL Invalid Handle"));
    throw SqlError(XLL_T("#SQL Unknown Error"));
}

void read_diagnostics(std::vector<DiagnosticRecord>& records, const DiagReader& read, const DriverText& driver_text)
{
    for (SQLSMALLINT n = 1; n > 0 && text_size(records) < max_error_text; ++n) {
        DiagRecord record;
        SQLRETURN rc = read(n, record);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            return;
        records.push_back({n, zero_terminated(record.state, driver_text), static_cast<long>(record.native),
                           zero_terminated(record.message, driver_text)});
        if (rc == SQL_SUCCESS_WITH_INFO)
            return;
    }
}

void append_diagnostics(xstring& text, const DiagReader& read, const DriverText& driver_text)
{
    std::vector<DiagnosticRecord> records;
    read_diagnostics(records, read, driver_text);
    text = SqlError(text, std::move(records), FailureKind::statement).text();
}

void check_sql_diagnostics(SQLRETURN rc, OdbcStatement& statement, SQLHDBC connection, const DriverText& driver_text,
                           const DriverFamily& family)
{
    if (sql_succeeded(rc))
        return;
    if (rc == SQL_ERROR) {
        std::vector<DiagnosticRecord> records;
        if (connection != SQL_NULL_HDBC)
            read_diagnostics(records, reader(SQL_HANDLE_DBC, connection), driver_text);
        if (statement.get() != SQL_NULL_HSTMT)
            read_diagnostics(records, reader(SQL_HANDLE_STMT, statement.get()), driver_text);
        statement.release();
        const FailureKind kind = failure_kind(family, records);
        throw SqlError(XLL_T("#SQL Error "), std::move(records), kind);
    }
    statement.release();
    if (rc == SQL_INVALID_HANDLE)
        throw SqlError(XLL_T("#SQL Invalid Handle"));
    throw SqlError(XLL_T("#SQL Unknown Error"));
}

} // namespace db
