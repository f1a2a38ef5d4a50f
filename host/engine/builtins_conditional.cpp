// SUMIF, COUNTIF, AVERAGEIF and their kin with several conditions, SUMIFS, COUNTIFS and
// AVERAGEIFS: the cells of one range that meet conditions on the cells in the same places of
// others. Criteria read as criteria.h tells.
#include "host/engine/builtin_args.h"
#include "host/engine/builtins.h"
#include "host/engine/criteria.h"

#include <algorithm>
#include <vector>

namespace zorvane::host {

namespace {

// Function numbers of the C interface that xlcall.h does not name.
constexpr int function_sumif = 345;
constexpr int function_countif = 346;
constexpr int function_countifs = 481;
constexpr int function_sumifs = 482;
constexpr int function_averageif = 483;
constexpr int function_averageifs = 484;

// The cells of a range argument: a reference's cells, an array (also one a cell holds), or one
// value.
Array cells_of(EvalContext& ctx, const Value& arg)
{
    if (arg.is_ref())
        return as_array(range_values(ctx, arg.ref()));
    propagate_error(arg);
    return as_array(arg);
}

// SUMIF's sum range and AVERAGEIF's average range are only a starting point: a reference to cells
// takes the shape of the range tested, as the spreadsheet does, so a single cell stands for a
// block as large as the range. An array (a cell holding one) pairs with the range element by
// element. Omitted, the range tested gives the values itself.
Array values_beside(EvalContext& ctx, std::span<const Value> args, std::size_t i, const Array& range)
{
    if (!given(args, i))
        return range;
    if (!args[i].is_ref())
        return cells_of(ctx, args[i]);
    const Ref& from = args[i].ref();
    const Ref sized{from.first_row, from.first_column, std::min(from.first_row + range.rows, max_rows) - 1,
                    std::min(from.first_column + range.columns, max_columns) - 1};
    return cells_of(ctx, sized);
}

// The numbers among the values where the cell in the same place matches: texts, booleans and
// blanks are left out, an error is the result. Places beyond either block are not paired.
struct Tally {
    double sum = 0;
    double count = 0;
};

template <class Matches>
Tally tally(const Array& values, int rows, int columns, Matches matches)
{
    Tally t;
    for (int r = 0; r < rows && r < values.rows; ++r) {
        for (int c = 0; c < columns && c < values.columns; ++c) {
            if (!matches(r, c))
                continue;
            const Value& cell = values.at(r, c);
            propagate_error(cell);
            if (cell.is_number()) {
                t.sum += cell.number();
                ++t.count;
            }
        }
    }
    return t;
}

Value average_of(const Tally& t)
{
    if (t.count == 0)
        return ErrorCode::div0;
    return finite(t.sum / t.count);
}

Value countif_fn(EvalContext& ctx, std::span<const Value> args)
{
    const Array range = cells_of(ctx, args[0]);
    const Criterion criterion(args[1]);
    return static_cast<double>(std::count_if(range.begin(), range.end(), [&](const Value& c) { return criterion.matches(c); }));
}

// SUMIF(range, criteria, [sum_range]) and AVERAGEIF(range, criteria, [average_range]).
template <bool Average>
Value one_condition_fn(EvalContext& ctx, std::span<const Value> args)
{
    const Array range = cells_of(ctx, args[0]);
    const Criterion criterion(args[1]);
    const Array values = values_beside(ctx, args, 2, range);
    const Tally t = tally(values, range.rows, range.columns, [&](int r, int c) { return criterion.matches(range.at(r, c)); });
    return Average ? average_of(t) : finite(t.sum);
}

// The pairs of criteria range and criterion of SUMIFS, COUNTIFS and AVERAGEIFS from argument
// `first` on. Every range has the shape of the first (#VALUE! otherwise, as for a criterion
// missing its range), and a place matches when every criterion matches its range's cell there.
class Conditions {
public:
    Conditions(EvalContext& ctx, std::span<const Value> args, std::size_t first)
    {
        if (args.size() <= first || (args.size() - first) % 2 != 0)
            throw ArgumentError{ErrorCode::value};
        for (std::size_t i = first; i < args.size(); i += 2) {
            ranges_.push_back(cells_of(ctx, args[i]));
            criteria_.emplace_back(args[i + 1]);
            if (ranges_.back().rows != rows() || ranges_.back().columns != columns())
                throw ArgumentError{ErrorCode::value};
        }
    }

    int rows() const { return ranges_.front().rows; }
    int columns() const { return ranges_.front().columns; }
    bool match(int r, int c) const
    {
        for (std::size_t k = 0; k < ranges_.size(); ++k)
            if (!criteria_[k].matches(ranges_[k].at(r, c)))
                return false;
        return true;
    }

private:
    std::vector<Array> ranges_;
    std::vector<Criterion> criteria_;
};

Value countifs_fn(EvalContext& ctx, std::span<const Value> args)
{
    const Conditions conditions(ctx, args, 0);
    double count = 0;
    for (int r = 0; r < conditions.rows(); ++r)
        for (int c = 0; c < conditions.columns(); ++c)
            count += conditions.match(r, c) ? 1 : 0;
    return count;
}

// SUMIFS(sum_range, criteria_range1, criteria1, ...) and AVERAGEIFS(average_range, ...): the
// range of values has the shape of the criteria ranges.
template <bool Average>
Value conditions_fn(EvalContext& ctx, std::span<const Value> args)
{
    const Array values = cells_of(ctx, args[0]);
    const Conditions conditions(ctx, args, 1);
    if (values.rows != conditions.rows() || values.columns != conditions.columns())
        return ErrorCode::value;
    const Tally t = tally(values, values.rows, values.columns, [&](int r, int c) { return conditions.match(r, c); });
    return Average ? average_of(t) : finite(t.sum);
}

const Builtin builtins[] = {
    {"SUMIF", function_sumif, 2, 3, "rsr", one_condition_fn<false>},
    {"COUNTIF", function_countif, 2, 2, "rs", countif_fn},
    {"AVERAGEIF", function_averageif, 2, 3, "rsr", one_condition_fn<true>},
    {"SUMIFS", function_sumifs, 3, max_builtin_args, "r|rs", conditions_fn<false>},
    {"COUNTIFS", function_countifs, 2, max_builtin_args, "|rs", countifs_fn},
    {"AVERAGEIFS", function_averageifs, 3, max_builtin_args, "r|rs", conditions_fn<true>},
};

} // namespace

std::span<const Builtin> conditional_builtins()
{
    return builtins;
}

} // namespace zorvane::host
