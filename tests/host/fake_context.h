// A context for evaluating formulas without a host session: a few cells, a fixed clock, and no
// registered functions.
#pragma once

#include "host/engine/cell_address.h"
#include "host/engine/eval_context.h"
#include "host/engine/evaluator.h"
#include "host/engine/formula_parser.h"

#include <initializer_list>
#include <map>

namespace zorvane::host::test {

class FakeContext : public EvalContext {
public:
    std::map<CellAddress, Value> cells;
    double clock = 41790.75;

    Value dereference(const Ref& ref) override
    {
        auto cell = [&](int r, int c) {
            auto it = cells.find({r, c});
            return it == cells.end() ? Value(Nil{}) : it->second;
        };
        if (ref.rows() == 1 && ref.columns() == 1)
            return cell(ref.first_row, ref.first_column);
        Array a(ref.rows(), ref.columns());
        for (int r = 0; r < ref.rows(); ++r)
            for (int c = 0; c < ref.columns(); ++c)
                a.set(r, c, cell(ref.first_row + r, ref.first_column + c));
        return a;
    }
    double now() override { return clock; }
    double random() override { return 0.25; }
    Value evaluate_text(std::u16string_view formula) override { return resolve_result(evaluate(*parse_formula(formula), *this), *this); }
    std::optional<int> registered_arity(std::string_view) override { return std::nullopt; }
    Value call_registered(std::string_view, std::vector<Value>) override { return ErrorCode::name; }

    // Fills the cells from the one named on, row by row, as a sheet's table would be typed in.
    void put(std::string_view top_left, std::initializer_list<std::initializer_list<Value>> rows)
    {
        CellAddress at = *parse_cell_address(top_left);
        for (const auto& row : rows) {
            int column = at.column;
            for (const auto& value : row)
                cells[{at.row, column++}] = value;
            ++at.row;
        }
    }

    // Parses, checks and evaluates like a cell would.
    Value eval(std::string_view formula)
    {
        auto ast = parse_formula(formula);
        check_calls(*ast, *this);
        return resolve_result(evaluate(*ast, *this), *this);
    }
};

} // namespace zorvane::host::test
