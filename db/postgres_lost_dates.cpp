#include "db/postgres_lost_dates.h"

#include <cmath>

#include "db/civil_days.h"

namespace db {

bool may_stand_for_lost_date(std::string_view driver_text, bool read_as_date)
{
    return !read_as_date || driver_text == "9999-12-31 23:59:59";
}

bool stamp_may_stand_in(const SQL_TIMESTAMP_STRUCT& t, long long today)
{
    if (t.year == 9999 && t.month == 12 && t.day == 31 && t.hour == 23 && t.minute == 59 && t.second == 59 &&
        t.fraction == 0)
        return true;
    if (t.hour != 0 || t.minute != 0 || t.second != 0 || t.fraction != 0)
        return false;
    const long long day = days_from_civil(t.year, t.month, t.day);
    return day >= today - 2 && day <= today + 2;
}

LostDate lost_date(double read_as_number)
{
    if (std::isinf(read_as_number))
        return read_as_number > 0 ? LostDate::infinity : LostDate::minus_infinity;
    return read_as_number >= 10000 ? LostDate::beyond_9999 : LostDate::none;
}

} // namespace db
