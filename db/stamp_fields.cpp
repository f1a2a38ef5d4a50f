#include "db/stamp_fields.h"

#include <cstdint>

namespace db {

// Seconds below 60 with any fraction below a second stay below 60 as a double: the fields' range is
// checked on the whole seconds, as integers, before any division.
static_assert(static_cast<double>(std::int64_t{59} * 1'000'000'000 + 999'999'999) / 1e9 < 60);

std::optional<Moment> stamp_moment(const SQL_TIMESTAMP_STRUCT& t)
{
    // A fraction of a second or more would pass for seconds of its own.
    if (t.fraction >= 1'000'000'000 || !is_worksheet_day(t.year, t.month, t.day) ||
        !is_clock_time(t.hour, t.minute, t.second))
        return std::nullopt;
    // One rounding of the exact seconds, as the text's "SS.ffffff" is read: the same double.
    const double second = static_cast<double>(std::int64_t{t.second} * 1'000'000'000 + t.fraction) / 1e9;
    return Moment{t.year, t.month, t.day, t.hour, t.minute, second, true, true};
}

} // namespace db
