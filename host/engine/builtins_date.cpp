// DATE, TIME, DAY, MONTH, YEAR, HOUR, MINUTE, SECOND, WEEKDAY, NOW, TODAY.
#include "host/engine/builtin_args.h"
#include "host/engine/builtins.h"
#include "host/engine/date_serial.h"
#include "xll/xlcall.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace zorvane::host {

namespace {

// The function number of TODAY in the C interface, which xlcall.h does not name.
constexpr int function_today = 221;

CivilDate date_arg(std::span<const Value> args, std::size_t i)
{
    auto date = date_from_serial(number_arg(args, i));
    if (!date)
        throw ArgumentError{ErrorCode::num};
    return *date;
}

TimeOfDay time_arg(std::span<const Value> args, std::size_t i)
{
    auto time = time_from_serial(number_arg(args, i));
    if (!time)
        throw ArgumentError{ErrorCode::num};
    return *time;
}

Value date_fn(EvalContext&, std::span<const Value> args)
{
    const double y = std::trunc(number_arg(args, 0));
    const double m = std::trunc(number_arg(args, 1));
    const double d = std::trunc(number_arg(args, 2));
    if (std::fabs(y) > 1e6 || std::fabs(m) > 1e6 || std::fabs(d) > 1e8)
        return ErrorCode::num;
    auto serial = serial_from_date(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d));
    if (!serial)
        return ErrorCode::num;
    return *serial;
}

Value time_fn(EvalContext&, std::span<const Value> args)
{
    const double h = std::trunc(number_arg(args, 0));
    const double m = std::trunc(number_arg(args, 1));
    const double s = number_arg(args, 2);
    // Each part is read as a short integer, as the spreadsheet does.
    constexpr double low = std::numeric_limits<std::int16_t>::min();
    constexpr double high = std::numeric_limits<std::int16_t>::max();
    if (h > high || m > high || s > high || h < low || m < low || s < low)
        return ErrorCode::num;
    // Whole seconds are counted as integers, so the day wraps exactly: TIME(25,0,0) = TIME(1,0,0).
    const double whole_seconds = std::floor(s);
    long long seconds = static_cast<long long>(h) * 3600 + static_cast<long long>(m) * 60 + static_cast<long long>(whole_seconds);
    const double fraction_of_second = s - whole_seconds;
    if (seconds < 0)
        return ErrorCode::num;
    seconds %= seconds_per_day;
    return day_fraction(0, 0, static_cast<double>(seconds) + fraction_of_second);
}

Value day_fn(EvalContext&, std::span<const Value> args) { return date_arg(args, 0).day; }
Value month_fn(EvalContext&, std::span<const Value> args) { return date_arg(args, 0).month; }
Value year_fn(EvalContext&, std::span<const Value> args) { return date_arg(args, 0).year; }
Value hour_fn(EvalContext&, std::span<const Value> args) { return time_arg(args, 0).hour; }
Value minute_fn(EvalContext&, std::span<const Value> args) { return time_arg(args, 0).minute; }
Value second_fn(EvalContext&, std::span<const Value> args) { return time_arg(args, 0).second; }

Value weekday_fn(EvalContext&, std::span<const Value> args)
{
    const double serial = number_arg(args, 0);
    if (!date_from_serial(serial))
        return ErrorCode::num;
    // Truncated as a number first: a type far outside int must not reach the conversion.
    const double given = std::trunc(number_arg(args, 1, 1));
    const int type = given >= 1 && given <= 3 ? static_cast<int>(given) : 0;
    // Serial 0 and 1 are a Saturday and a Sunday as the 1900 system counts them.
    const int sunday_based = static_cast<int>(static_cast<long long>(std::floor(serial) + 6) % 7); // 0 = Sunday
    switch (type) {
    case 1:
        return sunday_based + 1;
    case 2:
        return (sunday_based + 6) % 7 + 1;
    case 3:
        return (sunday_based + 6) % 7;
    default:
        return ErrorCode::num;
    }
}

Value now_fn(EvalContext& ctx, std::span<const Value>) { return ctx.now(); }
// The host clock's day, as NOW's without the time.
Value today_fn(EvalContext& ctx, std::span<const Value>) { return std::floor(ctx.now()); }

const Builtin builtins[] = {
    {"DATE", xlfDate, 3, 3, "s", date_fn},
    {"TIME", xlfTime, 3, 3, "s", time_fn},
    {"DAY", xlfDay, 1, 1, "s", day_fn},
    {"MONTH", xlfMonth, 1, 1, "s", month_fn},
    {"YEAR", xlfYear, 1, 1, "s", year_fn},
    {"HOUR", xlfHour, 1, 1, "s", hour_fn},
    {"MINUTE", xlfMinute, 1, 1, "s", minute_fn},
    {"SECOND", xlfSecond, 1, 1, "s", second_fn},
    {"WEEKDAY", xlfWeekday, 1, 2, "s", weekday_fn},
    {"NOW", xlfNow, 0, 0, "s", now_fn, true},
    {"TODAY", function_today, 0, 0, "s", today_fn, true},
};

} // namespace

std::span<const Builtin> date_builtins()
{
    return builtins;
}

} // namespace zorvane::host
