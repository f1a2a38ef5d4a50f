// One run of a statement against a data source, into a worksheet array: connect, execute,
// describe the columns, fetch every row and convert each value by its column's SQL type. Every
// failure on the way becomes the whole result as one text.
#pragma once

#include <functional>

#include "db/calendar.h"
#include "xll/oper.h"

namespace db {

class OdbcConnection;
class OdbcStatement;
class QueryRun;

// The fewest rows a successful result with columns has; rows not fetched hold #N/A.
inline constexpr size_t minimum_result_rows = 5;

// How a run ended. The cell sees only the value; what the add-in does with a run (keep it, keep
// its connection) asks this, never the value's text.
enum class QueryStatus {
    ok,
    failed,           // the value is the failure's text
    failed_transient, // the same, for a failure a second try may well not repeat: a value the
                      // driver would not read, which came without records to tell why
    cancelled,        // the user stopped it; the value says nothing, the caller tells the rows
};

struct QueryResult {
    xll::OPER12 value;
    // Counted from 0, header row included; after a failure they stand where it stopped them.
    int last_row = -1;
    int last_column = -1;
    double elapsed_ms = 0;
    QueryStatus status = QueryStatus::ok;
};

// Sends the statement on a handle the connection has just allocated: executed directly for a
// statement given whole; prepared, bound and executed by a caller with parameters.
using StatementExecution = std::function<void(OdbcConnection&, OdbcStatement&)>;
StatementExecution direct_execution(xll::xstring_view statement);

// One run on a connection, connected or not yet, into a result. With a run to report to, the
// phase and the rows fetched are told there as they change, and the work stops with
// QueryStopped where the run is seen to be stopped: before the statement is sent, after it
// executed, between rows.
QueryResult run_statement(OdbcConnection& connection, OdbcStatement& statement, const StatementExecution& execute,
                          bool headers, Calendar& calendar, QueryRun* run = nullptr);

// A run on a connection of its own, closed when it is over.
QueryResult run_query(xll::xstring_view connection_string, xll::xstring_view statement, bool headers,
                      Calendar& calendar);

} // namespace db
