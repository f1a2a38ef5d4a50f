// The worksheet: cells by address, each holding a constant or a formula and its last value.
// Cells are calculated in the order they were entered, a referenced cell before the cell that
// uses it (found without recursion, so long chains of cells are fine). Changing a cell marks the
// cells that depend on it for recalculation; a cell that depends on itself shows #REF!. A range
// of more than max_range_cells cells cannot be taken as values (#NUM!).
#pragma once

#include "host/cell_address.h"
#include "host/eval_context.h"
#include "host/formula_ast.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zorvane::host {

inline constexpr long long max_range_cells = 1 << 20;

class Sheet {
public:
    void set_constant(CellAddress at, Value value);
    void set_formula(CellAddress at, std::string text, std::shared_ptr<const Node> formula);

    // The cell's value, calculating it (and what it refers to) first when needed. Empty cells
    // are nil.
    Value value(CellAddress at, EvalContext& ctx);
    // The values of a range: one cell gives its whole value, more cells the array of their
    // (top-left) values.
    Value range_value(const Ref& ref, EvalContext& ctx);

    // Calculates every cell that needs it, in entry order.
    void calculate(EvalContext& ctx);
    // Marks every formula for recalculation and calculates.
    void recalculate(EvalContext& ctx);

    // The formula text of a cell, if it holds one.
    std::optional<std::string> formula(CellAddress at) const;
    // The cell being calculated, if any (for functions that ask for their caller).
    std::optional<CellAddress> calculating() const;

private:
    struct Cell {
        Value value;
        std::string text;
        std::shared_ptr<const Node> formula;
        std::vector<Ref> precedents;
        std::size_t order = 0;
        bool dirty = false;
        bool in_progress = false;
    };
    void mark_dependents(CellAddress changed);
    Cell& entry(CellAddress at);
    // Calculates the dirty cells `at` depends on, deepest first, then `at` itself.
    void calculate_from(CellAddress at, EvalContext& ctx);
    // Evaluates one dirty formula cell now.
    void calculate_one(CellAddress at, EvalContext& ctx);

    std::map<CellAddress, Cell> cells_;
    std::vector<CellAddress> calculating_;
    std::size_t next_order_ = 0;
    std::size_t clean_formulas_ = 0; // while none, nothing can need marking
};

} // namespace zorvane::host
