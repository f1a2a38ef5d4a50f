// The cell values zQuery binds to a statement's ? markers, read from the worksheet once, before
// anything reaches a driver: what each value binds as, what makes a set unusable, how the cache
// tells two sets apart and how its listing shows one.
#pragma once

#include <cstdint>
#include <vector>

#include "xll/oper.h"

namespace db {

struct QueryParameter {
    // What a cell binds as: an empty cell as NULL, a boolean as a bit, a whole number that fits
    // as a 64-bit integer, any other number as a double, a text as text.
    enum class Kind { null, boolean, integer, number, text };

    Kind kind = Kind::null;
    bool flag = false;
    std::int64_t integer = 0;
    double number = 0;
    xll::xstring text;

    // Same kind and same value, texts to the code unit: 1 and "1", or "a" and "A", differ.
    friend bool operator==(const QueryParameter& a, const QueryParameter& b)
    {
        return a.kind == b.kind && a.flag == b.flag && a.integer == b.integer && a.number == b.number &&
               a.text == b.text;
    }
};

using QueryParameters = std::vector<QueryParameter>;

// The cells of a value, a range or an array, read row by row; an omitted argument is no cell at
// all. An error value among them, or a text longer than a cell holds, throws SqlError with the
// text the worksheet shows.
QueryParameters read_parameters(const XLOPER12& value);

// "#SQL Parameters: the statement has 2 ? markers, 3 values were given"
xll::xstring parameter_count_text(size_t markers, size_t values);

// The parameters as zCache_List shows them after the statement: ' -- parameters: "Berlin", 1,
// TRUE, NULL', texts quoted as a formula writes them, every number exactly.
xll::xstring parameters_shown(const QueryParameters& parameters);

// What the parameters add to the cache's size estimate: a text its length, anything else 8.
double parameters_size(const QueryParameters& parameters);

} // namespace db
