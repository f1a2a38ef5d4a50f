// zJoin: the values of a range in one text. Every piece goes through the host's own
// concatenation, so numbers, booleans, empty cells and error values read exactly as the host
// writes them, and an error value anywhere carries through to the result.
#include "xll/xll.h"

using namespace xll;

namespace {

const OPER12& default_delimiter()
{
    static const OPER12 space(XLL_T(" "));
    return space;
}

} // namespace

XLL_EXPORT(LPXLOPER12, xll_zJoin, (LPXLOPER12 range, const XCHAR* delimiter))
{
    static OPER12 result(XLL_T(""));
    // The host refusing a call outright is #VALUE!: no text can stand for the range.
    return guarded(error_in(result, xlerr::Value), [&] {
        OPER12 given;
        if (delimiter && *delimiter)
            given = delimiter;
        const OPER12& separator = given.is(xltypeStr) ? given : default_delimiter();

        result = XLL_T("");
        // A single value, an omitted range included, is the only element.
        XLOPER12 omitted{};
        omitted.xltype = xltypeMissing;
        const XLOPER12& values = range ? *range : omitted;
        bool array = base_type(values.xltype) == xltypeMulti;
        size_t count = array ? size(values) : 1;
        for (size_t i = 0; i < count; ++i) {
            const XLOPER12& element = array ? values.val.array.lparray[i] : values;
            result = i == 0 ? Excel12(xlfConcatenate, result, element).copy()
                            : Excel12(xlfConcatenate, result, separator, element).copy();
        }
        return &result;
    });
}
