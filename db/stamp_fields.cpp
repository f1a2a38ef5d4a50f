#include "db/stamp_fields.h"

#include <cstdint>

namespace db {

std::optional<Moment> stamp_moment(const SQL_TIMESTAMP_STRUCT& t)
{
    if (t.fraction >= 1'000'000'000) // it would pass for seconds of its own
        return std::nullopt;
    Moment m;
    m.year = t.year;
    m.month = t.month;
    m.day = t.day;
    m.hour = t.hour;
    m.minute = t.minute;
    // One rounding of the exact seconds, as the text's "SS.ffffff" is read: the same double.
    m.second = static_cast<double>(std::int64_t{t.second} * 1'000'000'000 + t.fraction) / 1e9;
    m.has_day = true;
    m.has_time = true;
    if (!in_worksheet_range(m))
        return std::nullopt;
    return m;
}

} // namespace db
