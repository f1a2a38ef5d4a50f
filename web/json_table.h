// A JSON body as worksheet values, and the lookup of one key in it.
#pragma once

#include <cstddef>
#include <string_view>

#include "xll/oper.h"

namespace xll::web {

// A top-level object becomes a table of its members in text order, key and value per row, a
// key written twice keeping both rows; a top-level array a column of its elements; a scalar
// that single value. Members and elements that are objects or arrays themselves show as their
// compact JSON text; a NUL in a key or value (\u0000) shows as U+FFFD. Text that is not JSON is
// #VALUE!, an empty object or array #N/A.
// Members and elements nested deeper than this many levels show as #VALUE!: their text would be
// written by recursion, one level at a time, and a body can nest as deep as it is long.
inline constexpr size_t max_json_nesting = 256;

OPER12 json_table(std::string_view utf8);

// The value of the first row whose key equals key, A to Z compared without case; #N/A when no
// row does or the value is not a key/value table.
OPER12 json_lookup(const OPER12& table, xstring_view key);

} // namespace xll::web
