#include "db/postgres_lost_dates.h"

#include <cmath>
#include <cstdint>

#include "db/civil_days.h"

namespace db {

bool may_stand_for_lost_date(std::string_view driver_text, bool read_as_date)
{
    return !read_as_date || driver_text == "9999-12-31 23:59:59";
}

std::optional<Moment> stamp_moment(const SQL_TIMESTAMP_STRUCT& t, long long today)
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
    if (t.year == 9999 && t.month == 12 && t.day == 31 && t.hour == 23 && t.minute == 59 && t.second == 59 &&
        t.fraction == 0)
        return std::nullopt;
    if (t.hour == 0 && t.minute == 0 && t.second == 0 && t.fraction == 0) {
        const long long day = days_from_civil(t.year, t.month, t.day);
        if (day >= today - 2 && day <= today + 2)
            return std::nullopt;
    }
    return m;
}

LostDate lost_date(double read_as_number)
{
    if (std::isinf(read_as_number))
        return read_as_number > 0 ? LostDate::infinity : LostDate::minus_infinity;
    return read_as_number >= 10000 ? LostDate::beyond_9999 : LostDate::none;
}

} // namespace db
