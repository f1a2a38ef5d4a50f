#include "db/run_watch.h"

#include <string>

#include "db/run_text.h"

namespace db {

namespace {

struct Watched {
    bool escaped = false; // the user pressed Esc, and the run was told to stop
    bool ended = false;   // the run had ended when the waiting stopped
    Phase phase = Phase::connecting; // where it stood when Esc was seen
    size_t rows = 0;
};

// Waits for the run's end or the user's Esc. A run that ended before Esc was seen has ended: its
// result is shown, complete.
Watched watch(WorkerRun& run, xll::xstring_view label, WatchHost& host, const WatchTimes& times)
{
    using clock = std::chrono::steady_clock;
    Watched w;
    auto next_status = clock::now() + times.quiet;
    bool shown = false;
    xll::xstring shown_text;
    for (;;) {
        if (run.wait_for(times.poll)) {
            w.ended = true;
            break;
        }
        if (host.escape_pressed()) {
            w.escaped = true;
            w.phase = run.phase();
            w.rows = run.rows();
            run.stop();
            w.ended = run.finished();
            break;
        }
        const auto now = clock::now();
        if (now >= next_status) {
            try {
                xll::xstring text = progress_text(label, run.phase(), run.rows());
                if (text != shown_text) {
                    host.show_status(text);
                    shown_text = std::move(text);
                    shown = true;
                }
            }
            catch (...) { // no memory for a status text: the query goes on without one
            }
            next_status = now + times.status_every;
        }
    }
    if (shown)
        host.give_back_status();
    return w;
}

QueryResult failure(FailureKind kind, Failure::Cause cause, size_t rows = 0)
{
    QueryResult q;
    q.fail(kind, {cause, rows, {}, {}});
    return q;
}

// What the user stopped, told where it stood.
QueryResult left(const Request& request, const Watched& w, RunRegistry& registry,
                 const std::shared_ptr<WorkerRun>& run)
{
    if (w.phase == Phase::connecting)
        return failure(FailureKind::cancelled, Failure::Cause::stopped_connecting);
    if (w.phase == Phase::fetching && request.changes_data()) {
        // Nothing of it can run again on its own: the cache keeps what happened instead.
        registry.remove(run);
        return failure(FailureKind::statement, Failure::Cause::changes_kept, w.rows);
    }
    return failure(FailureKind::cancelled, Failure::Cause::stopped, w.rows);
}

} // namespace

QueryResult answer_request(const Request& request, RunPlace& place)
{
    for (;;) {
        std::shared_ptr<WorkerRun> run = place.registry.find(request);
        const bool joined = run != nullptr;
        if (joined)
            run->rejoin();
        else {
            run = WorkerRun::start(request, place.pool, place.calendar());
            place.registry.add(run);
        }
        const Watched w = watch(*run, request.label(), place.host, place.times);
        if (!w.ended)
            return left(request, w, place.registry, run);
        place.registry.remove(run);
        switch (after_run(*run)) {
        case AfterRun::outcome: return run->take_outcome();
        case AfterRun::changes_kept: return failure(FailureKind::statement, Failure::Cause::changes_kept, run->rows());
        case AfterRun::run_again: break;
        }
        // Stopped by this call's Esc, it is what the user stopped.
        if (w.escaped)
            return left(request, w, place.registry, run);
        if (joined)
            continue;
        return failure(FailureKind::cancelled, Failure::Cause::stopped, run->rows());
    }
}

AfterRun after_run(const WorkerRun& run)
{
    // Complete before any stop was seen, or failed on its own (a server's statement timeout
    // included): the answer as it stands.
    const QueryResult& q = run.outcome();
    if (!q.stopped() || !run.was_stopped())
        return AfterRun::outcome;
    if (q.executed && run.request().changes_data())
        return AfterRun::changes_kept;
    return AfterRun::run_again;
}

} // namespace db
