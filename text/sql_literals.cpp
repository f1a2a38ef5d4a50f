// Single-quoted SQL literals of dates, date-times and texts. The date parts come from the host's
// own DAY, MONTH, YEAR, HOUR, MINUTE, SECOND and TEXT, so its calendar applies.
#include <cmath>

#include "xll/xll.h"

using namespace xll;

namespace {

constexpr double seconds_per_day = 86400;

const OPER12& text_constant(const XCHAR* s)
{
    // Built once; the host only reads them.
    static OPER12 quote(XLL_T("'")), dash(XLL_T("-")), colon(XLL_T(":")), space(XLL_T(" ")), two_digits(XLL_T("00"));
    switch (s[0]) {
    case '\'': return quote;
    case '-': return dash;
    case ':': return colon;
    case ' ': return space;
    default: return two_digits;
    }
}

const OPER12& quote() { return text_constant(XLL_T("'")); }
const OPER12& dash() { return text_constant(XLL_T("-")); }
const OPER12& colon() { return text_constant(XLL_T(":")); }
const OPER12& space() { return text_constant(XLL_T(" ")); }
const OPER12& two_digits() { return text_constant(XLL_T("00")); }

// 'YYYY-MM-DD followed by the closing text (a quote, or a blank before the time).
HostResult<XLOPER12> date_part(const OPER12& x, const OPER12& closing)
{
    auto day = Excel12(xlfText, Excel12(xlfDay, x), two_digits());
    auto month = Excel12(xlfText, Excel12(xlfMonth, x), two_digits());
    auto year = Excel12(xlfYear, x);
    return Excel12(xlfConcatenate, quote(), year, dash(), month, dash(), day, closing);
}

} // namespace

XLL_EXPORT(LPXLOPER12, xll_zSQLDate, (double x))
{
    static OPER12 result;
    return guarded(error_in(result, xlerr::Value), [x] {
        result = date_part(OPER12(x), quote()).copy();
        return &result;
    });
}

XLL_EXPORT(LPXLOPER12, xll_zSQLDateTime, (double x))
{
    static OPER12 result;
    return guarded(error_in(result, xlerr::Value), [x] {
        // Rounded once, to the whole second, before the host takes the day and the time from the
        // same number: 23:59:59.99 is the next day's midnight, as TEXT(x,"yyyy-mm-dd hh:mm:ss")
        // shows it, never this day's date with the next day's rounded time.
        OPER12 date(std::round(x * seconds_per_day) / seconds_per_day);
        result = date_part(date, space()).copy();
        auto second = Excel12(xlfText, Excel12(xlfSecond, date), two_digits());
        auto minute = Excel12(xlfText, Excel12(xlfMinute, date), two_digits());
        auto hour = Excel12(xlfText, Excel12(xlfHour, date), two_digits());
        result = Excel12(xlfConcatenate, result, hour, colon(), minute, colon(), second, quote()).copy();
        return &result;
    });
}

// Every quote inside the text is doubled, so the result is always one valid SQL literal, whatever
// the user typed. A literal the worksheet cannot hold is #VALUE!, never a cut-off string.
XLL_EXPORT(LPXLOPER12, xll_zSQLString, (const XCHAR* s))
{
    static OPER12 result;
    return guarded(error_in(result, xlerr::Value), [s] {
        xstring literal(1, '\'');
        for (const XCHAR* p = s; p && *p; ++p) {
            if (*p == '\'')
                literal += '\'';
            literal += *p;
        }
        literal += '\'';
        if (literal.size() > max_cell_text)
            result = xlerr::Value;
        else
            result = xstring_view(literal);
        return &result;
    });
}
