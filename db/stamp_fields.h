// A date or time stamp read as the driver's fields (SQL_TIMESTAMP_STRUCT) rather than its text:
// the drivers that print their text from the same fields spend a large part of their fetch on the
// printing.
#pragma once

#include <optional>

#include "db/odbc_api.h"
#include "db/timestamp_text.h"

namespace db {

// The moment the fields are, where they are one the worksheet's dates reach; nullopt for fields out
// of range (a month 0 of MariaDB's impossible dates, a year BC as a year below 1), whose value only
// the driver's text tells.
std::optional<Moment> stamp_moment(const SQL_TIMESTAMP_STRUCT& stamp);

} // namespace db
