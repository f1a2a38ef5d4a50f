// The calling thread's side of a query: it starts or joins the request's run, then waits for it
// while it stays with the spreadsheet. Only this thread ever talks to the host: every ~100 ms it
// asks whether the user pressed Esc, and once the query has taken a second it shows its progress
// on the status bar, a few times a second at most, handing the bar back when it stops waiting.
// On Esc it leaves at once, whatever the driver, the server or a lock is doing: it never waits for
// the worker, it only tells the run to stop.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "db/limits.h"
#include "db/run_registry.h"

namespace db {

// What the waiting thread asks of the spreadsheet. None of it may throw.
class WatchHost {
public:
    virtual ~WatchHost() = default;
    // Whether the user pressed Esc since the last asking; the press is used up.
    virtual bool escape_pressed() noexcept = 0;
    virtual void show_status(xll::xstring_view text) noexcept = 0;
    // The spreadsheet's own status bar back.
    virtual void give_back_status() noexcept = 0;
};

// The real spreadsheet: xlAbort and the status bar. A host that refuses has no Esc and no bar.
class SpreadsheetWatchHost : public WatchHost {
public:
    bool escape_pressed() noexcept override;
    void show_status(xll::xstring_view text) noexcept override;
    void give_back_status() noexcept override;
};

struct WatchTimes {
    std::chrono::milliseconds poll = esc_poll;           // how often Esc is asked for
    std::chrono::milliseconds quiet = quiet_time;        // a query shorter than this shows nothing
    std::chrono::milliseconds status_every = db::status_every; // the shortest time between two texts
};

// Where a request runs: the registry of runs, the pool its connections come from and go back to,
// a calendar for each run, the spreadsheet and the times of the waiting.
struct RunPlace {
    RunRegistry& registry;
    std::shared_ptr<ConnectionPool> pool;
    std::function<std::unique_ptr<Calendar>()> calendar;
    WatchHost& host;
    WatchTimes times = {};
};

// The request's answer: the outcome of its run (started now, or joined, or taken from a run left
// earlier), or on Esc what the user stopped, as a failure whose text the edge writes: stopped
// while connecting or after N rows (of the kind cancelled, kept nowhere; the run stays in the
// registry), or for a statement that may have changed data and had executed, its changes kept (of
// the kind statement, kept in the cache like any result, so the statement is not sent again on
// its own).
QueryResult answer_request(const Request& request, RunPlace& place);

// What an ended run gives the caller who waits for it now.
enum class AfterRun {
    outcome,      // its outcome, as it stands: complete, or failed on its own
    changes_kept, // an earlier Esc stopped a statement that may have changed data: never sent again
    run_again,    // an earlier Esc stopped it before it could change anything: it runs afresh, once
};
AfterRun after_run(const WorkerRun& run);

} // namespace db
