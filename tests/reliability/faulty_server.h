// An HTTP server on 127.0.0.1 that misbehaves in one chosen way on every connection, for tests
// of what the web functions make of a peer that fails them. It serves until destroyed.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace reliability {

enum class Fault {
    none,             // a whole, well-formed response: "ok" and a line feed
    reset,            // reads the request, then resets the connection (RST, no response)
    stall_head,       // reads the request and never answers
    stall_body,       // sends the head and half the body, then goes quiet with the connection open
    truncated_chunks, // a chunked body whose last chunk is cut short, then closes
    gigabyte_claim,   // Content-Length of a gigabyte, a few bytes, then closes
};

class FaultyServer {
public:
    explicit FaultyServer(Fault fault);
    ~FaultyServer();
    FaultyServer(const FaultyServer&) = delete;
    FaultyServer& operator=(const FaultyServer&) = delete;

    std::string url(const std::string& target = "/") const;
    int connections() const { return connections_; }

private:
    void serve();
    void answer(int client);
    Fault fault_;
    unsigned port_ = 0;
    int listener_ = -1;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

} // namespace reliability
