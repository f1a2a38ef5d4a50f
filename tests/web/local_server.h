// Servers on 127.0.0.1 that the tests start themselves, on a free port, one thread each.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback.h"

namespace webtest {

// What goes on the wire for one request, status line included.
struct Reply {
    std::string bytes;
    size_t hang_up_after = std::string::npos; // close the connection after this many bytes
};

Reply ok(const std::string& body);
Reply status(int code, const std::string& reason, const std::string& body);
Reply redirect(const std::string& location);

using test::closed_port;

class LocalServer {
public:
    LocalServer();
    ~LocalServer();
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    // Requests for any other target get a 404 page.
    void route(const std::string& target, Reply reply);
    std::string url(const std::string& target) const;
    unsigned port() const { return port_; }
    // Request heads in arrival order.
    std::vector<std::string> requests() const;

private:
    void serve();
    unsigned port_ = 0; // set by the listener's construction, so declared before it
    int listener_ = -1;
    mutable std::mutex mutex_;
    std::map<std::string, Reply> routes_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// TLS with a certificate made for this run, signed by nobody anyone trusts.
class TlsServer {
public:
    explicit TlsServer(const std::string& body);
    ~TlsServer();
    TlsServer(const TlsServer&) = delete;
    TlsServer& operator=(const TlsServer&) = delete;

    std::string url(const std::string& target) const;
    int client_hellos() const { return hellos_; }
    int handshakes_completed() const { return completed_; }

private:
    struct Tls;
    void serve();
    std::unique_ptr<Tls> tls_;
    std::string body_;
    unsigned port_ = 0; // set by the listener's construction, so declared before it
    int listener_ = -1;
    std::atomic<int> hellos_{0}, completed_{0};
    std::thread thread_;
};

} // namespace webtest
