// INDEX, ROWS, COLUMNS: taking array results apart; OFFSET and RELREF: references; RANGE.SET and
// RANGE.GET: an array kept in one cell and read back through a reference to it; VLOOKUP, HLOOKUP,
// MATCH and XLOOKUP.
#include "host/engine/builtin_args.h"
#include "host/engine/builtins.h"
#include "host/engine/cell_address.h"
#include "host/engine/utf.h"
#include "host/engine/wildcard.h"
#include "xll/xlcall.h"

#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace zorvane::host {

namespace {

// Function numbers of the C interface that xlcall.h does not name.
constexpr int function_match = 64;
constexpr int function_hlookup = 101;
constexpr int function_vlookup = 102;

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
            out.set(0, c, a.at(row - 1, c));
        return out;
    }
    if (column > 0) { // the whole column
        Array out(a.rows, 1);
        for (int r = 0; r < a.rows; ++r)
            out.set(r, 0, a.at(r, column - 1));
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

// How a lookup matches: exactly (texts without regard to case), with wildcards in a text looked
// up, exactly or else the nearest value of the same kind below or above, or the sorted searches
// of VLOOKUP and MATCH for the last value not above the one looked up in ascending items (or
// not below it in descending ones).
enum class Match { exact, wildcard, exact_or_smaller, exact_or_larger, sorted_at_most, sorted_at_least };
enum class Search { first_to_last, last_to_first, binary_ascending, binary_descending };

bool matches_exactly(const Value& wanted, const Value& item, Match match)
{
    if (match == Match::wildcard && wanted.is_text() && item.is_text())
        return wildcard_match(wanted.text(), item.text());
    return same_value(wanted, item);
}

// Binary search over items sorted ascending (or descending, read from the end): the first item
// not below the one wanted decides.
std::optional<std::size_t> binary_find(const Value& wanted, const std::vector<Value>& items, Match match, bool descending)
{
    const std::size_t n = items.size();
    auto at = [&](std::size_t i) -> const Value& { return items[descending ? n - 1 - i : i]; };
    auto position = [&](std::size_t i) { return descending ? n - 1 - i : i; };
    std::size_t lo = 0;
    std::size_t hi = n;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (compare_values(at(mid), wanted) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo < n && same_value(at(lo), wanted))
        return position(lo);
    if (match == Match::exact_or_smaller && lo > 0 && comparable(at(lo - 1), wanted))
        return position(lo - 1);
    if (match == Match::exact_or_larger && lo < n && comparable(at(lo), wanted))
        return position(lo);
    return std::nullopt;
}

// The position of the value wanted among the items, nullopt when there is none.
std::optional<std::size_t> find_position(const Value& wanted, const std::vector<Value>& items, Match match, Search search)
{
    if (search == Search::binary_ascending || search == Search::binary_descending)
        return binary_find(wanted, items, match, search == Search::binary_descending);
    const std::size_t n = items.size();
    std::optional<std::size_t> best;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = search == Search::last_to_first ? n - 1 - k : k;
        const Value& item = items[i];
        if (match == Match::sorted_at_most || match == Match::sorted_at_least) {
            if (!comparable(item, wanted))
                continue;
            if (compare_values(item, wanted) == (match == Match::sorted_at_most ? 1 : -1))
                break; // the values past the one wanted start here in sorted items
            best = i;
            continue;
        }
        if (matches_exactly(wanted, item, match))
            return i;
        if ((match == Match::exact_or_smaller || match == Match::exact_or_larger) && comparable(item, wanted)) {
            // On the side asked for and nearer than the best so far; of equally near ones the
            // first found stays.
            const int side = match == Match::exact_or_smaller ? -1 : 1;
            if (compare_values(item, wanted) == side && (!best || compare_values(item, items[*best]) == -side))
                best = i;
        }
    }
    return best;
}

// The items of a row or column to search, in order.
std::vector<Value> values_of(const Array& items)
{
    std::vector<Value> out;
    out.reserve(items.size());
    for (const CellView cell : items)
        out.push_back(cell.value());
    return out;
}

// One of a function's numbered modes; any other number is #VALUE!.
template <class Mode, std::size_t N>
Mode mode_arg(std::span<const Value> args, std::size_t i, double fallback, const std::pair<double, Mode> (&modes)[N])
{
    const double wanted = number_arg(args, i, fallback);
    for (const auto& [number, mode] : modes)
        if (number == wanted)
            return mode;
    throw ArgumentError{ErrorCode::value};
}

// VLOOKUP(lookup_value, table_array, col_index_num, [range_lookup]) and HLOOKUP, its twin along
// the first row: TRUE or omitted looks in a first column (row) sorted ascending for the last value
// not above the one looked up; FALSE finds the first equal one, with wildcards for text.
template <bool Vertical>
Value lookup_fn(EvalContext&, std::span<const Value> args)
{
    const Value& wanted = args[0];
    propagate_error(wanted);
    propagate_error(args[1]);
    const Array table = as_array(args[1]);
    const double index = std::trunc(number_arg(args, 2));
    const bool sorted = bool_arg(args, 3, true);
    if (index < 1)
        return ErrorCode::value;
    if (index > (Vertical ? table.columns : table.rows))
        return ErrorCode::ref;
    auto at = [&](int line, int k) -> Value { return Vertical ? table.at(line, k) : table.at(k, line); };
    const int lines = Vertical ? table.rows : table.columns;
    std::vector<Value> first;
    first.reserve(static_cast<std::size_t>(lines));
    for (int line = 0; line < lines; ++line)
        first.push_back(at(line, 0));
    const auto found = find_position(wanted, first, sorted ? Match::sorted_at_most : Match::wildcard, Search::first_to_last);
    if (!found)
        return ErrorCode::na;
    return at(static_cast<int>(*found), static_cast<int>(index) - 1);
}

// MATCH(lookup_value, lookup_array, [match_type]): the position in one row or column of the last
// value not above the one looked up in ascending items (1, the default), of the first equal one
// with wildcards for text (0), or of the last value not below it in descending items (-1).
Value match_fn(EvalContext&, std::span<const Value> args)
{
    const Value& wanted = args[0];
    propagate_error(wanted);
    propagate_error(args[1]);
    const Array items = as_array(args[1]);
    if (items.rows != 1 && items.columns != 1)
        return ErrorCode::na;
    const double type = number_arg(args, 2, 1);
    const Match match = type > 0 ? Match::sorted_at_most : type < 0 ? Match::sorted_at_least : Match::wildcard;
    if (wanted.is_nil())
        return ErrorCode::na; // an empty cell is looked up as nothing
    const auto found = find_position(wanted, values_of(items), match, Search::first_to_last);
    if (!found)
        return ErrorCode::na;
    return static_cast<double>(*found + 1);
}

// XLOOKUP(lookup_value, lookup_array, return_array, [if_not_found], [match_mode], [search_mode]):
// the lookup array is one row or one column; the return array has as many rows (or columns) and
// gives the whole row (or column) found.
Value xlookup_fn(EvalContext&, std::span<const Value> args)
{
    const Value& wanted = args[0];
    propagate_error(wanted);
    propagate_error(args[1]);
    propagate_error(args[2]);
    const Array lookup = as_array(args[1]);
    const Array result = as_array(args[2]);
    static constexpr std::pair<double, Match> match_modes[] = {
        {0, Match::exact}, {-1, Match::exact_or_smaller}, {1, Match::exact_or_larger}, {2, Match::wildcard}};
    static constexpr std::pair<double, Search> search_modes[] = {
        {1, Search::first_to_last}, {-1, Search::last_to_first}, {2, Search::binary_ascending}, {-2, Search::binary_descending}};
    const Match match = mode_arg(args, 4, 0, match_modes);
    const Search search = mode_arg(args, 5, 1, search_modes);

    const bool in_column = lookup.columns == 1;
    if (!in_column && lookup.rows != 1)
        return ErrorCode::value;
    if (in_column ? result.rows != lookup.rows : result.columns != lookup.columns)
        return ErrorCode::value;
    const auto found = find_position(wanted, values_of(lookup), match, search);
    if (!found)
        return given(args, 3) ? args[3] : Value(ErrorCode::na);
    const int at = static_cast<int>(*found);
    if (in_column ? result.columns == 1 : result.rows == 1)
        return in_column ? result.at(at, 0) : result.at(0, at);
    Array out(in_column ? 1 : result.rows, in_column ? result.columns : 1);
    for (int r = 0; r < out.rows; ++r)
        for (int c = 0; c < out.columns; ++c)
            out.set(r, c, in_column ? result.at(at, c) : result.at(r, at));
    return out;
}

const Builtin builtins[] = {
    {"INDEX", xlfIndex, 2, 3, "ass", index_fn},
    {"ROWS", xlfRows, 1, 1, "r", dimension_fn<true>},
    {"COLUMNS", xlfColumns, 1, 1, "r", dimension_fn<false>},
    {"OFFSET", xlfOffset, 3, 5, "ks", offset_fn},
    {"RELREF", xlfRelref, 2, 2, "k", relref_fn},
    {"RANGE.SET", formula_only, 1, 1, "a", range_fn},
    {"RANGE.GET", formula_only, 1, 1, "a", range_fn},
    {"VLOOKUP", function_vlookup, 3, 4, "sas", lookup_fn<true>},
    {"HLOOKUP", function_hlookup, 3, 4, "sas", lookup_fn<false>},
    {"MATCH", function_match, 2, 3, "sas", match_fn},
    {"XLOOKUP", formula_only, 3, 6, "saaass", xlookup_fn},
};

} // namespace

std::span<const Builtin> lookup_builtins()
{
    return builtins;
}

} // namespace zorvane::host
