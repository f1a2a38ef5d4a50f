#include <ctime>

#include "db/calendar.h"
#include "xll/host_call.h"

namespace db {

namespace {

template <class Memo> double ask(Memo& memo, int xlfn, double a, double b, double c)
{
    auto key = std::make_tuple(a, b, c);
    if (auto it = memo.find(key); it != memo.end())
        return it->second;
    double v = xll::Excel12(xlfn, xll::OPER12(a), xll::OPER12(b), xll::OPER12(c)).to_number();
    memo.emplace(key, v);
    return v;
}

} // namespace

double HostCalendar::date(double year, double month, double day) { return ask(dates_, xlfDate, year, month, day); }

double HostCalendar::time(double hour, double minute, double second)
{
    return ask(times_, xlfTime, hour, minute, second);
}

double current_time_stamp(Calendar& calendar)
{
    std::time_t now = std::time(nullptr);
    // The add-in runs on the host's one calculation thread, so the shared buffer is safe.
    std::tm local = *std::localtime(&now);
    return calendar.date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           calendar.time(local.tm_hour, local.tm_min, local.tm_sec);
}

} // namespace db
