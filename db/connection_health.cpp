#include "db/connection_health.h"

#include <string_view>

namespace db {

namespace {

// The statement that tries a session of this server, or null where the driver's own attribute
// answers truly (MariaDB's connector asks the server) or there is no server to lose (SQLite).
const XCHAR* check_statement(std::u16string_view dbms)
{
    if (dbms == u"PostgreSQL" || dbms == u"Microsoft SQL Server" || dbms == u"MySQL")
        return XLL_T("SELECT 1");
    if (dbms == u"Oracle")
        return XLL_T("SELECT 1 FROM DUAL");
    return nullptr;
}

std::u16string dbms_name(SQLHDBC connection)
{
    SQLWCHAR name[64] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, SQL_DBMS_NAME, name, sizeof name, &length)))
        return {};
    return std::u16string(reinterpret_cast<const char16_t*>(name));
}

enum class Answer { alive, dead, unknown };

Answer driver_says(SQLHDBC connection)
{
    SQLUINTEGER dead = SQL_CD_FALSE;
    if (!SQL_SUCCEEDED(SQLGetConnectAttr(connection, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)))
        return Answer::unknown;
    return dead == SQL_CD_TRUE ? Answer::dead : Answer::alive;
}

} // namespace

bool still_alive(OdbcConnection& connection, OdbcStatement& check)
{
    if (!connection.connected())
        return false;
    const Answer answer = driver_says(connection.handle());
    if (answer == Answer::dead)
        return false;
    const XCHAR* probe = check_statement(dbms_name(connection.handle()));
    if (!probe)
        return answer == Answer::alive;
    SQLHANDLE handle = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection.handle(), &handle)))
        return false;
    check.adopt(handle);
    const bool answered = SQL_SUCCEEDED(SQLExecDirectW(check.get(), sql_text(probe), SQL_NTS));
    check.release();
    return answered;
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
    // A failure may have been the session's end; a connection in doubt is not kept.
    return !query_failed || still_alive(connection, check);
}

} // namespace db
