// A statement with ? markers sent the safe way: prepared as it is written, each cell value bound
// to its marker, then executed. No value ever becomes part of the SQL text, so a cell holding
// '; DROP TABLE t; -- is only ever that text.
#pragma once

#include "db/statement_run.h"
#include "db/query_parameters.h"

namespace db {

// Prepares the statement, checks that the driver counts as many markers as there are values
// (else the count's text is the failure, and nothing is executed), binds and executes.
StatementExecution prepared_execution(xll::xstring_view statement, QueryParameters parameters);

} // namespace db
