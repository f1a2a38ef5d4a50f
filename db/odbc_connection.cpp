#include "db/odbc_connection.h"

#include "db/sql_diagnostics.h"

namespace db {

OdbcConnection::OdbcConnection(xll::xstring_view connection_string)
    : connection_(environment_), connection_string_(connection_string)
{
    Connect();
}

SQLRETURN OdbcConnection::Connect()
{
    if (connection_string_.empty())
        return SQL_SUCCESS;
    // The completed connection string is offered room and discarded.
    SQLWCHAR completed[256] = {};
    SQLSMALLINT completed_length = 0;
    SQLRETURN rc = SQLDriverConnectW(connection_.get(), nullptr, sql_text(connection_string_.c_str()), SQL_NTS,
                                     completed, 255, &completed_length, SQL_DRIVER_NOPROMPT);
    connected_ = sql_succeeded(rc);
    connection_.set_connected(connected_);
    return rc;
}

void OdbcConnection::Execute(xll::xstring_view statement_text, OdbcStatement& statement)
{
    if (!connected_)
        Connect();
    CheckSqlDiagnostics(SQLAllocHandle(SQL_HANDLE_STMT, connection_.get(), statement.out()), statement,
                        connection_.get());
    xll::xstring text(statement_text);
    CheckSqlDiagnostics(SQLExecDirectW(statement.get(), sql_text(text.c_str()), SQL_NTS), statement,
                        connection_.get());
}

} // namespace db
