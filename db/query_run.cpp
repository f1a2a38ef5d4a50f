#include "db/query_run.h"

namespace db {

void QueryRun::stop()
{
    // Set before the driver is asked, so that whatever the cancel makes the worker see, it also
    // sees why.
    const bool asked_before = stop_.exchange(true);
    const size_t fetched = rows();
    switch (phase()) {
    case Phase::connecting:
        break; // no statement yet: the worker looks before it sends one
    case Phase::executing:
        statement_.cancel();
        break;
    case Phase::fetching:
        // The worker looks between rows. Only a fetch that has not come back since the last ask
        // (the driver waiting for the server's next rows) needs the driver's help: SQLite's
        // driver holds a lock through every fetch, and a cancel would wait for the fetching to end.
        if (asked_before && fetched == rows_at_last_stop_)
            statement_.cancel();
        break;
    }
    rows_at_last_stop_ = fetched;
}

} // namespace db
