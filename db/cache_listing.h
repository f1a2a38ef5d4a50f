// What the cache inspection functions compute from the cache, apart from the host.
#pragma once

#include <functional>

#include "db/result_cache.h"

namespace db {

// The listing always has at least this many rows; rows without an entry hold #N/A.
inline constexpr size_t cache_listing_rows = 1000;

// The connection string as the listing shows it: the values of PWD, Password and PASSWD (any
// case, braced or not) become ***; everything else stays as written.
xll::xstring connection_string_shown(xll::xstring_view connection_string);

// Seven columns per entry, oldest first: time stamp, ms, rows, cols, connection string,
// statement (zQuery's parameters after it) and the first cell of the result; labels put their
// names in row 0. The listing is a cell anyone who sees the sheet can read, so it never shows a
// password.
xll::OPER12 cache_listing(const ResultCache& cache, bool labels);

// 24 per entry, plus the lengths of its two texts and what its parameters take, plus the length
// the worksheet's LEN gives for each cell of its result (an error counts 0).
double cache_memory_used(const ResultCache& cache, const std::function<double(const XLOPER12& cell)>& len);

} // namespace db
