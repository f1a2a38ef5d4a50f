// The spreadsheet's Esc key as the host plays it. The add-in asks for it through xlAbort while a
// long query runs. Ctrl-C presses it (interrupt_posix.cpp, interrupt_windows.cpp), and a sheet can
// have it pressed a given time after one of its lines, so that tests need no signals. One key for
// the process, since a signal handler presses it.
#pragma once

#include <chrono>

namespace zorvane::host {

// Presses Esc now; safe in a signal handler and from any thread.
void press_escape() noexcept;
// Presses Esc once the delay has passed, as the next asking finds.
void press_escape_after(std::chrono::steady_clock::duration delay);
// xlAbort: whether Esc is down; `let_go` releases it, as xlAbort(FALSE) asks.
bool escape_pressed(bool let_go);

// From here on the first Ctrl-C presses Esc, and a second ends the process the way the system
// ends it (one file per platform).
void handle_interrupts();

// What one interrupt (SIGINT, the console's Ctrl-C) means: true while it belongs to the first
// keypress, which presses Esc; false for a later keypress, which ends the process. One keypress
// may arrive more than once: `timeout -s INT` signals the child and then its process group, so
// the host gets two within microseconds. Interrupts within 300 ms of the first are that first
// keypress. Safe in a signal handler and from any thread.
bool interrupt_presses_escape() noexcept;

} // namespace zorvane::host
