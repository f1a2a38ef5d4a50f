#include "host/sheet/escape_key.h"

#include <atomic>
#include <limits>
#include <optional>

namespace zorvane::host {

namespace {

std::atomic<bool> escape_down{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler presses the key");

// Only the host's calling thread arms and asks, so the time needs no guard.
std::optional<std::chrono::steady_clock::time_point> escape_due;

using Ticks = std::chrono::steady_clock::rep;
constexpr Ticks no_interrupt = std::numeric_limits<Ticks>::min();
constexpr Ticks one_keypress =
    std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::milliseconds(300)).count();
// When the first interrupt came. Signals may land on any thread, two at once.
std::atomic<Ticks> first_interrupt{no_interrupt};
static_assert(std::atomic<Ticks>::is_always_lock_free, "a signal handler reads and sets it");

} // namespace

void press_escape() noexcept { escape_down.store(true); }

void press_escape_after(std::chrono::steady_clock::duration delay)
{
    escape_due = std::chrono::steady_clock::now() + delay;
}

bool interrupt_presses_escape() noexcept
{
    // The steady clock reads clock_gettime (QueryPerformanceCounter on Windows), which a signal
    // handler may call.
    const Ticks now = std::chrono::steady_clock::now().time_since_epoch().count();
    Ticks first = no_interrupt;
    if (first_interrupt.compare_exchange_strong(first, now)) {
        press_escape();
        return true;
    }
    return now - first < one_keypress;
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
