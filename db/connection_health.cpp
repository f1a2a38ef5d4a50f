#include "db/connection_health.h"

#include <string_view>

namespace db {

namespace {

// What a server's driver needs beyond the ODBC calls to check and to tidy a kept session.
struct Dialect {
    // A statement that tries the session and changes nothing, for servers whose drivers learn of
    // a lost session only by using it; null where the dead-connection attribute answers truly
    // (MariaDB's connector asks the server) or there is no server to lose (SQLite).
    const XCHAR* check = nullptr;
    // A statement that ends a transaction the user's statement began, for drivers that take
    // SQLEndTran in autocommit mode as having nothing to do (SQLite's); null where it works.
    const XCHAR* rollback = nullptr;
};

Dialect dialect(SQLHDBC connection)
{
    SQLWCHAR name[64] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, SQL_DBMS_NAME, name, sizeof name, &length)))
        return {};
    const std::u16string_view dbms(reinterpret_cast<const char16_t*>(name));
    if (dbms == u"PostgreSQL" || dbms == u"Microsoft SQL Server" || dbms == u"MySQL")
        return {XLL_T("SELECT 1"), nullptr};
    if (dbms == u"Oracle")
        return {XLL_T("SELECT 1 FROM DUAL"), nullptr};
    if (dbms == u"SQLite")
        return {nullptr, XLL_T("ROLLBACK")};
    return {};
}

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

bool still_alive(OdbcConnection& connection, OdbcStatement& check)
{
    if (!connection.connected())
        return false;
    const Answer answer = driver_says(connection.handle());
    if (answer == Answer::dead)
        return false;
    const Dialect d = dialect(connection.handle());
    if (!d.check)
        return answer == Answer::alive;
    return run_own(connection, check, d.check);
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
    if (const XCHAR* rollback = dialect(connection.handle()).rollback)
        run_own(connection, check, rollback);
    // A failure may have been the session's end; a connection in doubt is not kept.
    return !query_failed || still_alive(connection, check);
}

} // namespace db
