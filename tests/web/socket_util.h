// Socket set-up shared by the test servers.
#pragma once

namespace webtest {

// A listening socket on 127.0.0.1 and a free port.
int listen_loopback(unsigned& port);
// Bounds every read and write of an accepted connection.
void limit_wait(int fd);

} // namespace webtest
