// IF, CHOOSE, IFERROR, IFNA, the IS functions, NA, TRUE, FALSE, AND, OR, NOT, EVALUATE and LET.
#include "host/engine/builtin_args.h"
#include "host/engine/builtins.h"
#include "xll/xlcall.h"

#include <cmath>

namespace zorvane::host {

namespace {

// Function numbers of the C interface that xlcall.h does not name.
constexpr int function_choose = 100;
constexpr int function_iferror = 480;

// IF's branches are chosen here when both are already values; the evaluator evaluates only the
// chosen branch of a scalar condition itself.
Value if_fn(EvalContext&, std::span<const Value> args)
{
    const bool condition = bool_arg(args, 0);
    if (condition)
        return args.size() > 1 ? (args[1].is_missing() ? Value(0.0) : args[1]) : Value(true);
    return args.size() > 2 ? (args[2].is_missing() ? Value(0.0) : args[2]) : Value(false);
}

// CHOOSE(index_num, value1, [value2], ...): the value the truncated index names; an index below
// 1 or past the last value is #VALUE!. The evaluator evaluates only that value when the index is
// no array.
Value choose_fn(EvalContext&, std::span<const Value> args)
{
    const double index = std::trunc(number_arg(args, 0));
    if (index < 1 || index >= static_cast<double>(args.size()))
        return ErrorCode::value;
    const Value& chosen = args[static_cast<std::size_t>(index)];
    return chosen.is_missing() ? Value(0.0) : chosen;
}

// IFERROR(value, value_if_error) and IFNA(value, value_if_na): the fallback for any error, or for
// #N/A alone; an empty cell on either side reads as "". The evaluator evaluates the fallback only
// when a value that is no array is the error caught.
template <bool AnyError>
Value if_error_fn(EvalContext&, std::span<const Value> args)
{
    const bool caught = args[0].is_error() && (AnyError || args[0].error() == ErrorCode::na);
    const Value& chosen = caught ? args[1] : args[0];
    if (chosen.is_nil() || chosen.is_missing())
        return std::u16string();
    return chosen;
}

Value iserror_fn(EvalContext&, std::span<const Value> args) { return args[0].is_error(); }
Value isna_fn(EvalContext&, std::span<const Value> args) { return args[0].is_error() && args[0].error() == ErrorCode::na; }
Value isnumber_fn(EvalContext&, std::span<const Value> args) { return args[0].is_number(); }
Value istext_fn(EvalContext&, std::span<const Value> args) { return args[0].is_text(); }
Value isblank_fn(EvalContext&, std::span<const Value> args) { return args[0].is_nil(); }
Value na_fn(EvalContext&, std::span<const Value>) { return ErrorCode::na; }
Value true_fn(EvalContext&, std::span<const Value>) { return true; }
Value false_fn(EvalContext&, std::span<const Value>) { return false; }
Value not_fn(EvalContext&, std::span<const Value> args) { return !bool_arg(args, 0); }

// AND and OR look through arrays, skipping texts and blanks there.
template <bool IsAnd>
Value logical_fn(EvalContext&, std::span<const Value> args)
{
    bool any = false;
    bool result = IsAnd;
    auto take = [&](bool b) {
        any = true;
        result = IsAnd ? (result && b) : (result || b);
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Value& arg = args[i];
        if (arg.is_array()) {
            for (const auto& cell : arg.array()) {
                propagate_error(cell);
                if (cell.is_number())
                    take(cell.number() != 0);
                else if (cell.is_bool())
                    take(cell.boolean());
            }
        } else if (!arg.is_missing() && !arg.is_nil()) {
            take(bool_arg(args, i));
        }
    }
    if (!any)
        return ErrorCode::value;
    return result;
}

Value evaluate_fn(EvalContext& ctx, std::span<const Value> args)
{
    return ctx.evaluate_text(text_arg(args, 0));
}

// LET binds names, which only the evaluator can do; it evaluates LET itself and never calls this.
Value let_fn(EvalContext&, std::span<const Value>) { return ErrorCode::value; }

const Builtin builtins[] = {
    {"IF", xlfIf, 1, 3, "s", if_fn},
    {"ISERROR", xlfIserror, 1, 1, "s", iserror_fn},
    {"ISNA", xlfIsna, 1, 1, "s", isna_fn},
    {"ISNUMBER", xlfIsnumber, 1, 1, "s", isnumber_fn},
    {"ISTEXT", xlfIstext, 1, 1, "s", istext_fn},
    {"ISBLANK", xlfIsblank, 1, 1, "s", isblank_fn},
    {"NA", xlfNa, 0, 0, "s", na_fn},
    {"TRUE", xlfTrue, 0, 0, "s", true_fn},
    {"FALSE", xlfFalse, 0, 0, "s", false_fn},
    {"AND", xlfAnd, 1, max_builtin_args, "a", logical_fn<true>},
    {"OR", xlfOr, 1, max_builtin_args, "a", logical_fn<false>},
    {"NOT", xlfNot, 1, 1, "s", not_fn},
    {"EVALUATE", xlfEvaluate, 1, 1, "s", evaluate_fn, true},
    {"IFERROR", function_iferror, 2, 2, "s", if_error_fn<true>},
    {"CHOOSE", function_choose, 2, max_builtin_args, "s", choose_fn},
    {"IFNA", formula_only, 2, 2, "s", if_error_fn<false>},
    {"LET", formula_only, 3, max_builtin_args, "a", let_fn},
};

} // namespace

std::span<const Builtin> info_builtins()
{
    return builtins;
}

} // namespace zorvane::host
