#include "host/sheet/escape_key.h"

#include <atomic>
#include <optional>

namespace zorvane::host {

namespace {

std::atomic<bool> escape_down{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler presses the key");

// Only the host's calling thread arms and asks, so the time needs no guard.
std::optional<std::chrono::steady_clock::time_point> escape_due;

} // namespace

void press_escape() noexcept { escape_down.store(true); }

void press_escape_after(std::chrono::steady_clock::duration delay)
{
    escape_due = std::chrono::steady_clock::now() + delay;
}

bool escape_pressed(bool let_go)
{
    if (escape_due && std::chrono::steady_clock::now() >= *escape_due) {
        escape_due.reset();
        press_escape();
    }
    return let_go ? escape_down.exchange(false) : escape_down.load();
}

} // namespace zorvane::host
