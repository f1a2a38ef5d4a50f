#include "db/postgres_lost_dates.h"

#include <cmath>

namespace db {

bool may_stand_for_lost_date(std::string_view driver_text, bool read_as_date)
{
    return !read_as_date || driver_text == "9999-12-31 23:59:59";
}

LostDate lost_date(double read_as_number)
{
    if (std::isinf(read_as_number))
        return read_as_number > 0 ? LostDate::infinity : LostDate::minus_infinity;
    return read_as_number >= 10000 ? LostDate::beyond_9999 : LostDate::none;
}

} // namespace db
