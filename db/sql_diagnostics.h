// The two checks that turn a failed ODBC call into a SqlError carrying the driver's diagnostics.
// A success (SQL_SUCCESS, SQL_SUCCESS_WITH_INFO, SQL_NO_DATA) passes silently and its information
// records are never read.
#pragma once

#include <functional>
#include <vector>

#include "db/driver_family.h"
#include "db/driver_text.h"
#include "db/limits.h"
#include "db/odbc_handles.h"
#include "db/sql_error.h"

namespace db {

// "#SQL Error" for SQL_ERROR, "#SQL Invalid Handle" for SQL_INVALID_HANDLE, "#SQL Unknown Error"
// for anything else that is not a success. Reads no diagnostics, so the bare "#SQL Error" is
// transient.
void check_sql_result(SQLRETURN rc);

// On failure: for SQL_ERROR, "#SQL Error " with the records of the connection, then of the
// statement, of the kind the family reads in them; the statement is released either way.
// Messages are read back as the connection's text says.
void check_sql_diagnostics(SQLRETURN rc, OdbcStatement& statement, SQLHDBC connection,
                           const DriverText& text = DriverText(), const DriverFamily& family = DriverFamily());

// One diagnostic record as SQLGetDiagRecW gives it.
struct DiagRecord {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[diag_message_buffer] = {};
};

// Reads record n (from 1) into the record; returns the call's code.
using DiagReader = std::function<SQLRETURN(SQLSMALLINT n, DiagRecord& record)>;

// Appends one handle's records. A record read with SQL_SUCCESS_WITH_INFO (its message was cut to
// 255 characters) is the last one read; SQL_NO_DATA or an error ends the walk without a record.
// No record is read once the records already fill the cell's text.
void read_diagnostics(std::vector<DiagnosticRecord>& records, const DiagReader& read,
                      const DriverText& driver_text = DriverText());

// Appends the lines of one handle's records to text, never past max_error_text.
void append_diagnostics(xll::xstring& text, const DiagReader& read, const DriverText& driver_text = DriverText());

} // namespace db
