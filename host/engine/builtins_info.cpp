// IF, IFERROR, the IS functions, NA, TRUE, FALSE, AND, OR, NOT and EVALUATE.
#include "host/engine/builtin_args.h"
#include "host/engine/builtins.h"
#include "xll/xlcall.h"

namespace zorvane::host {

namespace {

// The function number of IFERROR in the C interface, which xlcall.h does not name.
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

// IFERROR(value, value_if_error): an empty cell on either side reads as "". The evaluator
// evaluates value_if_error only when a scalar value is an error.
Value iferror_fn(EvalContext&, std::span<const Value> args)
{
    const Value& chosen = args[0].is_error() ? args[1] : args[0];
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
            for (const auto& cell : arg.array().cells) {
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
    {"IFERROR", function_iferror, 2, 2, "s", iferror_fn},
};

} // namespace

std::span<const Builtin> info_builtins()
{
    return builtins;
}

} // namespace zorvane::host
