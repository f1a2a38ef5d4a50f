#include "local_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <stdexcept>

#include "socket_util.h"

namespace webtest {

void limit_wait(int fd)
{
    timeval t{5, 0}; // a test never waits on a stuck client for long
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &t, sizeof t);
}

Reply status(int code, const std::string& reason, const std::string& body)
{
    return {"HTTP/1.1 " + std::to_string(code) + " " + reason + "\r\nContent-Type: text/plain\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body};
}

Reply ok(const std::string& body) { return status(200, "OK", body); }

Reply redirect(const std::string& location)
{
    Reply r = status(302, "Found", "moved");
    r.bytes.insert(r.bytes.find("\r\n") + 2, "Location: " + location + "\r\n");
    return r;
}

LocalServer::LocalServer() : listener_(listen_loopback(port_)), thread_([this] { serve(); }) {}

LocalServer::~LocalServer()
{
    shutdown(listener_, SHUT_RDWR); // ends the accept below
    thread_.join();
    close(listener_);
}

void LocalServer::route(const std::string& target, Reply reply)
{
    std::lock_guard lock(mutex_);
    routes_[target] = std::move(reply);
}

std::string LocalServer::url(const std::string& target) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + target;
}

std::vector<std::string> LocalServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void LocalServer::serve()
{
    for (;;) {
        int fd = accept(listener_, nullptr, nullptr);
        if (fd < 0)
            return;
        limit_wait(fd);
        std::string head;
        char buf[4096];
        while (head.find("\r\n\r\n") == std::string::npos) {
            ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            head.append(buf, static_cast<size_t>(n));
        }
        size_t from = head.find(' ') + 1, to = head.find(' ', from);
        std::string target = from && to != std::string::npos ? head.substr(from, to - from) : "";
        Reply reply = status(404, "Not Found", "no such page");
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(head);
            if (auto it = routes_.find(target); it != routes_.end())
                reply = it->second;
        }
        std::string_view out = std::string_view(reply.bytes).substr(0, reply.hang_up_after);
        while (!out.empty()) {
            ssize_t n = send(fd, out.data(), out.size(), MSG_NOSIGNAL);
            if (n <= 0)
                break;
            out.remove_prefix(static_cast<size_t>(n));
        }
        close(fd);
    }
}

} // namespace webtest
