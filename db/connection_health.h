// Whether a kept connection can serve another query. Asked before a kept connection is used (a
// server restarted or a network cut since the last query), and before one is kept at all (the
// query may have left it broken, or inside a transaction).
#pragma once

#include "db/odbc_connection.h"

namespace db {

// Whether the connection still reaches its server, and for a file database whether its path still
// names the file it opened. The driver's dead-connection attribute first;
// for servers whose drivers learn of a lost session only by using it (psqlODBC among them), a
// statement that changes nothing, run on `check` so that it can be cancelled like any other.
// False also for a driver that has no way to tell: such a connection cannot safely be reused.
// A connection used moments ago (`recently_used`, see db::trusted_idle) is asked nothing that
// reaches the server: only whether it is connected and its file is still the same.
bool still_alive(OdbcConnection& connection, OdbcStatement& check, bool recently_used = false);

// Readies a connection for keeping after a query: anything the statement left open (a BEGIN
// without COMMIT) is rolled back, as closing the connection would have done. False when the
// connection must be closed instead: it is not connected, autocommit was switched off, or the
// rollback failed. After a failed query it must also still reach its server.
bool ready_to_keep(OdbcConnection& connection, OdbcStatement& check, bool query_failed);

} // namespace db
