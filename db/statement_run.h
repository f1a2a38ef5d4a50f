// One run of a statement on a connection, into a worksheet array: execute, describe the columns,
// fetch every row and convert each value by its column's SQL type. A failure on the way is the
// whole result, carried as data (db/sql_error.h's Failure) until the edge makes the cell's text.
#pragma once

#include <functional>

#include "db/calendar.h"
#include "db/run_progress.h"
#include "db/sql_error.h"
#include "xll/oper.h"

namespace db {

class OdbcConnection;
class OdbcStatement;

// How a run ended. What the add-in does with a run (keep it, keep its connection) asks this and
// the failure's kind, never a text.
enum class QueryStatus {
    ok,
    failed, // `failure` says what; the value is empty
};

struct QueryResult {
    xll::OPER12 value; // the result's cells, once it is ok
    // Counted from 0, header row included; after a failure they stand where it stopped them.
    int last_row = -1;
    int last_column = -1;
    double elapsed_ms = 0;
    QueryStatus status = QueryStatus::ok;
    FailureKind kind = FailureKind::statement; // of a failure
    // Whether the statement executed: sent, and accepted by the driver.
    bool executed = false;
    // Of a failure: what its cell will say, made into text at the edge (failure_value).
    Failure failure;

    // The run fails as this says, with what it had read so far given back.
    void fail(FailureKind why, Failure what);

    bool stopped() const { return status == QueryStatus::failed && kind == FailureKind::cancelled; }
};

// Sends the statement on a handle the connection has just allocated: executed directly for a
// statement given whole; prepared, bound and executed by a caller with parameters.
using StatementExecution = std::function<void(OdbcConnection&, OdbcStatement&)>;
StatementExecution direct_execution(xll::xstring_view statement);

// One run on a connection, connected or not yet, into a result. With a run to report to, the
// phase and the rows fetched are told there as they change, and the work stops where the run is
// seen to be stopped (before the statement is sent, after it executed, between rows): the result
// is then a failure of the kind cancelled. The statement is released whatever happens, before
// anything can close its connection.
QueryResult run_statement(OdbcConnection& connection, OdbcStatement& statement, const StatementExecution& execute,
                          bool headers, Calendar& calendar, RunProgress* run = nullptr);

} // namespace db
