#include "db/postgres_lost_dates.h"

#include <cmath>

#include "db/civil_days.h"

namespace db {

bool may_stand_for_lost_date(std::string_view driver_text, bool read_as_date)
{
    return !read_as_date || driver_text == "9999-12-31 23:59:59";
}

StandInDays::StandInDays(long long today)
{
    for (size_t i = 0; i < month_days_.size(); ++i) {
        const CivilDay d = civil_from_days(today - 2 + static_cast<long long>(i));
        month_days_[i] = {d.month, d.day};
    }
}

bool StandInDays::holds(int month, int day) const
{
    for (const auto& [m, d] : month_days_)
        if (m == month && d == day)
            return true;
    return false;
}

bool stamp_may_stand_in(const SQL_TIMESTAMP_STRUCT& t, const StandInDays& today)
{
    if (t.year == 9999 && t.month == 12 && t.day == 31 && t.hour == 23 && t.minute == 59 && t.second == 59 &&
        t.fraction == 0)
        return true;
    return t.hour == 0 && t.minute == 0 && t.second == 0 && t.fraction == 0 && today.holds(t.month, t.day);
}

LostDate lost_date(double read_as_number)
{
    if (std::isinf(read_as_number))
        return read_as_number > 0 ? LostDate::infinity : LostDate::minus_infinity;
    return read_as_number >= 10000 ? LostDate::beyond_9999 : LostDate::none;
}

} // namespace db
