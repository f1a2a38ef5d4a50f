// zWebQuery: a web resource as a column of its non-empty lines, each read as a number where the
// host's VALUE reads one, as zSplit does.
#include <utility>

#include "web/body_text.h"
#include "web/http_client.h"
#include "xll/split_text.h"
#include "xll/text.h"
#include "xll/xll.h"

using namespace xll;

namespace {

// The lines of the body with the empty ones dropped and the rest moved up in order. The column
// keeps one row per line of the body, so the rows freed at the bottom stay nil.
// The lines move over rather than being copied: a body may run to megabytes.
OPER12 non_empty_lines_first(OPER12 lines)
{
    size_t n = lines.is(xltypeMulti) ? lines.rows() : (lines.is(xltypeNil) || lines.is(xltypeMissing)) ? 0 : 1;
    OPER12 column(static_cast<int>(n), 1);
    size_t next = 0;
    for (size_t i = 0; i < n; ++i) {
        OPER12& line = lines(i, 0);
        if (line.is(xltypeStr) && line.text().empty())
            continue;
        column(next++, 0) = std::move(line);
    }
    return column;
}

} // namespace

XLL_EXPORT(LPXLOPER12, xll_zWebQuery, (const XCHAR* url))
{
    static OPER12 result;
    return guarded(error_in(result, xlerr::Value, alerting()), [url] {
        web::HttpResult got = web::http_get(argument_text(url));
        if (got.outcome == web::HttpResult::Outcome::failed) {
            result = OPER12(1, 1);
            result(0, 0) = xstring_view(widen_text(web::no_internet));
        } else {
            result = non_empty_lines_first(split_text(web::body_text(web::payload(got)), xstring_view(), XLL_T("\n")));
        }
        return &result;
    });
}
