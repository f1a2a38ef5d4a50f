// INT, RAND, ABS, ROUND, ROUNDUP, ROUNDDOWN, MOD; the aggregates SUM, COUNT, COUNTA, COUNTBLANK,
// AVERAGE, MIN, MAX.
#include "host/engine/builtin_args.h"
#include "host/engine/builtins.h"
#include "host/engine/number_text.h"
#include "xll/xlcall.h"

#include <algorithm>
#include <cmath>

namespace zorvane::host {

namespace {

// Function numbers of the C interface that xlcall.h does not name.
constexpr int function_average = 5;
constexpr int function_min = 6;
constexpr int function_max = 7;
constexpr int function_counta = 169;
constexpr int function_roundup = 212;
constexpr int function_rounddown = 213;
constexpr int function_countblank = 347;

Value int_fn(EvalContext&, std::span<const Value> args) { return std::floor(number_arg(args, 0)); }
Value rand_fn(EvalContext& ctx, std::span<const Value>) { return ctx.random(); }
Value abs_fn(EvalContext&, std::span<const Value> args) { return std::fabs(number_arg(args, 0)); }

template <Rounding Direction>
Value round_fn(EvalContext&, std::span<const Value> args)
{
    const double x = number_arg(args, 0);
    // Beyond ±400 digits every double either stays as it is or rounds to 0 (or past the doubles).
    const double digits = std::clamp(std::trunc(number_arg(args, 1)), -400.0, 400.0);
    return finite(round_decimal(x, static_cast<int>(digits), Direction));
}

Value mod_fn(EvalContext&, std::span<const Value> args)
{
    const double n = number_arg(args, 0);
    const double d = number_arg(args, 1);
    if (d == 0)
        return ErrorCode::div0;
    return finite(n - d * std::floor(n / d)); // the result takes the divisor's sign
}

// The aggregates read their arguments as the spreadsheet does: a value typed as an argument is
// converted (TRUE is 1, "5" is 5, an omitted one is 0), while in a range or an array only numbers
// count and texts, booleans and blanks are skipped. Errors are the result, except for COUNT,
// which only leaves out what is no number.
enum class OnError { propagate, skip };

// Each cell of a range or array argument, or nothing when the argument is a typed value; true
// when it was one of cells.
template <class Take>
bool for_each_cell(EvalContext& ctx, const Value& arg, Take take)
{
    if (!arg.is_ref() && !arg.is_array())
        return false;
    const Value cells = arg.is_ref() ? range_values(ctx, arg.ref()) : Value();
    const Value& values = arg.is_ref() ? cells : arg;
    if (values.is_array()) {
        for (const auto& cell : values.array())
            take(cell);
    } else {
        take(values);
    }
    return true;
}

template <class Take>
void for_each_number(EvalContext& ctx, std::span<const Value> args, OnError on_error, Take take)
{
    auto from_range = [&](const Value& cell) {
        if (cell.is_number())
            take(cell.number());
        else if (cell.is_error() && on_error == OnError::propagate)
            throw ArgumentError{cell.error()};
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Value& arg = args[i];
        if (for_each_cell(ctx, arg, from_range) || arg.is_nil()) // nil: an expression's empty result, as a blank cell
            continue;
        if (on_error == OnError::skip) {
            const auto n = to_number(arg);
            if (!failed(n))
                take(std::get<double>(n));
        } else {
            take(number_arg(args, i)); // typed text that is no number is #VALUE!
        }
    }
}

Value sum_fn(EvalContext& ctx, std::span<const Value> args)
{
    double total = 0;
    for_each_number(ctx, args, OnError::propagate, [&](double x) { total += x; });
    return finite(total);
}

Value count_fn(EvalContext& ctx, std::span<const Value> args)
{
    double count = 0;
    for_each_number(ctx, args, OnError::skip, [&](double) { ++count; });
    return count;
}

Value average_fn(EvalContext& ctx, std::span<const Value> args)
{
    double total = 0;
    double count = 0;
    for_each_number(ctx, args, OnError::propagate, [&](double x) {
        total += x;
        ++count;
    });
    if (count == 0)
        return ErrorCode::div0;
    return finite(total / count);
}

// MIN and MAX of no numbers at all are 0.
template <bool IsMax>
Value extreme_fn(EvalContext& ctx, std::span<const Value> args)
{
    bool any = false;
    double best = 0;
    for_each_number(ctx, args, OnError::propagate, [&](double x) {
        if (!any || (IsMax ? x > best : x < best))
            best = x;
        any = true;
    });
    return best;
}

// COUNTA: every value counts but a blank cell (empty text a formula gave counts); a typed
// argument counts whatever it is, an error too.
Value counta_fn(EvalContext& ctx, std::span<const Value> args)
{
    double count = 0;
    for (const Value& arg : args) {
        if (!for_each_cell(ctx, arg, [&](const Value& cell) { count += cell.is_nil() ? 0 : 1; }) && !arg.is_nil())
            ++count;
    }
    return count;
}

// COUNTBLANK: the blank cells of a range, and those holding empty text; 0 is no blank.
Value countblank_fn(EvalContext& ctx, std::span<const Value> args)
{
    double count = 0;
    auto take = [&](const Value& cell) { count += cell.is_nil() || (cell.is_text() && cell.text().empty()) ? 1 : 0; };
    if (!for_each_cell(ctx, args[0], take)) {
        propagate_error(args[0]);
        take(args[0]);
    }
    return count;
}

const Builtin builtins[] = {
    {"INT", xlfInt, 1, 1, "s", int_fn},
    {"RAND", xlfRand, 0, 0, "s", rand_fn, true},
    {"ABS", xlfAbs, 1, 1, "s", abs_fn},
    {"ROUND", xlfRound, 2, 2, "s", round_fn<Rounding::half_away_from_zero>},
    {"MOD", xlfMod, 2, 2, "s", mod_fn},
    {"SUM", xlfSum, 1, max_builtin_args, "r", sum_fn},
    {"COUNT", xlfCount, 1, max_builtin_args, "r", count_fn},
    {"AVERAGE", function_average, 1, max_builtin_args, "r", average_fn},
    {"MIN", function_min, 1, max_builtin_args, "r", extreme_fn<false>},
    {"MAX", function_max, 1, max_builtin_args, "r", extreme_fn<true>},
    {"COUNTA", function_counta, 1, max_builtin_args, "r", counta_fn},
    {"COUNTBLANK", function_countblank, 1, 1, "r", countblank_fn},
    {"ROUNDUP", function_roundup, 2, 2, "s", round_fn<Rounding::away_from_zero>},
    {"ROUNDDOWN", function_rounddown, 2, 2, "s", round_fn<Rounding::toward_zero>},
};

} // namespace

std::span<const Builtin> math_builtins()
{
    return builtins;
}

} // namespace zorvane::host
