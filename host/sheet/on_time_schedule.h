// The macros the add-in asked to run at a given time (OnTime). The host clock does not move by
// itself: it moves when a sheet says "advance", and every run that falls due on the way happens
// in time order, with the clock showing its time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zorvane::host {

struct ScheduledRun {
    double when = 0;
    std::string macro;
    std::uint64_t sequence = 0; // keeps runs at the same time in the order they were asked for
};

class OnTimeSchedule {
public:
    void schedule(double when, std::string macro);
    // Removes a run asked for at this time for this macro (case-insensitive); false if none.
    bool cancel(double when, const std::string& macro);

    // Moves `now` to `until`, running each due macro at its time. Runs scheduled while
    // advancing also run when they fall due before `until`. `now` ends at `until`.
    void advance(double& now, double until, const std::function<void(const std::string&)>& run);

    const std::vector<ScheduledRun>& pending() const { return runs_; }

private:
    std::vector<ScheduledRun> runs_;
    std::uint64_t next_sequence_ = 0;
};

} // namespace zorvane::host
