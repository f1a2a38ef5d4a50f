// Argument reading shared by the built-in implementations. A conversion that fails throws
// ArgumentError, which call_builtin turns into the function's error result, so each
// implementation reads like the function's definition.
#pragma once

#include "host/engine/coerce.h"
#include "host/engine/eval_context.h"
#include "host/engine/value.h"

#include <cmath>
#include <span>
#include <string>
#include <utility>

namespace zorvane::host {

struct ArgumentError {
    ErrorCode code;
};

inline bool given(std::span<const Value> args, std::size_t i)
{
    return i < args.size() && !args[i].is_missing();
}

inline double number_arg(std::span<const Value> args, std::size_t i, double fallback = 0.0)
{
    if (!given(args, i))
        return fallback;
    auto n = to_number(args[i]);
    if (failed(n))
        throw ArgumentError{std::get<ErrorCode>(n)};
    return std::get<double>(n);
}

inline std::u16string text_value(const Value& v)
{
    auto t = to_text(v);
    if (failed(t))
        throw ArgumentError{std::get<ErrorCode>(t)};
    return std::get<std::u16string>(std::move(t));
}

inline std::u16string text_arg(std::span<const Value> args, std::size_t i, std::u16string fallback = {})
{
    if (!given(args, i))
        return fallback;
    return text_value(args[i]);
}

inline bool bool_arg(std::span<const Value> args, std::size_t i, bool fallback = false)
{
    if (!given(args, i))
        return fallback;
    auto b = to_bool(args[i]);
    if (failed(b))
        throw ArgumentError{std::get<ErrorCode>(b)};
    return std::get<bool>(b);
}

// An argument taken whole as a block of values: a single value is a block of one.
inline Array as_array(Value v)
{
    if (v.is_array())
        return std::move(v.array());
    Array single(1, 1);
    single.set(0, 0, v);
    return single;
}

// The values of a reference's cells. One cell's value is data even when it is an error; a range
// answers an error only when it cannot be taken as values at all (too large), and that error is
// the result, for COUNT too, rather than a count of nothing.
inline Value range_values(EvalContext& ctx, const Ref& ref)
{
    Value values = ctx.dereference(ref);
    if (values.is_error() && (ref.rows() > 1 || ref.columns() > 1))
        throw ArgumentError{values.error()};
    return values;
}

// A number result; infinity and NaN are no cell value.
inline Value finite(double x)
{
    if (!std::isfinite(x))
        return ErrorCode::num;
    return x;
}

// Errors in the argument pass through unchanged.
inline void propagate_error(const Value& v)
{
    if (v.is_error())
        throw ArgumentError{v.error()};
}

} // namespace zorvane::host
