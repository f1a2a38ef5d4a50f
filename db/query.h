// One run of a statement against a data source, into a worksheet array: connect, execute,
// describe the columns, fetch every row and convert each value by its column's SQL type. Every
// failure on the way becomes the whole result as one text.
#pragma once

#include "db/calendar.h"
#include "xll/oper.h"

namespace db {

// The fewest rows a successful result with columns has; rows not fetched hold #N/A.
inline constexpr size_t minimum_result_rows = 5;

struct QueryResult {
    xll::OPER12 value;
    // Counted from 0, header row included; after a failure they stand where it stopped them.
    int last_row = -1;
    int last_column = -1;
    double elapsed_ms = 0;
};

QueryResult run_query(xll::xstring_view connection_string, xll::xstring_view statement, bool headers,
                      Calendar& calendar);

} // namespace db
