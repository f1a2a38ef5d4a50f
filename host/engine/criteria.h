// A condition as SUMIF and COUNTIF take it: a value the cell must equal, or text with an optional
// comparison in front (">5", "<>x", "<=2014-05-31") and wildcards for equality ("app*", "?x~*").
#pragma once

#include "host/engine/value.h"

namespace zorvane::host {

class Criterion {
public:
    explicit Criterion(const Value& criterion);
    bool matches(const Value& cell) const;

private:
    enum class Op { equal, not_equal, less, less_equal, greater, greater_equal };
    bool equals(const Value& cell) const;
    bool ordered(const Value& cell) const;

    Op op_ = Op::equal;
    Value operand_;
    // An empty operand: "=" and "<>" ask whether the cell is blank; "" alone also takes a cell
    // holding empty text.
    bool empty_operand_ = false;
    bool blank_only_ = false;
};

} // namespace zorvane::host
