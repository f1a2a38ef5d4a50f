// How values are printed: CSV (one line per row, text quoted only when it must be, numbers as
// the spreadsheet writes them, errors by name, blanks empty), JSON (arrays as arrays of rows,
// errors as {"error": "#N/A"}, blanks as null) and a readable aligned grid.
#pragma once

#include "host/value.h"

#include <string>

namespace zorvane::host {

enum class OutputFormat { grid, csv, json };

// The whole value, each line ended by '\n'.
std::string format_value(const Value& value, OutputFormat format);

// One cell of CSV, quoted when it holds a comma, quote, line break or leading/trailing blank.
std::string csv_field(const Value& value);
// The value as one JSON text, without a line end.
std::string json_value(const Value& value);
// JSON string literal of UTF-8 text.
std::string json_string(const std::string& utf8);

} // namespace zorvane::host
