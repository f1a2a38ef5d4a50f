// psqlODBC writes a date or time stamp whose fields it cannot show as another date: 'infinity' as
// 9999-12-31 23:59:59 (a time stamp, the very text of that real second) or 0000-00-00 (a date),
// '-infinity' as 9999-01-01 00:00:00 BC or 0000-00-00, a year past 9999 as 1000-00-00 or
// 0000-00-00 00:00:00. Read as a number, the same value comes from the server's own text read as
// far as it is a number: the infinities, or the year. That second reading tells what the server
// sent whenever the text may stand for a value the driver lost. (A date BC loses its era before
// any reading: psqlODBC gives 2000-01-01 for '2000-01-01 BC' in every C type.)
#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "db/odbc_api.h"

namespace db {

// Whether psqlODBC's text for a date or time stamp may stand for another value: a text no date
// reader took, or the text psqlODBC writes for 'infinity'.
bool may_stand_for_lost_date(std::string_view driver_text, bool read_as_date);

enum class LostDate {
    none,           // the text is the server's value
    infinity,       // 'infinity'
    minus_infinity, // '-infinity'
    beyond_9999,    // a year the driver cannot write: its text is not the value
};

// What the value was, told by the driver's reading of it as a number.
LostDate lost_date(double read_as_number);

// The month and day of each day within two of today's (today: days since 1970-01-01, in UTC):
// psqlODBC's day "today" is the statement's, in the driver's own time zone.
class StandInDays {
public:
    explicit StandInDays(long long today);
    bool holds(int month, int day) const;

private:
    std::array<std::pair<int, int>, 5> month_days_{};
};

// psqlODBC's reading of a date or time stamp as SQL_C_TYPE_TIMESTAMP gives the fields of the same
// reading its text is printed from (an offset dropped, a year BC as a year below 1), but with no
// text where it could not read the value. A time stamp's 'infinity' comes as 9999-12-31 23:59:59,
// its year past 9999 as midnight of the day the statement ran; a date's 'infinity' and
// '-infinity' as that day, and its year past 9999 as the first four digits of the year on that
// day's month and day (19999-01-01 as 1999-12-09, read on 9 December). Whether the fields may be
// one of these: that second, or midnight on a month and day within two of today's, of any year.
bool stamp_may_stand_in(const SQL_TIMESTAMP_STRUCT& stamp, const StandInDays& today);

} // namespace db
