#include "host/engine/evaluator.h"

#include "host/engine/builtins.h"
#include "host/engine/coerce.h"
#include "host/engine/errors.h"
#include "host/engine/sheet_limits.h"
#include "host/engine/utf.h"

#include <algorithm>
#include <cmath>
#include <new>

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
            out.set(r, c, op(broadcast_element(a, r, c), broadcast_element(b, r, c)));
    return out;
}

template <class Op>
Value lift1(const Value& a, Op op)
{
    if (!a.is_array())
        return op(a);
    const Array& in = a.array();
    Array out;
    out.rows = in.rows;
    out.columns = in.columns;
    out.reserve(in.size());
    for (const CellView cell : in)
        out.push_back(op(cell.value()));
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

// The arguments from `from` on, evaluated in order.
std::vector<Value> evaluate_arguments(const Node& node, EvalContext& ctx, std::vector<Value> args = {}, std::size_t from = 0)
{
    args.reserve(node.children.size());
    for (std::size_t i = from; i < node.children.size(); ++i)
        args.push_back(evaluate(*node.children[i], ctx));
    return args;
}

bool is_named(const Builtin& builtin, std::string_view name) { return builtin.name == name; }

// IF and CHOOSE give back one of their arguments, IFERROR and IFNA their fallback only for the
// error they catch: when the first argument is no array only what is given back is evaluated, so
// side effects of the others do not happen. An array as the first argument applies the function
// element by element, over every argument.
Value evaluate_selective(const Builtin& builtin, const Node& node, EvalContext& ctx)
{
    std::vector<Value> args{operand(*node.children[0], ctx)};
    const Value& first = args[0];
    if (first.is_array())
        return call_builtin(builtin, ctx, evaluate_arguments(node, ctx, std::move(args), 1));
    if (is_named(builtin, "IFERROR") || is_named(builtin, "IFNA")) {
        const bool caught = first.is_error() && (is_named(builtin, "IFERROR") || first.error() == ErrorCode::na);
        args.push_back(caught ? evaluate(*node.children[1], ctx) : Value(Missing{}));
        return call_builtin(builtin, ctx, std::move(args));
    }
    std::size_t chosen = 0;
    if (is_named(builtin, "IF")) {
        auto b = to_bool(first);
        if (failed(b))
            return std::get<ErrorCode>(b);
        chosen = std::get<bool>(b) ? 1 : 2;
        if (chosen >= node.children.size())
            return std::get<bool>(b);
    } else { // CHOOSE
        auto n = to_number(first);
        if (failed(n))
            return std::get<ErrorCode>(n);
        const double index = std::trunc(std::get<double>(n));
        if (index < 1 || index >= static_cast<double>(node.children.size()))
            return ErrorCode::value;
        chosen = static_cast<std::size_t>(index);
    }
    const Node& argument = *node.children[chosen];
    if (argument.kind == Node::Kind::omitted)
        return 0.0;
    return evaluate(argument, ctx);
}

bool is_selective(const Builtin& builtin)
{
    return is_named(builtin, "IF") || is_named(builtin, "CHOOSE") || is_named(builtin, "IFERROR") || is_named(builtin, "IFNA");
}

// The names a LET formula binds, seen by its later arguments before the names of the sheet; every
// other question goes to the context around it. Lives only while the LET formula is evaluated.
class LetScope final : public EvalContext {
public:
    explicit LetScope(EvalContext& outer) : outer_(outer) {}

    void bind(const std::string& name, Value value) { names_.emplace_back(ascii_upper(name), std::move(value)); }

    Value dereference(const Ref& ref) override { return outer_.dereference(ref); }
    double now() override { return outer_.now(); }
    double random() override { return outer_.random(); }
    Value evaluate_text(std::u16string_view formula) override { return outer_.evaluate_text(formula); }
    std::optional<int> registered_arity(std::string_view name) override { return outer_.registered_arity(name); }
    Value call_registered(std::string_view name, std::vector<Value> args) override { return outer_.call_registered(name, std::move(args)); }
    Value name_value(std::string_view name) override
    {
        const std::string upper = ascii_upper(name);
        for (auto it = names_.rbegin(); it != names_.rend(); ++it) // a later binding of a name wins
            if (it->first == upper)
                return it->second;
        return outer_.name_value(name);
    }

private:
    EvalContext& outer_;
    std::vector<std::pair<std::string, Value>> names_;
};

// LET(name1, value1, [name2, value2, ...], calculation): each value is evaluated once, in order,
// and seen by the values after it and by the calculation under its name. A value that is a
// reference stays one.
Value evaluate_let(const Node& node, EvalContext& ctx)
{
    const std::size_t count = node.children.size();
    if (count % 2 == 0)
        return ErrorCode::value;
    LetScope scope(ctx);
    for (std::size_t i = 0; i + 1 < count; i += 2) {
        const Node& name = *node.children[i];
        if (name.kind != Node::Kind::name)
            return ErrorCode::value;
        scope.bind(name.name, evaluate(*node.children[i + 1], scope));
    }
    return evaluate(*node.children[count - 1], scope);
}

Value evaluate_call(const Node& node, EvalContext& ctx)
{
    if (const Builtin* builtin = find_builtin(node.name)) {
        const int count = static_cast<int>(node.children.size());
        if (count < builtin->min_args || count > builtin->max_args)
            return ErrorCode::value;
        if (is_named(*builtin, "LET"))
            return evaluate_let(node, ctx);
        if (is_selective(*builtin))
            return evaluate_selective(*builtin, node, ctx);
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
        if (node.spill) {
            // A1# is the array A1 holds, as the spreadsheet spills it; a cell that holds no
            // array spills nothing.
            Value values = ctx.dereference(node.ref);
            return values.is_array() ? values : Value(ErrorCode::ref);
        }
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

Value evaluate_formula(const Node& node, EvalContext& ctx)
{
    try {
        return resolve_result(evaluate(node, ctx), ctx);
    } catch (const std::bad_alloc&) {
        return ErrorCode::num;
    }
}

namespace {

class CallChecker {
public:
    CallChecker(EvalContext& ctx, UnknownNames names) : ctx_(ctx), names_(names) {}

    void check(const Node& node)
    {
        const std::string where = "position " + std::to_string(node.position) + ": ";
        if (node.kind == Node::Kind::call && ascii_upper(node.name) == "LET") {
            check_let(node, where);
            return;
        }
        for (const auto& child : node.children)
            check(*child);
        if (node.kind == Node::Kind::name) {
            if (names_ == UnknownNames::reject && !is_local(node.name)) {
                const Value v = ctx_.name_value(node.name);
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
        if (auto arity = ctx_.registered_arity(node.name)) {
            if (count > *arity)
                throw UsageError(where + node.name + " takes at most " + std::to_string(*arity) + " argument" + (*arity == 1 ? "" : "s") +
                                 ", not " + std::to_string(count));
            return;
        }
        throw UsageError(where + "unknown function " + node.name);
    }

private:
    // LET's names are known to the arguments after them, and only there.
    void check_let(const Node& node, const std::string& where)
    {
        const std::size_t count = node.children.size();
        if (count < 3 || count % 2 == 0)
            throw UsageError(where + "LET takes names with their values and a calculation last, not " + std::to_string(count) +
                             " argument" + (count == 1 ? "" : "s"));
        const std::size_t outer = locals_.size();
        for (std::size_t i = 0; i + 1 < count; i += 2) {
            const Node& name = *node.children[i];
            if (name.kind != Node::Kind::name)
                throw UsageError("position " + std::to_string(name.position) + ": LET's argument " + std::to_string(i + 1) +
                                 " must be a name (not a cell, a value or a call)");
            check(*node.children[i + 1]);
            locals_.push_back(ascii_upper(name.name));
        }
        check(*node.children[count - 1]);
        locals_.resize(outer);
    }

    bool is_local(const std::string& name) const
    {
        return std::find(locals_.begin(), locals_.end(), ascii_upper(name)) != locals_.end();
    }

    EvalContext& ctx_;
    UnknownNames names_;
    std::vector<std::string> locals_; // upper case, innermost last
};

} // namespace

void check_calls(const Node& node, EvalContext& ctx, UnknownNames names)
{
    CallChecker(ctx, names).check(node);
}

} // namespace zorvane::host
