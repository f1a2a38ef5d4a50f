#include "host/sheet/sheet.h"

#include "host/engine/evaluator.h"
#include "host/engine/sheet_limits.h"
#include "host/engine/utf.h"

#include <algorithm>
#include <deque>
#include <set>

namespace zorvane::host {

namespace {

void collect_references(const Node& node, std::vector<Ref>& out, std::vector<std::string>& names)
{
    if (node.kind == Node::Kind::reference)
        out.push_back(node.ref);
    if (node.kind == Node::Kind::name)
        names.push_back(ascii_upper(node.name));
    for (const auto& child : node.children)
        collect_references(*child, out, names);
}

bool contains(const Ref& r, CellAddress at)
{
    return at.row >= r.first_row && at.row <= r.last_row && at.column >= r.first_column && at.column <= r.last_column;
}

// Formulas that reach back through cells being calculated only by way of EVALUATE or the add-in
// can still nest; past this depth the cell shows #REF! rather than exhausting the stack.
constexpr std::size_t max_calculation_depth = 2000;

bool is_name_start(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c >= 0x80 || c == u'_' || c == u'\\'; }
bool is_name_rest(char16_t c) { return is_name_start(c) || (c >= u'0' && c <= u'9') || c == u'.'; }

} // namespace

Sheet::Cell& Sheet::entry(CellAddress at)
{
    auto [it, inserted] = cells_.try_emplace(at);
    if (inserted)
        it->second.order = next_order_++;
    return it->second;
}

void Sheet::set_constant(CellAddress at, Value value)
{
    Cell& cell = entry(at);
    if (cell.formula && !cell.dirty)
        --clean_formulas_;
    cell.value = std::move(value);
    cell.text.clear();
    cell.formula.reset();
    cell.precedents.clear();
    cell.dirty = false;
    cell.waiting = cell.interrupted = false;
    mark_dependents(at);
}

void Sheet::set_formula(CellAddress at, std::string text, std::shared_ptr<const Node> formula)
{
    Cell& cell = entry(at);
    if (cell.formula && !cell.dirty)
        --clean_formulas_;
    cell.text = std::move(text);
    cell.formula = std::move(formula);
    find_precedents(cell);
    cell.dirty = true;
    cell.waiting = cell.interrupted = false;
    mark_dependents(at);
}

void Sheet::find_precedents(Cell& cell) const
{
    cell.precedents.clear();
    cell.names.clear();
    if (!cell.formula)
        return;
    collect_references(*cell.formula, cell.precedents, cell.names);
    for (const auto& name : cell.names) {
        auto it = names_.find(name);
        if (it != names_.end() && it->second.second.is_ref())
            cell.precedents.push_back(it->second.second.ref());
    }
}

void Sheet::mark_dirty(CellAddress at, Cell& cell)
{
    if (cell.formula && !cell.dirty) {
        cell.dirty = true;
        --clean_formulas_;
    }
    mark_dependents(at);
}

void Sheet::mark_dependents(CellAddress changed)
{
    if (clean_formulas_ == 0)
        return;
    std::vector<CellAddress> work{changed};
    while (!work.empty()) {
        const CellAddress at = work.back();
        work.pop_back();
        for (auto& [address, cell] : cells_) {
            if (cell.dirty || !cell.formula)
                continue;
            if (std::any_of(cell.precedents.begin(), cell.precedents.end(), [&](const Ref& r) { return contains(r, at); })) {
                cell.dirty = true;
                --clean_formulas_;
                work.push_back(address);
            }
        }
    }
}

Value Sheet::value(CellAddress at, EvalContext& ctx)
{
    auto it = cells_.find(at);
    if (it == cells_.end())
        return Nil{};
    Cell& cell = it->second;
    if (cell.in_progress) {
        found_circle(at);
        return ErrorCode::ref;
    }
    if (cell.dirty && cell.formula && !cell.waiting) {
        if (calculating_.size() >= max_calculation_depth)
            return ErrorCode::ref;
        calculate_from(at, ctx);
    }
    // The map does not move its elements, so `cell` is still this cell. Whoever reads a cell that
    // waits waits too.
    if (cell.waiting)
        wait_for_result();
    return cell.value;
}

void Sheet::calculate_one(CellAddress at, EvalContext& ctx)
{
    Cell& cell = cells_.at(at);
    if (!due(cell))
        return;
    cell.in_progress = true;
    calculating_.push_back(at);
    Value result;
    try {
        result = evaluate_formula(*cell.formula, ctx);
    } catch (...) {
        calculating_.pop_back();
        cell.in_progress = cell.waiting = false;
        throw;
    }
    calculating_.pop_back();
    cell.in_progress = false;
    if (cell.waiting) {
        // Its value is still to come; until then it stays to be calculated.
        cell.value = ErrorCode::getting_data;
        return;
    }
    cell.value = std::move(result);
    cell.dirty = false;
    ++clean_formulas_;
    ++progress_.completed;
}

Value Sheet::range_value(const Ref& ref, EvalContext& ctx)
{
    if (ref.rows() == 1 && ref.columns() == 1)
        return value({ref.first_row, ref.first_column}, ctx);
    if (static_cast<long long>(ref.rows()) * ref.columns() > max_range_cells)
        return ErrorCode::num;
    Array array(ref.rows(), ref.columns());
    for (int r = 0; r < ref.rows(); ++r)
        for (int c = 0; c < ref.columns(); ++c)
            array.set(r, c, first_element(value({ref.first_row + r, ref.first_column + c}, ctx)));
    return array;
}

Sheet::Progress Sheet::calculate(EvalContext& ctx)
{
    progress_ = {};
    auto due_cells = [&] {
        std::vector<std::pair<std::size_t, CellAddress>> order;
        for (const auto& [address, cell] : cells_)
            if (due(cell))
                order.emplace_back(cell.order, address);
        return order;
    };
    auto order = due_cells();
    if (!order.empty() && retry_interrupted())
        order = due_cells();
    std::sort(order.begin(), order.end());
    for (const auto& [index, address] : order)
        calculate_from(address, ctx);
    for (const auto& [address, cell] : cells_)
        progress_.waiting += cell.waiting ? 1 : 0;
    return progress_;
}

bool Sheet::retry_interrupted()
{
    bool any = false;
    for (auto& [address, cell] : cells_) {
        if (!cell.interrupted)
            continue;
        cell.interrupted = false;
        mark_dirty(address, cell);
        any = true;
    }
    return any;
}

void Sheet::wait_for_result()
{
    if (!calculating_.empty())
        cells_.at(calculating_.back()).waiting = true;
}

bool Sheet::calculating_cell_waits() const
{
    return !calculating_.empty() && cells_.at(calculating_.back()).waiting;
}

void Sheet::resume(const std::function<bool(CellAddress)>& ready)
{
    for (auto& [address, cell] : cells_)
        if (cell.waiting && ready(address))
            cell.waiting = false;
}

void Sheet::interrupt_waiting()
{
    for (auto& [address, cell] : cells_) {
        if (!cell.waiting)
            continue;
        cell.waiting = false;
        cell.interrupted = true;
        cell.value = ErrorCode::na;
        cell.dirty = false;
        ++clean_formulas_;
    }
}

void Sheet::calculate_from(CellAddress root, EvalContext& ctx)
{
    // Depth-first over the precedents with an explicit stack: a cell is calculated once all the
    // dirty cells it refers to are, so value() never has to recurse along a chain.
    struct Visit {
        CellAddress at;
        bool expanded;
    };
    std::vector<Visit> stack{{root, false}};
    std::set<CellAddress> on_stack;
    while (!stack.empty()) {
        Visit& top = stack.back();
        auto it = cells_.find(top.at);
        if (it == cells_.end() || !due(it->second)) {
            stack.pop_back();
            continue;
        }
        if (top.expanded) {
            const CellAddress at = top.at;
            stack.pop_back();
            on_stack.erase(at);
            calculate_one(at, ctx);
            continue;
        }
        top.expanded = true;
        on_stack.insert(top.at);
        const std::vector<Ref> precedents = it->second.precedents;
        for (const Ref& r : precedents) {
            for_each_formula_in(r, [&](CellAddress address, const Cell& cell) {
                if (due(cell) && !on_stack.count(address))
                    stack.push_back({address, false});
            });
        }
    }
}

template <class Visit>
void Sheet::for_each_formula_in(const Ref& range, Visit visit)
{
    // Only cells that exist can hold formulas; walk those inside the range.
    for (auto p = cells_.lower_bound({range.first_row, range.first_column}); p != cells_.end() && p->first.row <= range.last_row; ++p)
        if (p->first.column >= range.first_column && p->first.column <= range.last_column && p->second.formula)
            visit(p->first, p->second);
}

std::vector<CellAddress> Sheet::circle_through(CellAddress start)
{
    // Breadth first along the references, each cell remembering the cell that refers to it.
    std::map<CellAddress, CellAddress> referred_from;
    std::deque<CellAddress> queue{start};
    while (!queue.empty()) {
        const CellAddress at = queue.front();
        queue.pop_front();
        std::optional<CellAddress> back;
        for (const Ref& r : cells_.at(at).precedents) {
            for_each_formula_in(r, [&](CellAddress next, const Cell&) {
                if (next == start)
                    back = at;
                else if (referred_from.emplace(next, at).second)
                    queue.push_back(next);
            });
            if (back)
                break;
        }
        if (back) {
            std::vector<CellAddress> circle{*back};
            while (circle.back() != start)
                circle.push_back(referred_from.at(circle.back()));
            std::reverse(circle.begin(), circle.end());
            return circle;
        }
    }
    return {};
}

void Sheet::found_circle(CellAddress at)
{
    if (!tell_circle_)
        return;
    std::vector<CellAddress> circle = circle_through(at);
    if (circle.empty())
        circle.assign(std::find(calculating_.begin(), calculating_.end(), at), calculating_.end());
    if (circle.empty())
        return;
    // The same circle is met again from any of its cells, and at every recalculation.
    std::rotate(circle.begin(), std::min_element(circle.begin(), circle.end()), circle.end());
    if (told_circles_.insert(circle).second)
        tell_circle_(circle);
}

Sheet::Progress Sheet::recalculate(EvalContext& ctx)
{
    for (auto& [address, cell] : cells_) {
        cell.interrupted = false;
        if (cell.formula && !cell.dirty) {
            cell.dirty = true;
            --clean_formulas_;
        }
    }
    return calculate(ctx);
}

std::optional<std::string> Sheet::formula(CellAddress at) const
{
    auto it = cells_.find(at);
    if (it == cells_.end() || !it->second.formula)
        return std::nullopt;
    return it->second.text;
}

bool is_valid_defined_name(std::u16string_view name)
{
    if (name.empty() || name.size() > max_name_length || !is_name_start(name[0]))
        return false;
    for (char16_t c : name)
        if (!is_name_rest(c))
            return false;
    // A name must not read as a cell, in either style, nor as a boolean.
    const std::string ascii = utf16_to_utf8(name);
    const std::string upper = ascii_upper(ascii);
    if (upper == "R" || upper == "C" || upper == "TRUE" || upper == "FALSE")
        return false;
    return !parse_cell_address(ascii) && !parse_r1c1_cell(ascii, CellAddress{});
}

bool Sheet::select(const Ref& range, std::optional<CellAddress> active)
{
    const CellAddress at = active.value_or(CellAddress{range.first_row, range.first_column});
    if (at.row < range.first_row || at.row > range.last_row || at.column < range.first_column || at.column > range.last_column)
        return false;
    selection_ = range;
    active_ = at;
    return true;
}

void Sheet::define_name(const std::string& name, Value refers_to)
{
    const std::string key = ascii_upper(name);
    names_[key] = {name, std::move(refers_to)};
    // Formulas already using the name now depend on what it stands for.
    for (auto& [address, cell] : cells_) {
        if (std::find(cell.names.begin(), cell.names.end(), key) == cell.names.end())
            continue;
        find_precedents(cell);
        mark_dirty(address, cell);
    }
}

std::optional<Value> Sheet::name(std::string_view name) const
{
    auto it = names_.find(ascii_upper(name));
    if (it == names_.end())
        return std::nullopt;
    return it->second.second;
}

std::vector<std::pair<std::string, Value>> Sheet::names() const
{
    std::vector<std::pair<std::string, Value>> out;
    for (const auto& [key, entry] : names_)
        out.push_back(entry);
    return out;
}

void Sheet::define_style(const std::u16string& name)
{
    styles_.try_emplace(ascii_upper(name), name);
}

bool Sheet::has_style(std::u16string_view name) const
{
    return styles_.count(ascii_upper(name)) > 0;
}

void Sheet::apply_style(const Ref& range, std::u16string_view name)
{
    auto it = styles_.find(ascii_upper(name));
    if (it == styles_.end())
        return;
    for (int r = 0; r < range.rows(); ++r)
        for (int c = 0; c < range.columns(); ++c)
            cell_styles_[{range.first_row + r, range.first_column + c}] = it->second;
}

std::u16string Sheet::style(CellAddress at) const
{
    auto it = cell_styles_.find(at);
    return it == cell_styles_.end() ? std::u16string(u"Normal") : it->second;
}

void Sheet::set_alignment(const Ref& range, int horizontal)
{
    for (int r = 0; r < range.rows(); ++r)
        for (int c = 0; c < range.columns(); ++c)
            alignments_[{range.first_row + r, range.first_column + c}] = horizontal;
}

int Sheet::alignment(CellAddress at) const
{
    auto it = alignments_.find(at);
    return it == alignments_.end() ? 1 : it->second;
}

std::optional<CellAddress> Sheet::calculating() const
{
    if (calculating_.empty())
        return std::nullopt;
    return calculating_.back();
}

} // namespace zorvane::host
