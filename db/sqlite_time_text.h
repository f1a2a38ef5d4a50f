// SQLite's time values, read as its date and time functions read them without a modifier
// (julianday(), datetime()): a day "YYYY-MM-DD", then optionally blanks or T's and a time of day
// "HH:MM[:SS[.f...]]", then optionally an offset "+HH:MM" / "-HH:MM" or a Z, each with blanks
// around it; a time of day alone, which SQLite puts on 2000-01-01; or a julian day number. SQLite
// stores dates in any of these forms, and a DATETIME column may hold each of them.
//
// The reading is SQLite's own: an offset moves the time to UTC, hour 24 is the next day's hours,
// fractions of a second round to SQLite's millisecond. One check is added: a day that does not
// exist (2014-02-31) is no date, where SQLite would count on into March. "now" is no stored date
// either: it is the word, which SQLite would read as the moment of the query.
#pragma once

#include <optional>
#include <string_view>

#include "db/timestamp_text.h"

namespace db {

struct SqliteTimeValue {
    Moment moment;          // in UTC, normalised; always with its day
    bool time_only = false; // written as a time of day without a day
    bool number = false;    // a julian day number
};

std::optional<SqliteTimeValue> sqlite_time_value(std::string_view text);

} // namespace db
