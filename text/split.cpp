#include "xll/split_text.h"
#include "xll/text.h"
#include "xll/xll.h"

// Any failure is told in an alert and the cell gets no value, which the host shows as an error.
XLL_EXPORT(LPXLOPER12, xll_zSplit, (const XCHAR* text, const XCHAR* column_delimiters, const XCHAR* row_delimiters))
{
    static xll::OPER12 result;
    return xll::guarded(xll::answer<LPXLOPER12>(nullptr, xll::alerting("zSplit failed")), [&] {
        result = xll::split_text(xll::argument_text(text), xll::argument_text(column_delimiters), xll::argument_text(row_delimiters));
        return &result;
    });
}
