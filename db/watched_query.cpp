#include "db/watched_query.h"

#include <chrono>

#include "db/connection_health.h"

namespace db {

namespace {

// The worker's part. A kept connection that no longer reaches its server is found out here,
// before the user's statement is sent, and replaced; a statement is never sent twice, so a
// session lost after sending shows its failure as any failure does.
QueryResult run_on_kept_connection(xll::xstring_view connection_string, const StatementExecution& execute,
                                   bool headers, Calendar& calendar, ConnectionPool& pool, QueryRun& run)
{
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<OdbcConnection> connection = pool.take(connection_string);
    if (connection) {
        run.enter(QueryRun::Phase::executing); // the check is a statement, cancelled like one
        if (!still_alive(*connection, run.statement()))
            connection.reset();
        run.throw_if_stopped();
    }
    if (!connection) {
        run.enter(QueryRun::Phase::connecting);
        connection = std::make_unique<OdbcConnection>();
        connection->set_connection_string(connection_string);
    }
    QueryResult q = run_statement(*connection, run.statement(), execute, headers, calendar, &run);
    // A cancelled statement leaves its session in doubt (a server may even apply a late cancel
    // to the next statement): it is closed, as is one that the query left unfit.
    if (!run.stop_requested() && ready_to_keep(*connection, run.statement(), q.status != QueryStatus::ok))
        pool.keep(connection_string, std::move(connection));
    q.elapsed_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return q;
}

} // namespace

WatchedQuery run_watched_query(xll::xstring_view connection_string, const StatementExecution& execute, bool headers,
                               Calendar& calendar, ConnectionPool& pool, WatchHost& host, xll::xstring_view label,
                               const WatchTimes& times)
{
    return watch_query(
        [&](QueryRun& run) {
            return run_on_kept_connection(connection_string, execute, headers, calendar, pool, run);
        },
        host, label, times);
}

} // namespace db
