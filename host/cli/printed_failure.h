// Whether a printed value tells of a failure, for the exit status scripts rely on: an error value
// as the whole value, or a failure text of the add-in's query and web functions as the whole
// value (alone, or in the top-left cell of an array that holds nothing else but padding). Error
// values and texts among the data of an array (the #N/A below a short result, a NULL date, a
// failure listed by zCache_List) are data, not failures.
#pragma once

#include "host/engine/value.h"

namespace zorvane::host {

bool is_printed_failure(const Value& value);

} // namespace zorvane::host
