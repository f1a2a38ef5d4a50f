// A query on a worker thread while the calling thread stays with the spreadsheet. Only the
// calling thread ever talks to the host: every ~100 ms it asks whether the user pressed Esc (and
// then stops the run), and once the query has taken a second it shows its progress on the status
// bar, a few times a second at most, handing the bar back when the query ends, however it ends.
#pragma once

#include <chrono>
#include <functional>

#include "db/query.h"
#include "db/query_run.h"

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
    std::chrono::milliseconds poll{100};          // how often Esc is asked for
    std::chrono::milliseconds quiet{1000};        // a query shorter than this shows nothing
    std::chrono::milliseconds status_every{250};  // the shortest time between two status texts
};

struct WatchedQuery {
    QueryResult result;
    size_t rows = 0; // fetched when the run ended
};

// Runs the work on a worker thread, reporting to and stopped through its run. `label` names the
// function in the status text. A query the user stopped is cancelled whatever the work made of
// it, and its value says nothing: the caller shows cancelled_text instead. Where no thread can be
// had, the work runs here, without Esc.
WatchedQuery watch_query(const std::function<QueryResult(QueryRun&)>& work, WatchHost& host, xll::xstring_view label,
                         const WatchTimes& times = {});

// "zStatement: 120,000 rows (Esc to cancel)", and the texts of the phases before the first row.
xll::xstring progress_text(xll::xstring_view label, QueryRun::Phase phase, size_t rows, bool stopping);
// "#Cancelled after 120,000 rows"
xll::xstring cancelled_text(size_t rows);

} // namespace db
