// The parsed form of a formula.
#pragma once

#include "host/value.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zorvane::host {

struct Node;
using NodePtr = std::unique_ptr<Node>;

struct Node {
    enum class Kind {
        constant,  // number, text, boolean, error or array constant, in `value`
        reference, // `ref`
        unary,     // `op` is "-", "+" or "%"; one child
        binary,    // `op` is one of + - * / ^ & = <> < > <= >=; two children
        call,      // `name` as written; children are the arguments
        omitted,   // an argument left empty: F(1,,3)
    };
    Kind kind = Kind::constant;
    std::size_t position = 1; // 1-based, where the node starts in the formula text
    Value value;
    Ref ref;
    std::string op;
    std::string name;
    std::vector<NodePtr> children;
};

} // namespace zorvane::host
