// What differs between the engines behind the drivers, in one place that the rest of the query
// road asks: how a kept session is checked and tidied, how a running statement is stopped, which
// failures are the connection's rather than the statement's, and the engine whose values the
// column reader reads its own way (SQLite keeps any value in any column and has date forms of its
// own, psqlODBC rewrites the dates it cannot show, MariaDB pads numbers with zeros and sends a BIT
// as its bytes). SQLite, PostgreSQL (psqlODBC) and MariaDB (its connector) are known; any other
// driver gets the plain ODBC ways.
#pragma once

#include <vector>

#include "db/odbc_api.h"
#include "db/sql_error.h"
#include "xll/traits.h"

namespace db {

enum class DatabaseEngine {
    other,
    sqlite,
    postgresql,
    mariadb, // and MySQL, whose servers write the same texts
};

// How a statement is stopped while the worker is inside the driver.
enum class CancelWay {
    driver_cancel, // SQLCancel on the handle from another thread, as ODBC defines it
    kill_query,    // the server's own way, from a short connection of its own
    abandon,       // nothing: the worker finishes on its own time and its session is closed
};

struct DriverFamily {
    DatabaseEngine engine = DatabaseEngine::other;
    // A statement that tries the session and changes nothing, for servers whose drivers learn of
    // a lost session only by using it; null where the dead-connection attribute answers truly
    // (MariaDB's connector asks the server) or there is no server to lose (SQLite).
    const XCHAR* check = nullptr;
    // A statement that ends a transaction the user's statement began, for drivers that take
    // SQLEndTran in autocommit mode as having nothing to do (SQLite's); null where it works.
    const XCHAR* rollback = nullptr;
    // SQLite's driver closes the statement from the cancelling thread without a lock while the
    // worker is inside it; MariaDB's connector races the same way (ThreadSanitizer shows both).
    CancelWay cancel = CancelWay::driver_cancel;
    // Asks a session for the number the kill statement names it by; null where none is needed.
    const XCHAR* session_query = nullptr;
    // The database is a file the connection string names (its "Database" attribute).
    bool file_database = false;
    // How a value that a block's bound buffer cut is read again whole: positioned on its row of the
    // block, or, where the driver cannot position within a block (SQLite's reads another row's
    // value there, MariaDB's the block's first), fetched back alone on a static cursor once the
    // blocks are read.
    bool positions_in_blocks = true;
    // Dates and time stamps are bound as SQL_C_TYPE_TIMESTAMP where the driver prints their text
    // from the same fields (a fifth of psqlODBC's fetch, a third of MariaDB's connector's). Fields
    // that may not be the value are read again as text (stamp_moment), and so are:
    bool typed_time_stamps = false;
    bool typed_dates = false;
    // psqlODBC's stand-ins for what it cannot read (stamp_may_stand_in);
    bool stamp_stand_ins = false;
    // and, where the driver hands a zero or impossible date as NULL fields (MariaDB's), a column
    // whose block holds a NULL, from that block on (BoundColumns::refetch_doubtful_fields).
    bool null_fields_may_be_dates = false;
    // Whether its connect waits for any other such connect to end. psqlODBC's sets the C library's
    // locale from the environment and reads back the name it set, a name the next setlocale frees,
    // whichever thread calls it; MariaDB's client library sets it too where it derives its
    // character set. A driver not known to leave the locale alone takes its turn with them.
    bool connects_alone = true;
};

// The family of the driver a connection string names, before connecting (for the failures of the
// connect itself); DatabaseEngine::other when it does not say.
DriverFamily family_of_driver(xll::xstring_view connection_string);
// The family of a connected connection, from the server's own name.
DriverFamily family_of_server(SQLHDBC connection);

// "KILL QUERY 42": stops what the session runs and leaves the session.
xll::xstring kill_statement(long long session);

// What kind of failure the driver's records tell.
FailureKind failure_kind(const DriverFamily& family, const std::vector<DiagnosticRecord>& records);

} // namespace db
