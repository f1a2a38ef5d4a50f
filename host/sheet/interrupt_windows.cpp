#include "host/sheet/escape_key.h"

#include <windows.h>

#include <atomic>

namespace zorvane::host {

namespace {

std::atomic<bool> interrupted_once{false};

// Runs on a thread of its own. FALSE hands the event to the default handler, which ends the
// process.
BOOL WINAPI on_console_event(DWORD event)
{
    if (event != CTRL_C_EVENT || interrupted_once.exchange(true))
        return FALSE;
    press_escape();
    return TRUE;
}

} // namespace

void handle_interrupts() { SetConsoleCtrlHandler(on_console_event, TRUE); }

} // namespace zorvane::host
