// Linux: libcurl, set up to make the request WinHTTP makes on Windows, one exchange at a time:
// redirects are followed by web/redirects.cpp, as on Windows, not by curl.
#include "web/http_client.h"

#include <curl/curl.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>

#include "web/redirects.h"
#include "web/url.h"

namespace xll::web {

namespace {

// curl's process-wide state, set up at the first request and kept until the library goes.
class CurlGlobal {
public:
    CurlGlobal() : ok_(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {}
    ~CurlGlobal()
    {
        if (ok_)
            curl_global_cleanup();
    }
    CurlGlobal(const CurlGlobal&) = delete;
    CurlGlobal& operator=(const CurlGlobal&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

bool curl_ready()
{
    static CurlGlobal global;
    return global.ok();
}

class CurlEasy {
public:
    CurlEasy() : handle_(curl_easy_init()) {}
    ~CurlEasy()
    {
        if (handle_)
            curl_easy_cleanup(handle_);
    }
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }
    CURL* get() const { return handle_; }
    template <class T> bool set(CURLoption option, T value) { return curl_easy_setopt(handle_, option, value) == CURLE_OK; }

private:
    CURL* handle_;
};

class HeaderList {
public:
    HeaderList() = default;
    ~HeaderList() { curl_slist_free_all(list_); }
    HeaderList(const HeaderList&) = delete;
    HeaderList& operator=(const HeaderList&) = delete;

    bool append(const char* header)
    {
        curl_slist* grown = curl_slist_append(list_, header);
        if (grown)
            list_ = grown;
        return grown != nullptr;
    }
    curl_slist* get() const { return list_; }

private:
    curl_slist* list_ = nullptr;
};

// A write to a connection the server has closed raises SIGPIPE, which would end the host. It is
// blocked on the calling thread for the length of a request (curl is told to leave the process's
// signal handlers alone), and one raised meanwhile is taken off the queue before unblocking.
class SigpipeBlock {
public:
    SigpipeBlock()
    {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        already_pending_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        blocked_ = pthread_sigmask(SIG_BLOCK, &pipe_, &old_) == 0;
    }
    ~SigpipeBlock()
    {
        if (!blocked_)
            return;
        sigset_t pending;
        if (!already_pending_ && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
            timespec now{0, 0};
            sigtimedwait(&pipe_, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;

private:
    sigset_t pipe_, old_;
    bool already_pending_ = false, blocked_ = false;
};

// No exception may unwind through curl: running out of memory ends the transfer as a failure.
size_t collect(char* data, size_t size, size_t count, void* body)
{
    try {
        static_cast<std::string*>(body)->append(data, size * count);
        return size * count;
    }
    catch (...) {
        return 0;
    }
}

// curl has one stall limit for both directions.
static_assert(send_timeout_seconds == receive_timeout_seconds);

// curl counts a stall in whole seconds.
long stall_seconds() { return (timeout_milliseconds(receive_timeout_seconds) + 999) / 1000; }

Hop fetch(const Url& target)
{
    const std::string url = request_url(target);
    Hop hop;
    CurlEasy easy;
    HeaderList headers;
    // WinHTTP sends no Accept header when no accept types are given; curl's own one goes.
    bool ready = easy && headers.append("Accept:") && easy.set(CURLOPT_URL, url.c_str()) &&
                 easy.set(CURLOPT_PROTOCOLS_STR, "http,https") && easy.set(CURLOPT_HTTPGET, 1L) &&
                 easy.set(CURLOPT_USERAGENT, user_agent) && easy.set(CURLOPT_HTTPHEADER, headers.get()) &&
                 easy.set(CURLOPT_PROXY, "") && easy.set(CURLOPT_NOPROXY, "*") &&
                 easy.set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) &&
                 easy.set(CURLOPT_FOLLOWLOCATION, 0L) && easy.set(CURLOPT_NOSIGNAL, 1L) &&
                 easy.set(CURLOPT_CONNECTTIMEOUT_MS, timeout_milliseconds(connect_timeout_seconds)) &&
                 // A stalled send or receive: under one byte a second for the whole span.
                 easy.set(CURLOPT_LOW_SPEED_LIMIT, 1L) && easy.set(CURLOPT_LOW_SPEED_TIME, stall_seconds()) &&
                 easy.set(CURLOPT_SSL_VERIFYPEER, 1L) && easy.set(CURLOPT_SSL_VERIFYHOST, 2L) &&
                 easy.set(CURLOPT_WRITEFUNCTION, collect) && easy.set(CURLOPT_WRITEDATA, &hop.body);
    if (!ready || curl_easy_perform(easy.get()) != CURLE_OK)
        return hop;
    if (curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &hop.status) != CURLE_OK)
        return hop;
    // The Location as sent: it is resolved and checked the same way on every platform.
    curl_header* location = nullptr;
    if (curl_easy_header(easy.get(), "Location", 0, CURLH_HEADER, -1, &location) == CURLHE_OK && location)
        hop.location = location->value;
    hop.complete = true;
    return hop;
}

} // namespace

HttpResult http_get(xstring_view text) noexcept
{
    try {
        SplitUrl split = split_url(text);
        if (split.error)
            return HttpResult::bad_url(split.error);
        if (!curl_ready())
            return HttpResult::failed();
        SigpipeBlock quiet;
        return follow_redirects(split.url, fetch);
    }
    catch (...) {
        return HttpResult::failed();
    }
}

} // namespace xll::web
