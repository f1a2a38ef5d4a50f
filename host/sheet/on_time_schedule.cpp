#include "host/sheet/on_time_schedule.h"

#include "host/engine/utf.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace zorvane::host {

namespace {
// Half a millisecond, in days: times computed as sums of seconds land within this of each other.
constexpr double tolerance = 0.0005 / 86400.0;
// A macro that keeps scheduling itself at the current time would otherwise never let time move.
constexpr int max_runs_per_advance = 100000;
} // namespace

void OnTimeSchedule::schedule(double when, std::string macro)
{
    runs_.push_back({when, std::move(macro), next_sequence_++});
}

bool OnTimeSchedule::cancel(double when, const std::string& macro)
{
    const std::string upper = ascii_upper(macro);
    for (auto it = runs_.begin(); it != runs_.end(); ++it) {
        if (std::fabs(it->when - when) <= tolerance && ascii_upper(it->macro) == upper) {
            runs_.erase(it);
            return true;
        }
    }
    return false;
}

void OnTimeSchedule::advance(double& now, double until, const std::function<void(const std::string&)>& run)
{
    for (int count = 0;; ++count) {
        if (count == max_runs_per_advance)
            throw std::runtime_error("more than " + std::to_string(max_runs_per_advance) + " timed macro runs in one step; stopping");
        auto next = std::min_element(runs_.begin(), runs_.end(), [](const ScheduledRun& a, const ScheduledRun& b) {
            return a.when < b.when || (a.when == b.when && a.sequence < b.sequence);
        });
        if (next == runs_.end() || next->when > until + tolerance)
            break;
        const ScheduledRun due = *next;
        runs_.erase(next);
        now = std::max(now, due.when);
        run(due.macro);
    }
    now = std::max(now, until);
}

} // namespace zorvane::host
