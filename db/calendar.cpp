#include <ctime>

#include "db/calendar.h"
#include "db/day_serial.h"
#include "xll/host_call.h"

namespace db {

double Calendar::serial(const Moment& m, bool with_day)
{
    const double t = m.has_time ? time(m.hour, m.minute, m.second) : 0;
    return with_day ? date(m.year, m.month, m.day) + t : t;
}

double HostCalendar::date(double year, double month, double day)
{
    return xll::Excel12(xlfDate, xll::OPER12(year), xll::OPER12(month), xll::OPER12(day)).to_number();
}

double HostCalendar::time(double hour, double minute, double second)
{
    return xll::Excel12(xlfTime, xll::OPER12(hour), xll::OPER12(minute), xll::OPER12(second)).to_number();
}

double SerialCalendar::date(double year, double month, double day) { return date_serial(year, month, day); }

double SerialCalendar::time(double hour, double minute, double second) { return time_serial(hour, minute, second); }

double SerialCalendar::serial(const Moment& m, bool with_day) { return moment_serial(m, with_day); }

double current_time_stamp(Calendar& calendar)
{
    std::time_t now = std::time(nullptr);
    // The add-in runs on the host's one calculation thread, so the shared buffer is safe.
    std::tm local = *std::localtime(&now);
    return calendar.date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           calendar.time(local.tm_hour, local.tm_min, local.tm_sec);
}

} // namespace db
