// How values are printed: CSV (one line per row, text quoted only when it must be, numbers as
// the spreadsheet writes them, errors by name, blanks empty), JSON (arrays as arrays of rows, or
// as records keyed by their first row, every row a record; numbers exactly as the cell's double;
// errors as {"error": "#N/A"}, in records #N/A as null; blanks as null) and a readable aligned
// grid. A number may carry a number format, which all three then show.
#pragma once

#include "host/engine/value.h"

#include <functional>
#include <string>

namespace zorvane::host {

enum class OutputFormat { grid, csv, json, json_records };

// The number format code of the printed cell at (row, column) of the block printed, counted from
// its top-left cell; empty text for the General format.
using NumberFormatAt = std::function<std::u16string(int row, int column)>;

// The whole value, each line ended by '\n'.
std::string format_value(const Value& value, OutputFormat format, const NumberFormatAt& number_format = {});

// One cell of CSV, quoted when it holds a comma, quote, line break or leading/trailing blank.
std::string csv_field(const Value& value);
// The value as one JSON text, without a line end: arrays of rows, or with `records` an array of
// objects keyed by the first row.
std::string json_value(const Value& value, bool records = false, const NumberFormatAt& number_format = {});
// JSON string literal of UTF-8 text.
std::string json_string(const std::string& utf8);

} // namespace zorvane::host
