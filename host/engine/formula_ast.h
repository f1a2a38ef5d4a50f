// The parsed form of a formula.
#pragma once

#include "host/engine/value.h"

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
        reference, // `ref`, or with `spill` the array its one cell holds
        unary,     // `op` is "-", "+" or "%"; one child
        binary,    // a left-to-right chain of one precedence level: children[0] ops[0]
                   // children[1] ops[1] ..., ops among + - * / ^ & = <> < > <= >=
        call,      // `name` as written; children are the arguments
        omitted,   // an argument left empty: F(1,,3)
        name,      // a bare name in `name`: a defined name, or a registered function's register id
    };
    Kind kind = Kind::constant;
    std::size_t position = 1; // 1-based, where the node starts in the formula text
    int depth = 1;            // levels of nodes from here down, bounded by the parser
    Value value;
    Ref ref;
    bool spill = false;           // of a reference written A1#: the whole array its cell holds
    std::size_t r1c1_length = 0;  // of a reference written in R1C1 style, its length in the text
    std::string op;               // of a unary node
    std::vector<std::string> ops; // of a binary chain
    std::string name;
    std::vector<NodePtr> children;
};

} // namespace zorvane::host
