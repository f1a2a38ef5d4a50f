#include "host/sheet/local_time.h"

#include "host/engine/date_serial.h"

#include <windows.h>

namespace zorvane::host {

double local_time_serial()
{
    SYSTEMTIME local{};
    GetLocalTime(&local);
    const auto day = serial_from_date(local.wYear, local.wMonth, local.wDay);
    return day.value_or(0.0) + day_fraction(local.wHour, local.wMinute, local.wSecond);
}

} // namespace zorvane::host
