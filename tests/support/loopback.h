// Sockets on 127.0.0.1 for the servers the tests start themselves and for ports that must refuse:
// the system picks the port, so runs side by side never collide.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace test {

// A listening socket on 127.0.0.1 and the free port it took.
inline int listen_loopback(unsigned& port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), n) != 0 || listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n) != 0) {
        if (fd >= 0)
            close(fd);
        throw std::runtime_error("no loopback socket");
    }
    port = ntohs(a.sin_port);
    return fd;
}

// A loopback port on which nothing listens right now.
inline unsigned closed_port()
{
    unsigned port = 0;
    close(listen_loopback(port));
    return port;
}

} // namespace test
