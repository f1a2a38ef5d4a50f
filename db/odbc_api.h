// The driver manager's published interface, as both platforms ship it (unixODBC on Linux, ODBC32
// on Windows). Only the wide entry points are used for anything that carries text: the worksheet
// is UTF-16, and on some runtimes the 8-bit ones are mere stubs.
#pragma once

// The worksheet's own declarations come first: unixODBC's headers define BOOL as a macro, which
// would otherwise break the typedef there.
#include "xll/xlcall.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <string>

namespace db {

static_assert(sizeof(SQLWCHAR) == sizeof(XCHAR), "the driver manager must speak the worksheet's UTF-16");

// A successful return for this subsystem: data, data with a warning, or no data.
inline bool sql_succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA; }

// Both sides are 16-bit code units; only the declared character types differ.
inline SQLWCHAR* sql_text(const XCHAR* s) { return reinterpret_cast<SQLWCHAR*>(const_cast<XCHAR*>(s)); }
inline const XCHAR* worksheet_text(const SQLWCHAR* s) { return reinterpret_cast<const XCHAR*>(s); }

} // namespace db
