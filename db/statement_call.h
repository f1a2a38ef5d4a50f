// The one road from a worksheet call to the database and back, shared by zStatement, every
// builder and zQuery: cache lookup, a full run on a miss, storing the outcome. All of them return
// the same function-level result.
#pragma once

#include "xll/oper.h"

namespace db {

// Never throws: every failure is the result's text.
LPXLOPER12 statement_call(xll::xstring_view connection_string, xll::xstring_view statement, int headers) noexcept;

// zQuery's road: the cells of parameters (a value, or an array read row by row) bound to the
// statement's markers, and the same cache, connections, progress and conversions. A parameter
// that cannot be bound is the result's text, and nothing runs.
LPXLOPER12 query_call(xll::xstring_view connection_string, xll::xstring_view statement, const XLOPER12& parameters,
                      int headers) noexcept;

// The shared result as #VALUE!, for a builder that could not even make its text.
LPXLOPER12 statement_failed() noexcept;

} // namespace db
