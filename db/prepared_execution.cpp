#include "db/prepared_execution.h"

#include <algorithm>
#include <string>
#include <vector>

#include "db/odbc_connection.h"
#include "db/sql_diagnostics.h"
#include "xll/text.h"

namespace db {

namespace {

// One marker's value in the form the driver reads it; the driver keeps pointers into it until
// the statement has executed.
struct BoundValue {
    std::int64_t integer = 0;
    double number = 0;
    unsigned char bit = 0;
    xll::xstring units;
    std::string bytes;
    SQLLEN indicator = 0;
};

SQLRETURN bind(SQLHSTMT statement, SQLUSMALLINT marker, const QueryParameter& p, BoundValue& v, bool text_as_bytes)
{
    // Text travels as the connection's text does (driver_text.h): UTF-16 to a driver with wide
    // entry points, UTF-8 bytes to one without, which would otherwise get the manager's Latin-1.
    // Either way well-formed: an unpaired surrogate is U+FFFD, as the UTF-8 encoder writes it.
    const SQLSMALLINT text_c_type = text_as_bytes ? SQL_C_CHAR : SQL_C_WCHAR;
    const SQLSMALLINT text_sql_type = text_as_bytes ? SQL_VARCHAR : SQL_WVARCHAR;
    auto bind_as = [&](SQLSMALLINT c_type, SQLSMALLINT sql_type, SQLULEN size, void* buffer, SQLLEN length) {
        return SQLBindParameter(statement, marker, SQL_PARAM_INPUT, c_type, sql_type, size, 0, buffer, length,
                                &v.indicator);
    };
    switch (p.kind) {
    case QueryParameter::Kind::null:
        // Typed as text, which every engine accepts where a NULL may stand.
        v.indicator = SQL_NULL_DATA;
        return bind_as(text_c_type, text_sql_type, 1, &v.bit, 0);
    case QueryParameter::Kind::boolean:
        v.bit = p.flag ? 1 : 0;
        v.indicator = sizeof v.bit;
        return bind_as(SQL_C_BIT, SQL_BIT, 1, &v.bit, sizeof v.bit);
    case QueryParameter::Kind::integer:
        v.integer = p.integer;
        v.indicator = sizeof v.integer;
        return bind_as(SQL_C_SBIGINT, SQL_BIGINT, 19, &v.integer, sizeof v.integer);
    case QueryParameter::Kind::number:
        v.number = p.number;
        v.indicator = sizeof v.number;
        return bind_as(SQL_C_DOUBLE, SQL_DOUBLE, 15, &v.number, sizeof v.number);
    case QueryParameter::Kind::text:
        if (text_as_bytes) {
            v.bytes = xll::xstring_to_utf8(p.text);
            v.indicator = static_cast<SQLLEN>(v.bytes.size());
            return bind_as(text_c_type, text_sql_type, std::max<SQLULEN>(v.bytes.size(), 1), v.bytes.data(),
                           v.indicator);
        }
        v.units = xll::well_formed(p.text);
        v.indicator = static_cast<SQLLEN>(v.units.size() * sizeof(XCHAR));
        return bind_as(text_c_type, text_sql_type, std::max<SQLULEN>(v.units.size(), 1), v.units.data(),
                       v.indicator);
    }
    return SQL_ERROR;
}

} // namespace

StatementExecution prepared_execution(xll::xstring_view statement, QueryParameters parameters)
{
    return [text = xll::xstring(statement), parameters = std::move(parameters)](OdbcConnection& connection,
                                                                                OdbcStatement& stmt) {
        connection.prepare(text, stmt);
        SQLSMALLINT markers = 0;
        check_sql_diagnostics(SQLNumParams(stmt.get(), &markers), stmt, connection.handle(), connection.text());
        if (markers < 0 || static_cast<size_t>(markers) != parameters.size())
            throw SqlError(parameter_count_text(static_cast<size_t>(std::max<SQLSMALLINT>(markers, 0)),
                                                parameters.size()));
        std::vector<BoundValue> values(parameters.size()); // never resized: the driver holds pointers
        for (size_t i = 0; i < parameters.size(); ++i)
            check_sql_diagnostics(bind(stmt.get(), static_cast<SQLUSMALLINT>(i + 1), parameters[i], values[i],
                                     connection.text().transcoded()),
                                stmt, connection.handle(), connection.text());
        check_sql_diagnostics(SQLExecute(stmt.get()), stmt, connection.handle(), connection.text());
        // The values go with this scope; the statement, which lives on for the fetch, must not
        // keep pointers to them.
        SQLFreeStmt(stmt.get(), SQL_RESET_PARAMS);
    };
}

} // namespace db
