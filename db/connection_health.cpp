#include "db/connection_health.h"

namespace db {

namespace {

enum class Answer { alive, dead, unknown };

Answer driver_says(SQLHDBC connection)
{
    SQLUINTEGER dead = SQL_CD_FALSE;
    if (!SQL_SUCCEEDED(SQLGetConnectAttr(connection, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)))
        return Answer::unknown;
    return dead == SQL_CD_TRUE ? Answer::dead : Answer::alive;
}

// Runs a statement of ours on the check handle; whether it succeeded.
bool run_own(OdbcConnection& connection, OdbcStatement& check, const XCHAR* statement)
{
    SQLHANDLE handle = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection.handle(), &handle)))
        return false;
    check.adopt(handle);
    const bool done = SQL_SUCCEEDED(SQLExecDirectW(check.get(), sql_text(statement), SQL_NTS));
    check.release();
    return done;
}

} // namespace

bool still_alive(OdbcConnection& connection, OdbcStatement& check, bool recently_used)
{
    if (!connection.connected() || !connection.same_file())
        return false;
    if (recently_used)
        return true;
    const Answer answer = driver_says(connection.handle());
    if (answer == Answer::dead)
        return false;
    if (!connection.family().check)
        return answer == Answer::alive;
    return run_own(connection, check, connection.family().check);
}

bool ready_to_keep(OdbcConnection& connection, OdbcStatement& check, bool query_failed)
{
    if (!connection.connected())
        return false;
    SQLUINTEGER autocommit = SQL_AUTOCOMMIT_OFF;
    if (!SQL_SUCCEEDED(SQLGetConnectAttr(connection.handle(), SQL_ATTR_AUTOCOMMIT, &autocommit, 0, nullptr)) ||
        autocommit != SQL_AUTOCOMMIT_ON)
        return false;
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, connection.handle(), SQL_ROLLBACK)))
        return false;
    // Its failure says only that no transaction was open.
    if (const XCHAR* rollback = connection.family().rollback)
        run_own(connection, check, rollback);
    // A failure may have been the session's end; a connection in doubt is not kept.
    return !query_failed || still_alive(connection, check);
}

} // namespace db
