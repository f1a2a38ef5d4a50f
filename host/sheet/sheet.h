// The worksheet: cells by address, each holding a constant or a formula and its last value.
// Cells are calculated in the order they were entered, a referenced cell before the cell that
// uses it (found without recursion, so long chains of cells are fine). Changing a cell marks the
// cells that depend on it for recalculation; a cell that depends on itself shows #REF!, and the
// sheet tells the cells of each such circle once. A range of more than max_range_cells cells
// cannot be taken as values (#NUM!).
// A cell whose formula waits for an asynchronous result (see wait_for_result) shows #GETTING_DATA
// and stays to be calculated; so does a cell that reads a waiting cell. The host resumes such cells
// once what they wait for arrived, and calculates again.
// Beside values the sheet keeps what macros change: the selection with its active cell, defined
// names (a formula using a name depends on what the name refers to), cell styles and horizontal
// alignment.
#pragma once

#include "host/engine/cell_address.h"
#include "host/engine/eval_context.h"
#include "host/engine/formula_ast.h"
#include "host/engine/sheet_limits.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zorvane::host {

// Whether text can be a defined name: a letter, '_' or '\' first, then letters, digits, '.', '_'
// or '\', at most max_name_length characters, and nothing that reads as a cell (A1 or R1C1) or a boolean.
bool is_valid_defined_name(std::u16string_view name);

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

    // What one pass of calculation did: cells calculated to their value, cells left waiting.
    struct Progress {
        std::size_t completed = 0;
        std::size_t waiting = 0;
    };
    // Calculates every cell that needs it, in entry order, but the waiting ones. Cells that Esc
    // left without a value are calculated again along with anything else.
    Progress calculate(EvalContext& ctx);
    // Called once for each circle of cells that refer to each other, the first time calculation
    // meets it: its cells from the first (in row order) on, each referring to the next and the
    // last to the first.
    using CircleSeen = std::function<void(const std::vector<CellAddress>& circle)>;
    void on_circular_reference(CircleSeen tell) { tell_circle_ = std::move(tell); }
    // Marks every formula for recalculation and calculates.
    Progress recalculate(EvalContext& ctx);

    // The cell being calculated waits for an asynchronous result.
    void wait_for_result();
    // Whether the cell being calculated waits.
    bool calculating_cell_waits() const;
    // The waiting cells that `ready` accepts are calculated at the next pass.
    void resume(const std::function<bool(CellAddress)>& ready);
    // Esc: the waiting cells show #N/A until the next calculation.
    void interrupt_waiting();

    // The formula text of a cell, if it holds one.
    std::optional<std::string> formula(CellAddress at) const;
    // The cell being calculated, if any (for functions that ask for their caller).
    std::optional<CellAddress> calculating() const;

    const Ref& selection() const { return selection_; }
    CellAddress active_cell() const { return active_; }
    // Selects the range with the active cell inside it (its top-left cell unless given); false,
    // changing nothing, when the active cell lies outside.
    bool select(const Ref& range, std::optional<CellAddress> active = std::nullopt);

    // Names ignore case. A name refers to a range or stands for a constant.
    void define_name(const std::string& name, Value refers_to);
    std::optional<Value> name(std::string_view name) const;
    // Each name as defined with what it stands for, in name order.
    std::vector<std::pair<std::string, Value>> names() const;

    // Styles ignore case; "Normal" exists from the start and is every cell's style until another
    // is applied.
    void define_style(const std::u16string& name);
    bool has_style(std::u16string_view name) const;
    void apply_style(const Ref& range, std::u16string_view name);
    std::u16string style(CellAddress at) const;

    // Horizontal alignment by the spreadsheet's codes, 1 (general) until set.
    void set_alignment(const Ref& range, int horizontal);
    int alignment(CellAddress at) const;

private:
    struct Cell {
        Value value;
        std::string text;
        std::shared_ptr<const Node> formula;
        std::vector<Ref> precedents;
        std::vector<std::string> names; // upper case
        std::size_t order = 0;
        bool dirty = false;
        bool in_progress = false;
        bool waiting = false;     // dirty, waits for an asynchronous result
        bool interrupted = false; // Esc took its result: calculated again with the next change
    };
    // Whether the cell is a formula to calculate in this pass.
    static bool due(const Cell& cell) { return cell.dirty && cell.formula && !cell.waiting && !cell.in_progress; }
    void mark_dependents(CellAddress changed);
    // The references the cell's formula uses, directly and through names.
    void find_precedents(Cell& cell) const;
    void mark_dirty(CellAddress at, Cell& cell);
    Cell& entry(CellAddress at);
    // Calculates the dirty cells `at` depends on, deepest first, then `at` itself.
    void calculate_from(CellAddress at, EvalContext& ctx);
    // Evaluates one dirty formula cell now.
    void calculate_one(CellAddress at, EvalContext& ctx);
    // Calls `visit` with the address and cell of each formula cell inside the range.
    template <class Visit>
    void for_each_formula_in(const Ref& range, Visit visit);
    // Esc left these cells without a value: they are calculated along with the next change. Whether
    // there were any.
    bool retry_interrupted();
    // Tells the circle that calculating `at` again, while it is being calculated, closes.
    void found_circle(CellAddress at);
    // The cells of a shortest path of references from `start` back to itself; empty when the
    // formulas' references make none (the cell was reached through EVALUATE or the add-in).
    std::vector<CellAddress> circle_through(CellAddress start);

    std::map<CellAddress, Cell> cells_;
    std::vector<CellAddress> calculating_;
    std::size_t next_order_ = 0;
    std::size_t clean_formulas_ = 0; // while none, nothing can need marking
    Progress progress_;              // of the pass under way
    Ref selection_{};
    CellAddress active_{};
    std::map<std::string, std::pair<std::string, Value>> names_;  // by upper-case name
    std::map<std::u16string, std::u16string> styles_{{u"NORMAL", u"Normal"}}; // by upper-case name
    std::map<CellAddress, std::u16string> cell_styles_;
    std::map<CellAddress, int> alignments_;
    CircleSeen tell_circle_;
    std::set<std::vector<CellAddress>> told_circles_; // each by its cells in order
};

} // namespace zorvane::host
