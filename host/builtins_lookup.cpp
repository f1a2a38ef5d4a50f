// INDEX, ROWS, COLUMNS: taking array results apart.
#include "host/builtin_args.h"
#include "host/builtins.h"
#include "xll/xlcall.h"

#include <cmath>

namespace zorvane::host {

namespace {

Array as_array(const Value& v)
{
    if (v.is_array())
        return v.array();
    Array single(1, 1);
    single.at(0, 0) = v;
    return single;
}

int index_arg(std::span<const Value> args, std::size_t i)
{
    const double n = std::trunc(number_arg(args, i));
    if (n < 0)
        throw ArgumentError{ErrorCode::value};
    if (n > 1e7)
        throw ArgumentError{ErrorCode::ref};
    return static_cast<int>(n);
}

Value index_fn(EvalContext&, std::span<const Value> args)
{
    propagate_error(args[0]);
    const Array a = as_array(args[0]);
    int row = index_arg(args, 1);
    int column = given(args, 2) ? index_arg(args, 2) : 0;
    // A single row indexed by one number is indexed along its columns.
    if (a.rows == 1 && !given(args, 2) && args.size() < 3) {
        column = row;
        row = 1;
    } else if (!given(args, 2) && a.columns == 1) {
        column = 1;
    }
    if (row > a.rows || column > a.columns)
        return ErrorCode::ref;
    if (row > 0 && column > 0)
        return a.at(row - 1, column - 1);
    if (row > 0) { // the whole row
        Array out(1, a.columns);
        for (int c = 0; c < a.columns; ++c)
            out.at(0, c) = a.at(row - 1, c);
        return out;
    }
    if (column > 0) { // the whole column
        Array out(a.rows, 1);
        for (int r = 0; r < a.rows; ++r)
            out.at(r, 0) = a.at(r, column - 1);
        return out;
    }
    return a;
}

template <bool Rows>
Value dimension_fn(EvalContext&, std::span<const Value> args)
{
    const Value& v = args[0];
    if (v.is_ref())
        return Rows ? v.ref().rows() : v.ref().columns();
    if (v.is_array())
        return Rows ? v.array().rows : v.array().columns;
    propagate_error(v);
    return 1;
}

const Builtin builtins[] = {
    {"INDEX", xlfIndex, 2, 3, "ass", index_fn},
    {"ROWS", xlfRows, 1, 1, "r", dimension_fn<true>},
    {"COLUMNS", xlfColumns, 1, 1, "r", dimension_fn<false>},
};

} // namespace

std::span<const Builtin> lookup_builtins()
{
    return builtins;
}

} // namespace zorvane::host
