#include "host/sheet.h"

#include "host/evaluator.h"

#include <algorithm>

namespace zorvane::host {

namespace {

void collect_references(const Node& node, std::vector<Ref>& out)
{
    if (node.kind == Node::Kind::reference)
        out.push_back(node.ref);
    for (const auto& child : node.children)
        collect_references(*child, out);
}

bool contains(const Ref& r, CellAddress at)
{
    return at.row >= r.first_row && at.row <= r.last_row && at.column >= r.first_column && at.column <= r.last_column;
}

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
    cell.value = std::move(value);
    cell.text.clear();
    cell.formula.reset();
    cell.precedents.clear();
    cell.dirty = false;
    mark_dependents(at);
}

void Sheet::set_formula(CellAddress at, std::string text, std::shared_ptr<const Node> formula)
{
    Cell& cell = entry(at);
    cell.text = std::move(text);
    cell.precedents.clear();
    collect_references(*formula, cell.precedents);
    cell.formula = std::move(formula);
    cell.dirty = true;
    mark_dependents(at);
}

void Sheet::mark_dependents(CellAddress changed)
{
    std::vector<CellAddress> work{changed};
    while (!work.empty()) {
        const CellAddress at = work.back();
        work.pop_back();
        for (auto& [address, cell] : cells_) {
            if (cell.dirty || !cell.formula)
                continue;
            if (std::any_of(cell.precedents.begin(), cell.precedents.end(), [&](const Ref& r) { return contains(r, at); })) {
                cell.dirty = true;
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
    if (cell.in_progress)
        return ErrorCode::ref;
    if (cell.dirty && cell.formula) {
        cell.in_progress = true;
        calculating_.push_back(at);
        Value result;
        try {
            result = resolve_result(evaluate(*cell.formula, ctx), ctx);
        } catch (...) {
            calculating_.pop_back();
            cell.in_progress = false;
            throw;
        }
        calculating_.pop_back();
        // The map does not move its elements, so `cell` is still this cell.
        cell.in_progress = false;
        cell.value = std::move(result);
        cell.dirty = false;
    }
    return cell.value;
}

Value Sheet::range_value(const Ref& ref, EvalContext& ctx)
{
    if (ref.rows() == 1 && ref.columns() == 1)
        return value({ref.first_row, ref.first_column}, ctx);
    Array array(ref.rows(), ref.columns());
    for (int r = 0; r < ref.rows(); ++r)
        for (int c = 0; c < ref.columns(); ++c)
            array.at(r, c) = first_element(value({ref.first_row + r, ref.first_column + c}, ctx));
    return array;
}

void Sheet::calculate(EvalContext& ctx)
{
    std::vector<std::pair<std::size_t, CellAddress>> order;
    for (const auto& [address, cell] : cells_)
        if (cell.dirty)
            order.emplace_back(cell.order, address);
    std::sort(order.begin(), order.end());
    for (const auto& [index, address] : order)
        value(address, ctx);
}

void Sheet::recalculate(EvalContext& ctx)
{
    for (auto& [address, cell] : cells_)
        if (cell.formula)
            cell.dirty = true;
    calculate(ctx);
}

std::optional<std::string> Sheet::formula(CellAddress at) const
{
    auto it = cells_.find(at);
    if (it == cells_.end() || !it->second.formula)
        return std::nullopt;
    return it->second.text;
}

std::optional<CellAddress> Sheet::calculating() const
{
    if (calculating_.empty())
        return std::nullopt;
    return calculating_.back();
}

} // namespace zorvane::host
