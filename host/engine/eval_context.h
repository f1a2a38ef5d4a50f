// What formulas and built-in functions need from their surroundings: the sheet's cells, the
// clock, random numbers, the add-in's registered functions. The host session implements it;
// tests implement it with a few lines.
#pragma once

#include "host/engine/value.h"

#include <optional>
#include <string_view>
#include <vector>

namespace zorvane::host {

class EvalContext {
public:
    virtual ~EvalContext() = default;

    // The values of the referenced cells: a single cell gives its whole value (an array result
    // stays an array), a larger range the array of its cells' values.
    virtual Value dereference(const Ref& ref) = 0;
    // The host clock as a date serial.
    virtual double now() = 0;
    // A uniformly distributed number in [0, 1).
    virtual double random() = 0;
    // Evaluates formula text in this context (EVALUATE).
    virtual Value evaluate_text(std::u16string_view formula) = 0;

    // The number of arguments a registered function takes, or nullopt if no function or macro is
    // registered under this name (case-insensitive).
    virtual std::optional<int> registered_arity(std::string_view name) = 0;
    // Calls a registered function; arguments may be references, the callee converts them.
    virtual Value call_registered(std::string_view name, std::vector<Value> args) = 0;

    // What a bare name stands for: a defined name's reference or value, a registered function's
    // register id; #NAME? for a name nobody knows.
    virtual Value name_value(std::string_view) { return ErrorCode::name; }
};

} // namespace zorvane::host
