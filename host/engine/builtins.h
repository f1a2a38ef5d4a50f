// The built-in worksheet functions, in one table shared by the formula evaluator (by name) and
// by the callbacks (by function number).
#pragma once

#include "host/engine/eval_context.h"
#include "host/engine/sheet_limits.h"
#include "host/engine/value.h"

#include <span>
#include <string_view>
#include <vector>

namespace zorvane::host {

using BuiltinImpl = Value (*)(EvalContext& ctx, std::span<const Value> args);

struct Builtin {
    std::string_view name;
    int number;     // the function number of the C interface
    int min_args;
    int max_args;   // max_builtin_args for "any number"
    // One letter per parameter, the last one repeating, or after a '|' the letters behind it
    // repeating as a group (SUMIFS's ranges and criteria): 's' a single value (an array argument
    // makes the function apply to each element), 'a' a value or a whole array, 'r' a reference
    // kept as such when the argument is one (to tell a range from a typed value, or to size a
    // range), 'k' a reference kept as such always (OFFSET, RELREF). For 'r' as for the others, a
    // reference to one cell holding an array is that array.
    std::string_view params;
    BuiltinImpl impl;
    bool is_volatile = false;
};

inline constexpr int max_builtin_args = max_arguments;
// The number of names the spreadsheet knows only in formulas: they have none in the C interface.
inline constexpr int formula_only = -1;

// Lookup by name (case-insensitive) or by function number; nullptr when there is none.
const Builtin* find_builtin(std::string_view name);
const Builtin* find_builtin_number(int number);
std::span<const Builtin> all_builtins();

// Dereferences arguments as the parameters ask and applies the function, element by element
// when a single-value parameter receives an array. The argument count must already be valid.
Value call_builtin(const Builtin& builtin, EvalContext& ctx, std::vector<Value> args);

// The parts of the table, one per family of functions.
std::span<const Builtin> date_builtins();
std::span<const Builtin> text_builtins();
std::span<const Builtin> info_builtins();
std::span<const Builtin> math_builtins();
std::span<const Builtin> conditional_builtins();
std::span<const Builtin> lookup_builtins();
std::span<const Builtin> array_builtins();

} // namespace zorvane::host
