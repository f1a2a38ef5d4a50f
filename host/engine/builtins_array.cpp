// FILTER, SORT and UNIQUE: functions whose result is a block of values of its own size. A cell
// shows such a block whole, and other formulas take it like any array.
#include "host/engine/builtin_args.h"
#include "host/engine/builtins.h"
#include "host/engine/utf.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace zorvane::host {

namespace {

// The rows (or with by_col the columns) of a block, picked and ordered by their indices.
Array pick_lines(const Array& data, const std::vector<int>& lines, bool by_col)
{
    const int count = static_cast<int>(lines.size());
    Array out(by_col ? data.rows : count, by_col ? count : data.columns);
    for (int k = 0; k < count; ++k) {
        if (by_col) {
            for (int r = 0; r < data.rows; ++r)
                out.set(r, k, data.at(r, lines[static_cast<std::size_t>(k)]));
        } else {
            for (int c = 0; c < data.columns; ++c)
                out.set(k, c, data.at(lines[static_cast<std::size_t>(k)], c));
        }
    }
    return out;
}

// FILTER(array, include, [if_empty]): include is a column as tall as the array (to keep rows) or
// a row as wide (to keep columns); with nothing kept the result is if_empty, or #CALC!.
Value filter_fn(EvalContext&, std::span<const Value> args)
{
    propagate_error(args[0]);
    propagate_error(args[1]);
    const Array data = as_array(args[0]);
    const Array include = as_array(args[1]);
    bool by_col = false;
    if (include.columns == 1 && include.rows == data.rows)
        by_col = false;
    else if (include.rows == 1 && include.columns == data.columns)
        by_col = true;
    else
        return ErrorCode::value;
    std::vector<int> kept;
    for (int i = 0; i < static_cast<int>(include.size()); ++i) {
        const Value flag = include.cell(static_cast<std::size_t>(i)).value();
        propagate_error(flag);
        if (flag.is_text())
            return ErrorCode::value;
        if ((flag.is_number() && flag.number() != 0) || (flag.is_bool() && flag.boolean()))
            kept.push_back(i);
    }
    if (kept.empty())
        return given(args, 2) ? args[2] : Value(ErrorCode::calc);
    return pick_lines(data, kept, by_col);
}

// The order SORT puts values in: numbers, texts (without regard to case), FALSE before TRUE, and
// errors; blanks come last in either direction.
int sort_rank(const Value& v)
{
    if (v.is_error())
        return 3;
    const int rank = kind_rank(v);
    return rank < 0 ? 4 : rank;
}

int sort_compare(const Value& a, const Value& b, bool descending)
{
    const int ra = sort_rank(a);
    const int rb = sort_rank(b);
    if (ra == 4 || rb == 4)
        return (ra == 4) - (rb == 4);
    int c = ra - rb;
    if (c == 0 && ra != 3)
        c = compare_values(a, b);
    return descending ? -c : c;
}

// The whole numbers of an argument such as SORT's sort_index, one per element.
std::vector<double> numbers_of(std::span<const Value> args, std::size_t i, double fallback)
{
    if (!given(args, i))
        return {fallback};
    propagate_error(args[i]);
    std::vector<double> out;
    for (const auto& v : as_array(args[i])) {
        auto n = to_number(v);
        if (failed(n))
            throw ArgumentError{std::get<ErrorCode>(n)};
        out.push_back(std::trunc(std::get<double>(n)));
    }
    return out;
}

// SORT(array, [sort_index], [sort_order], [by_col]): a stable sort of the rows (or columns) by one
// key, or by several when sort_index and sort_order are arrays.
Value sort_fn(EvalContext&, std::span<const Value> args)
{
    propagate_error(args[0]);
    const Array data = as_array(args[0]);
    const std::vector<double> indices = numbers_of(args, 1, 1);
    const std::vector<double> orders = numbers_of(args, 2, 1);
    const bool by_col = bool_arg(args, 3);
    if (orders.size() != 1 && orders.size() != indices.size())
        return ErrorCode::value;
    const int width = by_col ? data.rows : data.columns;
    struct Key {
        int index;
        bool descending;
    };
    std::vector<Key> keys;
    for (std::size_t k = 0; k < indices.size(); ++k) {
        const double order = orders[orders.size() == 1 ? 0 : k];
        if (indices[k] < 1 || indices[k] > width || (order != 1 && order != -1))
            return ErrorCode::value;
        keys.push_back({static_cast<int>(indices[k]) - 1, order == -1});
    }
    std::vector<int> lines(static_cast<std::size_t>(by_col ? data.columns : data.rows));
    for (std::size_t i = 0; i < lines.size(); ++i)
        lines[i] = static_cast<int>(i);
    // Each key's values made once, not at every comparison.
    std::vector<std::vector<Value>> key_values(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k)
        for (const int line : lines)
            key_values[k].push_back(by_col ? data.at(keys[k].index, line) : data.at(line, keys[k].index));
    std::stable_sort(lines.begin(), lines.end(), [&](int x, int y) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const auto& values = key_values[k];
            if (const int c = sort_compare(values[static_cast<std::size_t>(x)], values[static_cast<std::size_t>(y)], keys[k].descending))
                return c < 0;
        }
        return false;
    });
    return pick_lines(data, lines, by_col);
}

// A text that is the same for two lines exactly when UNIQUE takes them for the same: kind by kind,
// texts without regard to case, 0 and -0 alike.
std::u16string line_key(const Array& data, int line, bool by_col)
{
    std::u16string key;
    const int length = by_col ? data.rows : data.columns;
    for (int i = 0; i < length; ++i) {
        const Value& v = by_col ? data.at(i, line) : data.at(line, i);
        key.push_back(static_cast<char16_t>(u'0' + v.v.index()));
        if (v.is_number()) {
            const auto bits = std::bit_cast<std::uint64_t>(v.number() == 0 ? 0.0 : v.number());
            for (int shift = 0; shift < 64; shift += 16)
                key.push_back(static_cast<char16_t>(bits >> shift));
        } else if (v.is_text()) {
            key += fold_upper(v.text());
            key.push_back(u'\0'); // the end of the text, so "a","b" and "ab","" differ
        } else if (v.is_bool()) {
            key.push_back(v.boolean() ? u'1' : u'0');
        } else if (v.is_error()) {
            key.push_back(static_cast<char16_t>(v.error()));
        }
    }
    return key;
}

// UNIQUE(array, [by_col], [exactly_once]): the distinct rows (or columns) in the order they first
// appear, or only those that appear once; with none the result is #CALC!.
Value unique_fn(EvalContext&, std::span<const Value> args)
{
    propagate_error(args[0]);
    const Array data = as_array(args[0]);
    const bool by_col = bool_arg(args, 1);
    const bool exactly_once = bool_arg(args, 2);
    const int count = by_col ? data.columns : data.rows;
    std::vector<std::u16string> keys;
    keys.reserve(static_cast<std::size_t>(count));
    std::unordered_map<std::u16string, int> seen;
    for (int line = 0; line < count; ++line) {
        keys.push_back(line_key(data, line, by_col));
        ++seen[keys.back()];
    }
    std::vector<int> kept;
    for (int line = 0; line < count; ++line) {
        int& times = seen[keys[static_cast<std::size_t>(line)]];
        if (exactly_once ? times == 1 : times > 0)
            kept.push_back(line);
        if (!exactly_once)
            times = 0; // later copies are left out
    }
    if (kept.empty())
        return ErrorCode::calc;
    return pick_lines(data, kept, by_col);
}

const Builtin builtins[] = {
    {"FILTER", formula_only, 2, 3, "a", filter_fn},
    {"SORT", formula_only, 1, 4, "aaas", sort_fn},
    {"UNIQUE", formula_only, 1, 3, "as", unique_fn},
};

} // namespace

std::span<const Builtin> array_builtins()
{
    return builtins;
}

} // namespace zorvane::host
