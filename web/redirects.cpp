#include "web/redirects.h"

#include "xll/limits.h"
#include "xll/text.h"

namespace xll::web {

namespace {

bool followed_status(long status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

HttpResult follow_redirects(const Url& first, const std::function<Hop(const Url&)>& fetch)
{
    Url url = first;
    for (int redirects = 0;; ++redirects) {
        Hop hop = fetch(url);
        if (!hop.complete)
            return HttpResult::failed();
        if (!followed_status(hop.status) || hop.location.empty())
            return HttpResult::received(std::move(hop.body));
        const std::string target = resolve_reference(url, hop.location);
        if (!redirect_allowed(request_url(url), target))
            return HttpResult::received(std::move(hop.body));
        const xstring text = utf8_to_xstring(target);
        if (text.size() > max_cell_text)
            return HttpResult::failed();
        SplitUrl next = split_url(text);
        if (next.error || redirects == max_redirects)
            return HttpResult::failed();
        url = std::move(next.url);
    }
}

} // namespace xll::web
