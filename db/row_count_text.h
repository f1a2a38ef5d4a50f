// A count of rows as the add-in's texts show it to users: thousands set apart by commas, and
// "1 row", "2 rows".
#pragma once

#include <cstddef>

#include "xll/text.h"

namespace db {

void append_row_count(xll::xstring& out, size_t rows);

} // namespace db
