#include "host/sheet/escape_key.h"

#include <windows.h>

namespace zorvane::host {

namespace {

// Runs on a thread of its own. FALSE hands the event to the default handler, which ends the
// process.
BOOL WINAPI on_console_event(DWORD event)
{
    if (event != CTRL_C_EVENT)
        return FALSE;
    return interrupt_presses_escape() ? TRUE : FALSE;
}

} // namespace

void handle_interrupts() { SetConsoleCtrlHandler(on_console_event, TRUE); }

} // namespace zorvane::host
