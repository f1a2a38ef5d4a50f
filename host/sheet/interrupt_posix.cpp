#include "host/sheet/escape_key.h"

#include <csignal>

namespace zorvane::host {

namespace {

extern "C" void on_interrupt(int) { press_escape(); }

} // namespace

void handle_interrupts()
{
    // SA_RESETHAND: the handler serves once, and the next Ctrl-C ends the process by the default
    // action, its status telling the shell that an interrupt ended it.
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

} // namespace zorvane::host
