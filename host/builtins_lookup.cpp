// INDEX, ROWS, COLUMNS: taking array results apart; OFFSET and RELREF: references; RANGE.SET and
// RANGE.GET: an array kept in one cell and read back through a reference to it.
#include "host/builtin_args.h"
#include "host/builtins.h"
#include "host/cell_address.h"
#include "host/utf.h"
#include "xll/xlcall.h"

#include <cmath>

namespace zorvane::host {

namespace {

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

const Ref& reference_arg(std::span<const Value> args, std::size_t i)
{
    propagate_error(args[i]);
    if (!args[i].is_ref())
        throw ArgumentError{ErrorCode::value};
    return args[i].ref();
}

// OFFSET(reference, rows, columns, [height], [width]): a reference moved and sized; #REF! off the
// sheet or for a height or width below 1.
Value offset_fn(EvalContext&, std::span<const Value> args)
{
    const Ref& from = reference_arg(args, 0);
    const double top = from.first_row + std::trunc(number_arg(args, 1));
    const double left = from.first_column + std::trunc(number_arg(args, 2));
    const double height = given(args, 3) ? std::trunc(number_arg(args, 3)) : from.rows();
    const double width = given(args, 4) ? std::trunc(number_arg(args, 4)) : from.columns();
    if (height < 1 || width < 1 || top < 0 || left < 0 || top + height > max_rows || left + width > max_columns)
        return ErrorCode::ref;
    return Ref{static_cast<int>(top), static_cast<int>(left), static_cast<int>(top + height - 1), static_cast<int>(left + width - 1)};
}

// RELREF(reference, relative_to): the reference as relative R1C1 text against the other's
// top-left cell.
Value relref_fn(EvalContext&, std::span<const Value> args)
{
    const Ref& ref = reference_arg(args, 0);
    const Ref& base = reference_arg(args, 1);
    return utf8_to_utf16(relative_reference_text(ref, {base.first_row, base.first_column}));
}

// The cell holding RANGE.SET(values) shows the values; RANGE.GET of a reference to that cell
// gives them back whole.
Value range_fn(EvalContext&, std::span<const Value> args) { return args[0]; }

const Builtin builtins[] = {
    {"INDEX", xlfIndex, 2, 3, "ass", index_fn},
    {"ROWS", xlfRows, 1, 1, "r", dimension_fn<true>},
    {"COLUMNS", xlfColumns, 1, 1, "r", dimension_fn<false>},
    {"OFFSET", xlfOffset, 3, 5, "rs", offset_fn},
    {"RELREF", xlfRelref, 2, 2, "r", relref_fn},
    {"RANGE.SET", formula_only, 1, 1, "a", range_fn},
    {"RANGE.GET", formula_only, 1, 1, "a", range_fn},
};

} // namespace

std::span<const Builtin> lookup_builtins()
{
    return builtins;
}

} // namespace zorvane::host
