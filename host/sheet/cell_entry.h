// What typing text into a cell enters: the sheet file's cell lines and a macro's FORMULA read an
// entry the same way.
#pragma once

#include "host/engine/value.h"

#include <string>

namespace zorvane::host {

// A constant as typing the text would enter it: numbers (also dates, times, percentages),
// TRUE/FALSE, error values, otherwise text; a leading ' forces text, and empty text clears.
Value constant_from_entry(const std::string& text);

} // namespace zorvane::host
