#include "host/engine/builtins.h"

#include "host/engine/builtin_args.h"
#include "host/engine/utf.h"

#include <algorithm>

namespace zorvane::host {

namespace {

const std::vector<Builtin>& table()
{
    static const std::vector<Builtin> all = [] {
        std::vector<Builtin> out;
        for (auto part : {date_builtins(), text_builtins(), info_builtins(), math_builtins(), conditional_builtins(), lookup_builtins(),
                          array_builtins()})
            out.insert(out.end(), part.begin(), part.end());
        return out;
    }();
    return all;
}

char param_kind(const Builtin& b, std::size_t index)
{
    if (b.params.empty())
        return 's';
    const auto bar = b.params.find('|');
    if (bar == std::string_view::npos)
        return b.params[std::min(index, b.params.size() - 1)];
    if (index < bar)
        return b.params[index];
    const std::size_t group = b.params.size() - bar - 1;
    return b.params[bar + 1 + (index - bar) % group];
}

// The one place where a built-in's argument that is a reference becomes values. A reference to
// one cell holding an array (a query's result, FILTER's) stands for that array for every
// built-in, as the cell shows it: ROWS counts its rows, SUMIF pairs its elements with those of
// the sum range. Only OFFSET and RELREF keep such a reference, to the cell itself.
Value argument_value(Value arg, char kind, EvalContext& ctx)
{
    if (!arg.is_ref() || kind == 'k')
        return arg;
    const Ref& ref = arg.ref();
    if (kind == 'r' && (ref.rows() > 1 || ref.columns() > 1))
        return arg;
    Value values = ctx.dereference(ref);
    if (kind == 'r' && !values.is_array())
        return arg;
    return values;
}

Value apply(const Builtin& builtin, EvalContext& ctx, std::span<const Value> args)
{
    try {
        return builtin.impl(ctx, args);
    } catch (const ArgumentError& e) {
        return e.code;
    }
}

} // namespace

std::span<const Builtin> all_builtins()
{
    return table();
}

const Builtin* find_builtin(std::string_view name)
{
    const std::string upper = ascii_upper(name);
    for (const auto& b : table())
        if (b.name == upper)
            return &b;
    return nullptr;
}

const Builtin* find_builtin_number(int number)
{
    if (number < 0)
        return nullptr;
    for (const auto& b : table())
        if (b.number == number)
            return &b;
    return nullptr;
}

Value call_builtin(const Builtin& builtin, EvalContext& ctx, std::vector<Value> args)
{
    int rows = 0;
    int columns = 0;
    bool lift = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const char kind = param_kind(builtin, i);
        args[i] = argument_value(std::move(args[i]), kind, ctx);
        if (kind == 's' && args[i].is_array()) {
            const Array& a = args[i].array();
            if (a.rows == 0 || a.columns == 0)
                return ErrorCode::value;
            if (a.rows == 1 && a.columns == 1) {
                Value single = a.front();
                args[i] = std::move(single);
                continue;
            }
            lift = true;
            rows = std::max(rows, a.rows);
            columns = std::max(columns, a.columns);
        }
    }
    if (!lift)
        return apply(builtin, ctx, args);
    if (static_cast<long long>(rows) * columns > max_range_cells)
        return ErrorCode::num;
    Array result(rows, columns);
    // Arguments taken whole are the same for every element: copied once, not once per element.
    std::vector<Value> element_args(args.size());
    for (std::size_t i = 0; i < args.size(); ++i)
        if (param_kind(builtin, i) != 's')
            element_args[i] = args[i];
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            for (std::size_t i = 0; i < args.size(); ++i)
                if (param_kind(builtin, i) == 's')
                    element_args[i] = broadcast_element(args[i], r, c);
            Value v = apply(builtin, ctx, element_args);
            result.set(r, c, v.is_array() ? first_element(v) : std::move(v));
        }
    }
    return result;
}

} // namespace zorvane::host
