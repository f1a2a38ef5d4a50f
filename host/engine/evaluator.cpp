#include "host/engine/evaluator.h"

#include "host/engine/builtins.h"
#include "host/engine/coerce.h"
#include "host/engine/errors.h"
#include "host/engine/sheet_limits.h"
#include "xll/xlcall.h"

#include <algorithm>
#include <cmath>

namespace zorvane::host {

namespace {

Value operand(const Node& node, EvalContext& ctx)
{
    Value v = evaluate(node, ctx);
    if (v.is_ref())
        v = ctx.dereference(v.ref());
    return v;
}

// Applies a scalar operation element by element when either side is an array.
template <class Op>
Value lift2(const Value& a, const Value& b, Op op)
{
    if (!a.is_array() && !b.is_array())
        return op(a, b);
    const int rows = std::max(a.is_array() ? a.array().rows : 1, b.is_array() ? b.array().rows : 1);
    const int columns = std::max(a.is_array() ? a.array().columns : 1, b.is_array() ? b.array().columns : 1);
    if (static_cast<long long>(rows) * columns > max_range_cells)
        return ErrorCode::num;
    Array out(rows, columns);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            out.at(r, c) = op(broadcast_element(a, r, c), broadcast_element(b, r, c));
    return out;
}

template <class Op>
Value lift1(const Value& a, Op op)
{
    if (!a.is_array())
        return op(a);
    Array out = a.array();
    for (auto& cell : out.cells)
        cell = op(cell);
    return out;
}

Value number_result(double x)
{
    if (!std::isfinite(x))
        return ErrorCode::num;
    return x;
}

Value arithmetic(const std::string& op, const Value& a, const Value& b)
{
    auto x = to_number(a);
    if (failed(x))
        return std::get<ErrorCode>(x);
    auto y = to_number(b);
    if (failed(y))
        return std::get<ErrorCode>(y);
    const double l = std::get<double>(x);
    const double r = std::get<double>(y);
    switch (op[0]) {
    case '+':
        return number_result(l + r);
    case '-':
        return number_result(l - r);
    case '*':
        return number_result(l * r);
    case '/':
        if (r == 0)
            return ErrorCode::div0;
        return number_result(l / r);
    default: // '^'
        if (l == 0 && r == 0)
            return ErrorCode::num;
        if (l == 0 && r < 0)
            return ErrorCode::div0;
        return number_result(std::pow(l, r));
    }
}

Value concatenation(const Value& a, const Value& b)
{
    auto x = to_text(a);
    if (failed(x))
        return std::get<ErrorCode>(x);
    auto y = to_text(b);
    if (failed(y))
        return std::get<ErrorCode>(y);
    std::u16string out = std::get<std::u16string>(x) + std::get<std::u16string>(y);
    if (out.size() > max_text_length)
        return ErrorCode::value;
    return out;
}

Value comparison(const std::string& op, const Value& a, const Value& b)
{
    if (a.is_error())
        return a;
    if (b.is_error())
        return b;
    const int c = compare_values(a, b);
    if (op == "=")
        return c == 0;
    if (op == "<>")
        return c != 0;
    if (op == "<")
        return c < 0;
    if (op == ">")
        return c > 0;
    if (op == "<=")
        return c <= 0;
    return c >= 0;
}

Value apply_operator(const std::string& op, const Value& a, const Value& b)
{
    if (op == "&")
        return lift2(a, b, concatenation);
    if (op == "+" || op == "-" || op == "*" || op == "/" || op == "^")
        return lift2(a, b, [&](const Value& x, const Value& y) { return arithmetic(op, x, y); });
    return lift2(a, b, [&](const Value& x, const Value& y) { return comparison(op, x, y); });
}

Value evaluate_binary(const Node& node, EvalContext& ctx)
{
    Value result = operand(*node.children[0], ctx);
    for (std::size_t i = 1; i < node.children.size(); ++i)
        result = apply_operator(node.ops[i - 1], result, operand(*node.children[i], ctx));
    return result;
}

Value evaluate_unary(const Node& node, EvalContext& ctx)
{
    const Value a = operand(*node.children[0], ctx);
    return lift1(a, [&](const Value& x) -> Value {
        auto n = to_number(x);
        if (failed(n))
            return std::get<ErrorCode>(n);
        const double v = std::get<double>(n);
        if (node.op == "-")
            return -v;
        if (node.op == "%")
            return v / 100.0;
        return v;
    });
}

std::vector<Value> evaluate_arguments(const Node& node, EvalContext& ctx)
{
    std::vector<Value> args;
    args.reserve(node.children.size());
    for (const auto& child : node.children)
        args.push_back(evaluate(*child, ctx));
    return args;
}

Value evaluate_call(const Node& node, EvalContext& ctx)
{
    if (const Builtin* builtin = find_builtin(node.name)) {
        const int count = static_cast<int>(node.children.size());
        if (count < builtin->min_args || count > builtin->max_args)
            return ErrorCode::value;
        if (builtin->number == xlfIf) {
            // Only the chosen branch runs, so side effects in the other do not happen.
            Value condition = operand(*node.children[0], ctx);
            if (!condition.is_array()) {
                auto b = to_bool(condition);
                if (failed(b))
                    return std::get<ErrorCode>(b);
                const std::size_t branch = std::get<bool>(b) ? 1 : 2;
                if (branch >= node.children.size())
                    return std::get<bool>(b);
                const Node& chosen = *node.children[branch];
                if (chosen.kind == Node::Kind::omitted)
                    return 0.0;
                return evaluate(chosen, ctx);
            }
        }
        if (builtin->name == "IFERROR") {
            // The fallback runs only for an error, as IF runs only its chosen branch.
            std::vector<Value> args;
            args.push_back(operand(*node.children[0], ctx));
            const bool needed = args[0].is_array() || args[0].is_error();
            args.push_back(needed ? evaluate(*node.children[1], ctx) : Value(Missing{}));
            return call_builtin(*builtin, ctx, std::move(args));
        }
        return call_builtin(*builtin, ctx, evaluate_arguments(node, ctx));
    }
    if (ctx.registered_arity(node.name))
        return ctx.call_registered(node.name, evaluate_arguments(node, ctx));
    return ErrorCode::name;
}

} // namespace

Value evaluate(const Node& node, EvalContext& ctx)
{
    switch (node.kind) {
    case Node::Kind::constant:
        return node.value;
    case Node::Kind::reference:
        return node.ref;
    case Node::Kind::omitted:
        return Missing{};
    case Node::Kind::unary:
        return evaluate_unary(node, ctx);
    case Node::Kind::binary:
        return evaluate_binary(node, ctx);
    case Node::Kind::call:
        return evaluate_call(node, ctx);
    case Node::Kind::name:
        return ctx.name_value(node.name);
    }
    return ErrorCode::value;
}

Value resolve_result(Value value, EvalContext& ctx)
{
    if (value.is_ref())
        value = ctx.dereference(value.ref());
    return plain(std::move(value));
}

void check_calls(const Node& node, EvalContext& ctx, UnknownNames names)
{
    for (const auto& child : node.children)
        check_calls(*child, ctx, names);
    const std::string where = "position " + std::to_string(node.position) + ": ";
    if (node.kind == Node::Kind::name) {
        if (names == UnknownNames::reject) {
            const Value v = ctx.name_value(node.name);
            if (v.is_error() && v.error() == ErrorCode::name)
                throw UsageError(where + "unknown name '" + node.name + "'");
        }
        return;
    }
    if (node.kind != Node::Kind::call)
        return;
    const int count = static_cast<int>(node.children.size());
    if (const Builtin* builtin = find_builtin(node.name)) {
        if (count < builtin->min_args || count > builtin->max_args) {
            std::string takes = builtin->min_args == builtin->max_args ? std::to_string(builtin->min_args)
                                : builtin->max_args == max_builtin_args
                                    ? "at least " + std::to_string(builtin->min_args)
                                    : std::to_string(builtin->min_args) + " to " + std::to_string(builtin->max_args);
            throw UsageError(where + std::string(builtin->name) + " takes " + takes + " argument" +
                             (takes == "1" ? "" : "s") + ", not " + std::to_string(count));
        }
        return;
    }
    if (auto arity = ctx.registered_arity(node.name)) {
        if (count > *arity)
            throw UsageError(where + node.name + " takes at most " + std::to_string(*arity) + " argument" + (*arity == 1 ? "" : "s") +
                             ", not " + std::to_string(count));
        return;
    }
    throw UsageError(where + "unknown function " + node.name);
}

} // namespace zorvane::host
