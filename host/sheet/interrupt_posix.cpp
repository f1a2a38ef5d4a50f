#include "host/sheet/escape_key.h"

#include <cerrno>
#include <csignal>

namespace zorvane::host {

namespace {

extern "C" void on_interrupt(int)
{
    const int saved = errno;
    if (!interrupt_presses_escape()) {
        // A later keypress ends the process by the default action, its status telling the shell
        // that an interrupt ended it. SIGINT is blocked while this handler runs, so the raised
        // signal arrives as the handler returns.
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        raise(SIGINT);
    }
    errno = saved;
}

} // namespace

void handle_interrupts()
{
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

} // namespace zorvane::host
