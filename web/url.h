// A worksheet URL split the way WinHTTP splits it, for clients that need the pieces themselves.
#pragma once

#include <string>
#include <string_view>

#include "xll/traits.h"

namespace xll::web {

struct Url {
    bool secure = false; // https: TLS with certificate checks
    std::string host;    // UTF-8; an IPv6 literal keeps its brackets
    unsigned port = 0;   // the URL's own, or 80/443 by scheme
    std::string object;  // path and query as sent on the request line; never empty
};

struct SplitUrl {
    Url url;
    unsigned long error = 0; // error_invalid_url or error_unrecognized_scheme; 0 when split
};

SplitUrl split_url(xstring_view url);

// scheme://host:port/object, every piece already safe for a request line.
std::string request_url(const Url& url);

// A reference (a redirect's Location) made absolute against the URL it came from: one with a
// scheme of its own as it is; //authority, /path, ?query or a path relative to base's folder
// completed from base, with "." and ".." segments resolved.
std::string resolve_reference(const Url& base, std::string_view reference);

// Redirects never leave TLS for plain HTTP (WinHTTP's default policy).
bool redirect_allowed(std::string_view from, std::string_view to);

} // namespace xll::web
