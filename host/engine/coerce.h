// The spreadsheet's implicit conversions between value kinds, used by operators, built-ins and
// the arguments of registered functions alike.
#pragma once

#include "host/engine/value.h"

#include <string>
#include <variant>

namespace zorvane::host {

// Each conversion yields either the converted value or the error that stands for the result.
template <class T>
using Converted = std::variant<T, ErrorCode>;

template <class T>
bool failed(const Converted<T>& c) { return std::holds_alternative<ErrorCode>(c); }

// Numbers stay, TRUE/FALSE become 1/0, text is read like VALUE, nil and missing are 0.
Converted<double> to_number(const Value& value);
// The spreadsheet's number-to-text, TRUE/FALSE, nil and missing as "".
Converted<std::u16string> to_text(const Value& value);
// Non-zero numbers are TRUE, texts "TRUE"/"FALSE" in any case, nil and missing are FALSE.
Converted<bool> to_bool(const Value& value);

// The text a value shows as (errors by name); used where errors are not propagated.
std::u16string display_text(const Value& value);

// The order of kinds in comparisons: numbers 0, texts 1, booleans 2; -1 for anything else.
int kind_rank(const Value& v);

// Values of one kind (numbers, texts or booleans) are in order with each other; blanks and errors
// are with none.
bool comparable(const Value& a, const Value& b);

// The comparison operators' ordering: numbers < texts (case-insensitive) < booleans, blank as
// 0, "" or FALSE depending on the other side. Returns <0, 0, >0.
int compare_values(const Value& a, const Value& b);

// Equality as lookups and UNIQUE see it: values of the same kind that are equal, texts without
// regard to case; a blank equals only a blank, so 0, "" and FALSE stay apart.
bool same_value(const Value& a, const Value& b);

// Converts a value to a result that is neither a reference nor missing: missing becomes nil.
Value plain(Value value);

} // namespace zorvane::host
