// Windows: WinHTTP in synchronous mode. It splits the URL itself (its error codes are the ones
// every platform answers with) and follows redirects under its default policy.
#include "web/http_client.h"

#include <windows.h>
#include <winhttp.h>

#include <cstring>

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
        std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        std::wstring object = object_name(url, parts);
        std::wstring agent(user_agent, user_agent + std::strlen(user_agent));

        InternetHandle session(
            WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        if (!session)
            return HttpResult::failed();
        // WinHTTP's defaults, stated so that both platforms read them from the same place.
        WinHttpSetTimeouts(session.get(), 0, milliseconds(connect_timeout_seconds), milliseconds(send_timeout_seconds),
                           milliseconds(receive_timeout_seconds));
        InternetHandle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
        if (!connection)
            return HttpResult::failed();
        InternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", object.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                  WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                  parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
        if (!request)
            return HttpResult::failed();
        DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
        DWORD redirects = max_redirects;
        WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy));
        WinHttpSetOption(request.get(), WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects, sizeof(redirects));

        if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
            !WinHttpReceiveResponse(request.get(), nullptr))
            return HttpResult::failed();

        // A connection lost before the end of the body is a failed exchange, never a shorter body.
        std::string body;
        for (;;) {
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(request.get(), &available))
                return HttpResult::failed();
            if (available == 0)
                break;
            size_t old = body.size();
            body.resize(old + available);
            DWORD read = 0;
            if (!WinHttpReadData(request.get(), body.data() + old, available, &read))
                return HttpResult::failed();
            body.resize(old + read);
        }
        return HttpResult::received(std::move(body));
    }
    catch (...) {
        return HttpResult::failed();
    }
}

} // namespace xll::web
