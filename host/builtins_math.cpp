// INT, RAND, ABS, ROUND, MOD, SUM, COUNT.
#include "host/builtin_args.h"
#include "host/builtins.h"
#include "host/number_text.h"
#include "xll/xlcall.h"

#include <algorithm>
#include <cmath>

namespace zorvane::host {

namespace {

Value finite(double x)
{
    if (!std::isfinite(x))
        return ErrorCode::num;
    return x;
}

Value int_fn(EvalContext&, std::span<const Value> args) { return std::floor(number_arg(args, 0)); }
Value rand_fn(EvalContext& ctx, std::span<const Value>) { return ctx.random(); }
Value abs_fn(EvalContext&, std::span<const Value> args) { return std::fabs(number_arg(args, 0)); }

Value round_fn(EvalContext&, std::span<const Value> args)
{
    const double x = number_arg(args, 0);
    // Beyond ±400 digits every double either stays as it is or rounds to 0.
    const double digits = std::clamp(std::trunc(number_arg(args, 1)), -400.0, 400.0);
    return finite(round_decimal(x, static_cast<int>(digits)));
}

Value mod_fn(EvalContext&, std::span<const Value> args)
{
    const double n = number_arg(args, 0);
    const double d = number_arg(args, 1);
    if (d == 0)
        return ErrorCode::div0;
    return finite(n - d * std::floor(n / d)); // the result takes the divisor's sign
}

// SUM and COUNT: numbers inside arrays and references count, texts and booleans there do not;
// direct arguments are converted.
Value sum_fn(EvalContext&, std::span<const Value> args)
{
    double total = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].is_array()) {
            for (const auto& cell : args[i].array().cells) {
                propagate_error(cell);
                if (cell.is_number())
                    total += cell.number();
            }
        } else {
            total += number_arg(args, i);
        }
    }
    return finite(total);
}

Value count_fn(EvalContext&, std::span<const Value> args)
{
    double count = 0;
    for (const auto& arg : args) {
        if (arg.is_array()) {
            for (const auto& cell : arg.array().cells)
                count += cell.is_number() ? 1 : 0;
        } else if (arg.is_number() || arg.is_bool() || (arg.is_text() && !failed(to_number(arg)))) {
            ++count;
        }
    }
    return count;
}

const Builtin builtins[] = {
    {"INT", xlfInt, 1, 1, "s", int_fn},
    {"RAND", xlfRand, 0, 0, "s", rand_fn, true},
    {"ABS", xlfAbs, 1, 1, "s", abs_fn},
    {"ROUND", xlfRound, 2, 2, "s", round_fn},
    {"MOD", xlfMod, 2, 2, "s", mod_fn},
    {"SUM", xlfSum, 1, max_builtin_args, "a", sum_fn},
    {"COUNT", xlfCount, 1, max_builtin_args, "a", count_fn},
};

} // namespace

std::span<const Builtin> math_builtins()
{
    return builtins;
}

} // namespace zorvane::host
