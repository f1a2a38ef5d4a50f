// Windows: WinHTTP in synchronous mode, one exchange at a time. It splits the URL itself (its
// error codes are the ones every platform answers with); redirects are followed by
// web/redirects.cpp, through the same checks as on Linux, not by WinHTTP.
#include "web/http_client.h"

#include <windows.h>
#include <winhttp.h>

#include <cstring>

#include "web/redirects.h"
#include "xll/text.h"

namespace xll::web {

namespace {

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle()
    {
        if (handle_)
            WinHttpCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }
    HINTERNET get() const { return handle_; }

private:
    HINTERNET handle_;
};

int milliseconds(long seconds) { return static_cast<int>(timeout_milliseconds(seconds)); }

// Path and query exactly as the URL writes them; the fragment never travels.
std::wstring object_name(const std::wstring& url, const URL_COMPONENTS& parts)
{
    const wchar_t* start = parts.dwUrlPathLength ? parts.lpszUrlPath : parts.lpszExtraInfo;
    std::wstring object;
    if (start && parts.dwUrlPathLength + parts.dwExtraInfoLength > 0)
        object.assign(start, url.data() + url.size());
    object = object.substr(0, object.find(L'#'));
    if (object.empty() || object[0] != L'/')
        object.insert(0, 1, L'/');
    return object;
}

std::wstring wide(const std::string& utf8)
{
    return utf8_to_xstring(utf8);
}

// The Location header as the server sent it; empty when there is none.
std::string location_of(HINTERNET request)
{
    DWORD size = 0;
    if (WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                            WINHTTP_NO_HEADER_INDEX) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return std::string();
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &size,
                             WINHTTP_NO_HEADER_INDEX))
        return std::string();
    value.resize(size / sizeof(wchar_t));
    return xstring_to_utf8(value);
}

Hop fetch(HINTERNET session, const Url& target)
{
    Hop hop;
    const std::wstring host = wide(target.host);
    const std::wstring object = wide(target.object);
    InternetHandle connection(WinHttpConnect(session, host.c_str(), static_cast<INTERNET_PORT>(target.port), 0));
    if (!connection)
        return hop;
    InternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", object.c_str(), nullptr, WINHTTP_NO_REFERER,
                                              WINHTTP_DEFAULT_ACCEPT_TYPES, target.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request)
        return hop;
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    DWORD no_redirects = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy));
    WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &no_redirects, sizeof(no_redirects));

    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr))
        return hop;
    DWORD status = 0;
    DWORD status_size = sizeof(status);
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                             &status, &status_size, WINHTTP_NO_HEADER_INDEX))
        return hop;
    hop.status = static_cast<long>(status);
    hop.location = location_of(request.get());

    // A connection lost before the end of the body is a failed exchange, never a shorter body.
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request.get(), &available))
            return hop;
        if (available == 0)
            break;
        size_t old = hop.body.size();
        hop.body.resize(old + available);
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), hop.body.data() + old, available, &read))
            return hop;
        hop.body.resize(old + read);
    }
    hop.complete = true;
    return hop;
}

} // namespace

HttpResult http_get(xstring_view text) noexcept
{
    try {
        std::wstring url(text.begin(), text.end());
        URL_COMPONENTS parts;
        std::memset(&parts, 0, sizeof(parts));
        parts.dwStructSize = sizeof(parts);
        parts.dwSchemeLength = static_cast<DWORD>(-1);
        parts.dwHostNameLength = static_cast<DWORD>(-1);
        parts.dwUrlPathLength = static_cast<DWORD>(-1);
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
            return HttpResult::bad_url(GetLastError());
        if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
            return HttpResult::bad_url(error_unrecognized_scheme);
        if (parts.dwHostNameLength == 0)
            return HttpResult::bad_url(error_invalid_url);
        // Any length: the pieces point into our copy of the URL.
        Url first;
        first.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
        first.host = xstring_to_utf8(std::wstring(parts.lpszHostName, parts.dwHostNameLength));
        first.port = parts.nPort;
        first.object = xstring_to_utf8(object_name(url, parts));
        std::wstring agent(user_agent, user_agent + std::strlen(user_agent));

        InternetHandle session(
            WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        if (!session)
            return HttpResult::failed();
        // WinHTTP's defaults, stated so that both platforms read them from the same place.
        WinHttpSetTimeouts(session.get(), 0, milliseconds(connect_timeout_seconds), milliseconds(send_timeout_seconds),
                           milliseconds(receive_timeout_seconds));
        return follow_redirects(first, [&](const Url& target) { return fetch(session.get(), target); });
    }
    catch (...) {
        return HttpResult::failed();
    }
}

} // namespace xll::web
