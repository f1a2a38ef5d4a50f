#include "faulty_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <vector>

#include "support/loopback.h"

namespace reliability {

namespace {

void send_all(int fd, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<size_t>(n);
    }
}

// Reads up to the blank line that ends the request head, or until the client gives up.
void read_head(int fd)
{
    std::string head;
    char buf[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            return;
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return;
        head.append(buf, static_cast<size_t>(n));
    }
}

// Holds the connection open without a byte until the client closes it or the server stops.
void hold(int fd, const std::atomic<bool>& stopping)
{
    char buf[256];
    while (!stopping) {
        pollfd p{fd, POLLIN, 0};
        int r = ::poll(&p, 1, 100);
        if (r < 0 || (r > 0 && ::recv(fd, buf, sizeof buf, 0) <= 0))
            return;
    }
}

} // namespace

FaultyServer::FaultyServer(Fault fault) : fault_(fault)
{
    listener_ = test::listen_loopback(port_);
    thread_ = std::thread([this] { serve(); });
}

FaultyServer::~FaultyServer()
{
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
}

std::string FaultyServer::url(const std::string& target) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + target;
}

void FaultyServer::serve()
{
    // One client at a time: every test makes its requests one after another.
    while (!stopping_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0)
            continue;
        ++connections_;
        answer(client);
        ::close(client);
    }
}

void FaultyServer::answer(int client)
{
    read_head(client);
    switch (fault_) {
    case Fault::none: send_all(client, "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nConnection: close\r\n\r\nok\n"); return;
    case Fault::reset: {
        linger hard{1, 0}; // closing now sends RST instead of FIN
        ::setsockopt(client, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        return;
    }
    case Fault::stall_head: hold(client, stopping_); return;
    case Fault::stall_body:
        send_all(client, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 20\r\n\r\nfirst line\n");
        hold(client, stopping_);
        return;
    case Fault::truncated_chunks:
        send_all(client, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n\r\n"
                         "6\r\nalpha\n\r\n20\r\nbeta is cut");
        return;
    case Fault::gigabyte_claim:
        send_all(client, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 1073741824\r\n\r\n"
                         "only these bytes\n");
        return;
    }
}

} // namespace reliability
