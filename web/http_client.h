// One synchronous HTTP GET, the same request on every platform: http_client_curl.cpp (libcurl)
// and http_client_winhttp.cpp (WinHTTP) implement http_get, nothing else differs.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

#include "xll/failure_texts.h"
#include "xll/traits.h"

namespace xll::web {

// The request every platform sends: GET, this user agent, no proxy, no other header of ours.
inline constexpr const char* user_agent = "Zorvane/1.0";

// WinHTTP's own defaults, which users of the worksheet functions have always had. Name
// resolution has no bound of its own.
inline constexpr long connect_timeout_seconds = 60;
inline constexpr long send_timeout_seconds = 30;
inline constexpr long receive_timeout_seconds = 30;
inline constexpr int max_redirects = 10;

// A time-out in milliseconds. Tests of servers that stall shorten every time-out by the factor in
// ZORVANE_HTTP_TIMEOUT_SCALE (above 0, below 1) so that they end in seconds; without it, or with
// anything else in it, the defaults above hold.
inline long timeout_milliseconds(long seconds)
{
    double scale = 1;
    if (const char* text = std::getenv("ZORVANE_HTTP_TIMEOUT_SCALE")) {
        char* end = nullptr;
        double d = std::strtod(text, &end);
        if (end != text && *end == '\0' && d > 0 && d < 1)
            scale = d;
    }
    long ms = static_cast<long>(static_cast<double>(seconds) * 1000 * scale);
    return ms > 0 ? ms : 1;
}

// The decimal codes a URL that cannot be split answers with, WinHTTP's numbers on every platform.
inline constexpr unsigned long error_invalid_url = 12005;
inline constexpr unsigned long error_unrecognized_scheme = 12006;

// What the worksheet sees when the exchange failed.
inline constexpr std::string_view no_internet = xll::failure_texts::no_internet;

struct HttpResult {
    enum class Outcome {
        received, // a complete response of any status; body holds its bytes
        failed,   // no complete response: refused, unresolved, TLS rejected, cut short, timed out
        bad_url,  // the URL could not be split; no request was made
    };
    Outcome outcome = Outcome::failed;
    std::string body;
    unsigned long url_error = 0;

    static HttpResult received(std::string bytes) { return {Outcome::received, std::move(bytes), 0}; }
    static HttpResult failed() { return {Outcome::failed, {}, 0}; }
    static HttpResult bad_url(unsigned long code) { return {Outcome::bad_url, {}, code}; }
};

// Never throws: every failure is an outcome.
HttpResult http_get(xstring_view url) noexcept;

// The bytes the worksheet functions work on: the body, the failure text, or the URL error code
// in decimal digits.
inline std::string payload(const HttpResult& r)
{
    switch (r.outcome) {
    case HttpResult::Outcome::received: return r.body;
    case HttpResult::Outcome::bad_url: return std::to_string(r.url_error);
    case HttpResult::Outcome::failed: break;
    }
    return std::string(no_internet);
}

} // namespace xll::web
