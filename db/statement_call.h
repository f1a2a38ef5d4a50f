// The one road from a worksheet call to the database and back, shared by zStatement, every
// builder and zQuery: cache lookup, a full run on a miss, storing the outcome. All of them return
// the same function-level result, which the result cache holds for the host.
#pragma once

#include <exception>

#include "db/query_parameters.h"
#include "xll/oper.h"

namespace db {

// Never throws: every failure is the result's text.
LPXLOPER12 statement_call(xll::xstring_view connection_string, xll::xstring_view statement, int headers) noexcept;

// zQuery's road: the cells of parameters (a value, or an array read row by row) bound to the
// statement's markers, and the same cache, connections, progress and conversions. A parameter
// that cannot be bound is the result's text, and nothing runs.
LPXLOPER12 query_call(xll::xstring_view connection_string, xll::xstring_view statement, const XLOPER12& parameters,
                      int headers) noexcept;

// Reads zQuery's parameters into `values`: null when all are bound, else the answer that tells
// why not (nothing is then sent, nothing kept).
LPXLOPER12 unbound_parameters(const XLOPER12& parameters, QueryParameters& values) noexcept;

// The local date-time number the cache stamps an entry with; 0 where the host cannot tell it (an
// entry without its time is better than no entry).
double time_stamp_now() noexcept;

// The road's answer to a failure, for the guard at its edge: the failure's text where the cell
// may show it, else #VALUE!.
struct FailureAnswer {
    enum Texts {
        none,     // #VALUE! whatever failed: a builder that could not even write its statement
        sql_only, // only an SqlError's text, which is worksheet text already
        any,      // any failure's text as 8-bit text, widened
    };
    Texts texts;

    LPXLOPER12 operator()(const std::exception* failure) const noexcept;
};

} // namespace db
