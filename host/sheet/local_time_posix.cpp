#include "host/sheet/local_time.h"

#include "host/engine/date_serial.h"

#include <ctime>

namespace zorvane::host {

double local_time_serial()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&t, &local);
    const auto day = serial_from_date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return day.value_or(0.0) + day_fraction(local.tm_hour, local.tm_min, local.tm_sec);
}

} // namespace zorvane::host
