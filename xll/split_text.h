// Splitting a delimited text into a worksheet array: the routine behind zSplit (text/) and the web
// functions that turn a downloaded text into cells (web/), kept here below both.
#pragma once

#include <functional>

#include "xll/oper.h"

namespace xll {

// Reads a field as a number the way the worksheet would; 0 means "keep the field as text" (an
// unreadable field and a field that reads as zero are both kept as they were written).
using number_reader = std::function<double(xstring_view field)>;

// The host's VALUE: the number it reads, or 0 when it answers with anything else.
double host_value(xstring_view field);

// Every character of column_delimiters separates columns and every character of row_delimiters
// separates rows; a character in both separates columns. The array has one row per row break
// plus one and as many columns as the widest row has fields. Cell (0,0) holds the missing value
// until a field reaches it, other cells nil. A field that reads as a non-zero number is stored as
// that number, any other field as its exact text. Throws std::runtime_error with the value type's
// check texts when the shape is over the worksheet's limits, and the host call's text when the
// host fails.
OPER12 split_text(xstring_view text, xstring_view column_delimiters, xstring_view row_delimiters,
                  const number_reader& read_number);

// The same, reading numbers through the host's VALUE (one host call per field).
OPER12 split_text(xstring_view text, xstring_view column_delimiters, xstring_view row_delimiters);

} // namespace xll
