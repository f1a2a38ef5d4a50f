// The type a result column's table column was declared with, as the driver's catalogue tells it
// (SQLColumns on a statement of its own): for a driver that names a column without a declared
// type by a guess that a declared type can read the same.
#pragma once

#include "db/odbc_api.h"

namespace db {

// True when the column comes from a table column declared with a type; false for one declared
// without, for a computed column, and when the catalogue cannot tell.
bool declared_column_type(SQLHDBC connection, SQLHSTMT statement, SQLUSMALLINT column);

} // namespace db
