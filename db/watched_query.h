// The road of a query from the worksheet to the database: on the connection kept for its
// connection string (checked first) or a new one, executed and fetched on a worker thread while
// the calling thread watches for Esc and shows progress, and the connection kept again afterwards
// when it is fit for it. Statements given whole and statements prepared with parameters share it.
#pragma once

#include "db/connection_pool.h"
#include "db/query.h"
#include "db/query_watch.h"

namespace db {

WatchedQuery run_watched_query(xll::xstring_view connection_string, const StatementExecution& execute, bool headers,
                               Calendar& calendar, ConnectionPool& pool, WatchHost& host, xll::xstring_view label,
                               const WatchTimes& times = {});

} // namespace db
