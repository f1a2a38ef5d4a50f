// Socket set-up shared by the test servers.
#pragma once

#include "support/loopback.h"

namespace webtest {

using test::listen_loopback;
// Bounds every read and write of an accepted connection.
void limit_wait(int fd);

} // namespace webtest
