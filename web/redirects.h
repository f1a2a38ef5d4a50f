// Redirects, the same on every platform: each client (http_client_curl.cpp,
// http_client_winhttp.cpp) makes one exchange at a time, and this decides whether and where the
// next one goes.
#pragma once

#include <functional>
#include <string>

#include "web/http_client.h"
#include "web/url.h"

namespace xll::web {

// One exchange; no redirect followed.
struct Hop {
    bool complete = false; // a whole response arrived
    long status = 0;
    std::string body;
    std::string location; // the Location header as the server sent it; empty when there is none
};

// Fetches `first` and follows the redirects WinHTTP follows (301, 302, 303, 307, 308), at most
// max_redirects of them. A target goes through the checks the first URL went through (scheme
// http or https, a host, a port from 1 to 65535, no longer than a cell's text, user name and
// password dropped): one that fails them fails the exchange. A redirect from https to plain http
// is not followed; its own response is the result.
HttpResult follow_redirects(const Url& first, const std::function<Hop(const Url&)>& fetch);

} // namespace xll::web
