#include "db/declared_column_type.h"

#include <string>

#include "db/odbc_handles.h"

namespace db {

namespace {

using units = std::basic_string<SQLWCHAR>;

units attribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field)
{
    SQLWCHAR text[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLColAttributeW(statement, column, field, text, sizeof text, &length, nullptr)))
        return {};
    return text;
}

units cell(SQLHSTMT statement, SQLUSMALLINT column)
{
    SQLWCHAR text[256] = {};
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_WCHAR, text, sizeof text, &indicator)) ||
        indicator == SQL_NULL_DATA)
        return {};
    return text;
}

} // namespace

bool declared_column_type(SQLHDBC connection, SQLHSTMT statement, SQLUSMALLINT column)
{
    units table = attribute(statement, column, SQL_DESC_BASE_TABLE_NAME);
    units name = attribute(statement, column, SQL_DESC_BASE_COLUMN_NAME);
    if (table.empty() || name.empty())
        return false;
    SQLHANDLE handle = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &handle)))
        return false;
    OdbcStatement catalogue;
    catalogue.adopt(handle);
    // The table name is a pattern, where _ and % match more: the rows say which table they are.
    if (!SQL_SUCCEEDED(SQLColumnsW(catalogue.get(), nullptr, 0, nullptr, 0, table.data(), SQL_NTS, nullptr, 0)))
        return false;
    while (SQL_SUCCEEDED(SQLFetch(catalogue.get())))
        if (cell(catalogue.get(), 3) == table && cell(catalogue.get(), 4) == name)
            return !cell(catalogue.get(), 6).empty();
    return false;
}

} // namespace db
