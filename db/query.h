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

struct QueryResult {
    xll::OPER12 value;
    // Counted from 0, header row included; after a failure they stand where it stopped them.
    int last_row = -1;
    int last_column = -1;
    double elapsed_ms = 0;
    bool failed = false; // the value is a failure's text
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
