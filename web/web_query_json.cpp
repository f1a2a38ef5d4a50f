// zWebQueryJSON: a JSON resource as a key/value table, or the value of one key in it.
#include "web/body_text.h"
#include "web/http_client.h"
#include "web/json_table.h"
#include "xll/text.h"
#include "xll/xll.h"

using namespace xll;

XLL_EXPORT(LPXLOPER12, xll_zWebQueryJSON, (const XCHAR* url, const XCHAR* key))
{
    static OPER12 result;
    return guarded(error_in(result, xlerr::NA, alerting()), [url, key] {
        web::HttpResult got = web::http_get(argument_text(url));
        if (got.outcome == web::HttpResult::Outcome::failed) {
            // Told as such even when a key was asked for: a missing key would hide the outage.
            result = xstring_view(widen_text(web::no_internet));
        } else {
            // A body that is not UTF-8 was widened byte by byte; the parser reads UTF-8.
            result = web::json_table(xstring_to_utf8(web::body_text(web::payload(got))));
            if (key && *key)
                result = web::json_lookup(result, key);
        }
        return &result;
    });
}
