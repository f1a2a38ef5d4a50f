#include "db/database_engine.h"

#include <string_view>

namespace db {

DatabaseEngine database_engine(SQLHDBC connection)
{
    SQLWCHAR name[64] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, SQL_DBMS_NAME, name, sizeof name, &length)))
        return DatabaseEngine::other;
    auto is = [&](std::string_view known) {
        size_t i = 0;
        for (; i < known.size(); ++i)
            if (name[i] != static_cast<SQLWCHAR>(known[i]))
                return false;
        return name[i] == 0;
    };
    if (is("SQLite"))
        return DatabaseEngine::sqlite;
    if (is("PostgreSQL"))
        return DatabaseEngine::postgresql;
    if (is("MariaDB") || is("MySQL"))
        return DatabaseEngine::mariadb;
    return DatabaseEngine::other;
}

} // namespace db
