// INT, RAND, ABS, ROUND, MOD; the aggregates SUM, COUNT, AVERAGE, MIN, MAX; SUMIF and COUNTIF.
#include "host/engine/builtin_args.h"
#include "host/engine/builtins.h"
#include "host/engine/cell_address.h"
#include "host/engine/criteria.h"
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
constexpr int function_sumif = 345;
constexpr int function_countif = 346;

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

// The aggregates read their arguments as the spreadsheet does: a value typed as an argument is
// converted (TRUE is 1, "5" is 5, an omitted one is 0), while in a range or an array only numbers
// count and texts, booleans and blanks are skipped. Errors are the result, except for COUNT,
// which only leaves out what is no number.
enum class OnError { propagate, skip };

// The values of a reference's cells. One cell's value is data even when it is an error; a range
// answers an error only when it cannot be taken as values at all (too large), and that error is
// the result, for COUNT too, rather than a count of nothing.
Value range_values(EvalContext& ctx, const Ref& ref)
{
    Value values = ctx.dereference(ref);
    if (values.is_error() && (ref.rows() > 1 || ref.columns() > 1))
        throw ArgumentError{values.error()};
    return values;
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
        if (arg.is_ref() || arg.is_array()) {
            const Value cells = arg.is_ref() ? range_values(ctx, arg.ref()) : Value();
            const Value& values = arg.is_ref() ? cells : arg;
            if (values.is_array()) {
                for (const auto& cell : values.array().cells)
                    from_range(cell);
            } else {
                from_range(values);
            }
        } else if (arg.is_nil()) {
            continue; // an expression's empty result, as a blank cell
        } else if (on_error == OnError::skip) {
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

// The cells of a SUMIF/COUNTIF range argument: a reference's cells, an array, or one value.
Array cells_of(EvalContext& ctx, const Value& arg)
{
    if (arg.is_ref())
        return as_array(range_values(ctx, arg.ref()));
    propagate_error(arg);
    return as_array(arg);
}

Value countif_fn(EvalContext& ctx, std::span<const Value> args)
{
    const Array range = cells_of(ctx, args[0]);
    const Criterion criterion(args[1]);
    return static_cast<double>(std::count_if(range.cells.begin(), range.cells.end(), [&](const Value& c) { return criterion.matches(c); }));
}

// SUMIF's sum range is only a starting point: the cells summed have the shape of the range tested,
// as the spreadsheet does, so a single cell stands for a block as large as the range.
Value sumif_fn(EvalContext& ctx, std::span<const Value> args)
{
    const Array range = cells_of(ctx, args[0]);
    const Criterion criterion(args[1]);
    Array sum_range = range;
    if (given(args, 2)) {
        if (args[2].is_ref()) {
            const Ref& from = args[2].ref();
            const Ref sized{from.first_row, from.first_column, std::min(from.first_row + range.rows, max_rows) - 1,
                            std::min(from.first_column + range.columns, max_columns) - 1};
            sum_range = cells_of(ctx, sized);
        } else {
            sum_range = cells_of(ctx, args[2]);
        }
    }
    double total = 0;
    for (int r = 0; r < range.rows && r < sum_range.rows; ++r) {
        for (int c = 0; c < range.columns && c < sum_range.columns; ++c) {
            if (!criterion.matches(range.at(r, c)))
                continue;
            const Value& cell = sum_range.at(r, c);
            propagate_error(cell);
            if (cell.is_number())
                total += cell.number();
        }
    }
    return finite(total);
}

const Builtin builtins[] = {
    {"INT", xlfInt, 1, 1, "s", int_fn},
    {"RAND", xlfRand, 0, 0, "s", rand_fn, true},
    {"ABS", xlfAbs, 1, 1, "s", abs_fn},
    {"ROUND", xlfRound, 2, 2, "s", round_fn},
    {"MOD", xlfMod, 2, 2, "s", mod_fn},
    {"SUM", xlfSum, 1, max_builtin_args, "r", sum_fn},
    {"COUNT", xlfCount, 1, max_builtin_args, "r", count_fn},
    {"AVERAGE", function_average, 1, max_builtin_args, "r", average_fn},
    {"MIN", function_min, 1, max_builtin_args, "r", extreme_fn<false>},
    {"MAX", function_max, 1, max_builtin_args, "r", extreme_fn<true>},
    {"SUMIF", function_sumif, 2, 3, "rsr", sumif_fn},
    {"COUNTIF", function_countif, 2, 2, "rs", countif_fn},
};

} // namespace

std::span<const Builtin> math_builtins()
{
    return builtins;
}

} // namespace zorvane::host
