// REGEX.MATCH, REGEX.REPLACE and REGEX.SEARCH as the host calls them. Whatever goes wrong, the
// user is told in an Error alert and the cell shows #N/A; nothing reaches the host.
#include "regex/operations.h"
#include "xll/text.h"
#include "xll/xll.h"

using namespace xll;

namespace {

const XLOPER12& subject_or_missing(LPXLOPER12 subject)
{
    static const OPER12 missing = [] {
        OPER12 m;
        m.release();
        return m;
    }();
    return subject ? *subject : static_cast<const XLOPER12&>(missing);
}

error_answer<XLOPER12> regex_failure(OPER12& result)
{
    return error_in(result, xlerr::NA, alerting("regular expression error"));
}

} // namespace

XLL_EXPORT(LPXLOPER12, xll_regex_match, (LPXLOPER12 subject, const XCHAR* pattern, int32_t flags))
{
    static OPER12 result;
    return guarded(regex_failure(result), [&] {
        result = regex::match_cells(subject_or_missing(subject), argument_text(pattern), flags);
        return &result;
    });
}

XLL_EXPORT(LPXLOPER12, xll_regex_replace,
           (LPXLOPER12 subject, const XCHAR* pattern, const XCHAR* replace, int32_t flags))
{
    static OPER12 result;
    return guarded(regex_failure(result), [&] {
        result =
            regex::replace_cells(subject_or_missing(subject), argument_text(pattern), argument_text(replace), flags);
        return &result;
    });
}

XLL_EXPORT(LPXLOPER12, xll_regex_search, (const XCHAR* subject, const XCHAR* pattern, int32_t flags))
{
    static OPER12 result;
    return guarded(regex_failure(result), [&] {
        result = regex::search_text(argument_text(subject), argument_text(pattern), flags);
        return &result;
    });
}
