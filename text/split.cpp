#include "text/split.h"

#include <algorithm>
#include <bitset>
#include <climits>
#include <exception>
#include <memory>
#include <string>
#include <type_traits>

#include "xll/text.h"
#include "xll/xll.h"

namespace {

using namespace xll;

// Which worksheet characters are delimiters, looked up in constant time so that a long text
// costs the same per character whatever the size of the delimiter sets.
class DelimiterSets {
public:
    DelimiterSets(xstring_view columns, xstring_view rows)
    {
        for (XCHAR c : rows)
            row_.set(unit(c));
        // A character of both sets separates columns, in the counting pass as in the filling
        // pass, so the counted shape always holds every field.
        for (XCHAR c : columns) {
            column_.set(unit(c));
            row_.reset(unit(c));
        }
    }
    bool column(XCHAR c) const { return column_.test(unit(c)); }
    bool row(XCHAR c) const { return row_.test(unit(c)); }
    bool any(XCHAR c) const { return column(c) || row(c); }

private:
    static size_t unit(XCHAR c) { return static_cast<std::make_unsigned_t<XCHAR>>(c); }
    std::bitset<0x10000> column_, row_;
};

struct Shape {
    size_t rows = 1, columns = 1;
};

Shape count_shape(xstring_view text, const DelimiterSets& d)
{
    Shape shape;
    size_t fields = 1;
    for (XCHAR c : text) {
        if (d.column(c)) {
            ++fields;
        }
        else if (d.row(c)) {
            ++shape.rows;
            if (fields > shape.columns)
                shape.columns = fields;
            fields = 1;
        }
    }
    if (fields > shape.columns)
        shape.columns = fields;
    return shape;
}

} // namespace

namespace xll {

double host_value(xstring_view field)
{
    auto number = Excel12(xlfValue, OPER12(field));
    return number.type() == xltypeNum ? number.val.num : 0;
}

OPER12 split_text(xstring_view text, xstring_view column_delimiters, xstring_view row_delimiters,
                  const number_reader& read_number)
{
    // The bitsets are too big for the stack of a host's calculation thread.
    auto delimiters = std::make_unique<DelimiterSets>(column_delimiters, row_delimiters);
    const DelimiterSets& d = *delimiters;
    Shape shape = count_shape(text, d);

    // Over-limit shapes fail the value type's own checks; the clamp only keeps the count an int.
    auto dimension = [](size_t k) { return static_cast<int>(std::min<size_t>(k, INT_MAX)); };
    OPER12 result(dimension(shape.rows), dimension(shape.columns));
    result(0, 0).release(); // missing until a field reaches it

    const size_t n = text.size();
    size_t start = 0;
    for (size_t row = 0; row < shape.rows && start < n; ++row) {
        for (size_t column = 0; start < n; ++column) {
            size_t end = start;
            while (end < n && !d.any(text[end]))
                ++end;
            xstring_view field = text.substr(start, end - start);
            double number = read_number(field);
            if (number != 0)
                result(row, column) = number;
            else
                result(row, column) = field;
            start = end + 1;
            if (end == n || !d.column(text[end]))
                break;
        }
    }
    return result;
}

OPER12 split_text(xstring_view text, xstring_view column_delimiters, xstring_view row_delimiters)
{
    return split_text(text, column_delimiters, row_delimiters, host_value);
}

} // namespace xll

// Any failure is told in an alert and the cell gets no value, which the host shows as an error.
XLL_EXPORT(LPXLOPER12, xll_zSplit, (const XCHAR* text, const XCHAR* column_delimiters, const XCHAR* row_delimiters))
{
    static xll::OPER12 result;
    return xll::guarded(xll::answer<LPXLOPER12>(nullptr, xll::alerting("zSplit failed")), [&] {
        result = xll::split_text(xll::argument_text(text), xll::argument_text(column_delimiters), xll::argument_text(row_delimiters));
        return &result;
    });
}
