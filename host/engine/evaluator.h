// Evaluates a parsed formula in a context.
#pragma once

#include "host/engine/eval_context.h"
#include "host/engine/formula_ast.h"

namespace zorvane::host {

// The formula's value; a reference result stays a reference (see resolve_result).
Value evaluate(const Node& node, EvalContext& ctx);

// What a cell shows for a formula result: references replaced by the cells' values, missing as
// nil.
Value resolve_result(Value value, EvalContext& ctx);

// A whole formula's value as its cell shows it. A value the machine has no memory to hold (an
// array copied, a text joined) is #NUM!, as for a range too large to hold: the memory is given
// back and the formulas after it still run.
Value evaluate_formula(const Node& node, EvalContext& ctx);

// Throws UsageError for a call of a function that is neither built in nor registered, or with an
// argument count the function does not take, and for a bare name nobody knows unless such names
// are allowed (they show #NAME? then). The message names the position.
enum class UnknownNames { reject, allow };
void check_calls(const Node& node, EvalContext& ctx, UnknownNames names = UnknownNames::reject);

} // namespace zorvane::host
