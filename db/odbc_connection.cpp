#include "db/odbc_connection.h"

#include "db/sql_diagnostics.h"

namespace db {

OdbcConnection::OdbcConnection(xll::xstring_view connection_string)
    : connection_(environment_), connection_string_(connection_string)
{
    connect();
}

SQLRETURN OdbcConnection::driver_connect(const xll::xstring& connection_string)
{
    // The completed connection string is offered room and discarded.
    constexpr SQLSMALLINT completed_room = 255;
    SQLWCHAR completed[completed_room + 1] = {};
    SQLSMALLINT completed_length = 0;
    return SQLDriverConnectW(connection_.get(), nullptr, sql_text(connection_string.c_str()), SQL_NTS, completed,
                             completed_room, &completed_length, SQL_DRIVER_NOPROMPT);
}

SQLRETURN OdbcConnection::connect()
{
    if (connection_string_.empty())
        return SQL_SUCCESS;
    // The connection string takes the road its driver reads: sent through the manager's Latin-1
    // narrowing first, a non-ASCII file name would have opened (and created) another file.
    text_ = DriverText::before_connecting(environment_.get(), connection_string_);
    SQLRETURN rc = driver_connect(text_.outgoing(connection_string_));
    connected_ = sql_succeeded(rc);
    connection_.set_connected(connected_);
    if (connected_)
        text_ = DriverText::probe(connection_.get());
    return rc;
}

void OdbcConnection::execute(xll::xstring_view statement_text, OdbcStatement& statement)
{
    allocate_statement(statement);
    execute_direct(statement_text, statement);
}

void OdbcConnection::allocate_statement(OdbcStatement& statement)
{
    // A refused connection reports its own records (a wrong password, an unreachable server):
    // left to the statement allocation, they would be replaced by "Connection not open".
    if (!connected_) {
        SQLRETURN rc = connect();
        if (!sql_succeeded(rc))
            check_sql_diagnostics(rc, statement, connection_.get(), text_);
    }
    SQLHANDLE handle = SQL_NULL_HSTMT;
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, connection_.get(), &handle);
    statement.adopt(handle);
    check_sql_diagnostics(rc, statement, connection_.get(), text_);
}

void OdbcConnection::execute_direct(xll::xstring_view statement_text, OdbcStatement& statement)
{
    xll::xstring text = text_.outgoing(statement_text);
    check_sql_diagnostics(SQLExecDirectW(statement.get(), sql_text(text.c_str()), SQL_NTS), statement,
                        connection_.get(), text_);
}

void OdbcConnection::prepare(xll::xstring_view statement_text, OdbcStatement& statement)
{
    xll::xstring text = text_.outgoing(statement_text);
    check_sql_diagnostics(SQLPrepareW(statement.get(), sql_text(text.c_str()), SQL_NTS), statement, connection_.get(),
                        text_);
}

} // namespace db
