// The database behind a connection, where what its driver hands over differs from engine to
// engine: SQLite keeps any value in any column and has date forms of its own, psqlODBC rewrites
// the dates it cannot show, MariaDB pads numbers with zeros and sends a BIT as its bytes.
#pragma once

#include "db/odbc_api.h"

namespace db {

enum class DatabaseEngine {
    other,
    sqlite,
    postgresql,
    mariadb, // and MySQL, whose servers write the same texts
};

// The engine a connected connection reports as its DBMS name.
DatabaseEngine database_engine(SQLHDBC connection);

} // namespace db
