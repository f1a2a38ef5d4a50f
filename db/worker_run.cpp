#include "db/worker_run.h"

#include "db/connection_health.h"
#include "db/limits.h"
#include "db/query_scheduler.h"
#include "xll/platform.h"
#include "xll/text.h"

namespace db {

namespace {

double milliseconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The server's own way to stop a statement: a short connection of its own that names the
// session. Its failure changes nothing: the statement then ends on its own.
void kill_query(const xll::xstring& connection_string, long long session) noexcept
{
    try {
        OdbcConnection killer(connection_string);
        if (!killer.connected())
            return;
        OdbcStatement statement;
        killer.execute(kill_statement(session), statement);
    }
    catch (...) {
    }
}

} // namespace

WorkerRun::WorkerRun(Request request, std::shared_ptr<ConnectionPool> pool, std::unique_ptr<Calendar> calendar,
                     Ended ended)
    : request_(std::move(request)), pool_(std::move(pool)), calendar_(std::move(calendar)),
      ended_hook_(std::move(ended))
{
}

std::shared_ptr<WorkerRun> WorkerRun::start(Request request, std::shared_ptr<ConnectionPool> pool,
                                            std::unique_ptr<Calendar> calendar, Ended ended)
{
    auto run = std::make_shared<WorkerRun>(std::move(request), std::move(pool), std::move(calendar), std::move(ended));
    run->launch();
    return run;
}

void WorkerRun::launch()
{
    const xll::xstring& source = request_.connection_string;
    QueryScheduler::instance().submit(source, queries_per_source_of(source), [self = shared_from_this()] { self->work(); });
}

QueryResult WorkerRun::run()
{
    const auto start = std::chrono::steady_clock::now();
    progress_.phase.store(Phase::connecting);
    // Stopped while it waited its turn: nothing was sent, and no connection is taken for it.
    if (progress_.stop.load()) {
        QueryResult stopped;
        stopped.fail(FailureKind::cancelled, {Failure::Cause::stopped, 0, {}, {}});
        return stopped;
    }
    // A kept connection that no longer reaches its server (or whose file was replaced) is found
    // out here, before the user's statement is sent, and replaced; one used moments ago is
    // trusted (db/limits.h). A statement is never sent twice, so a session lost after sending
    // shows its failure as any failure does.
    auto kept = pool_->lend(request_.connection_string);
    connection_ = std::move(kept.connection);
    if (connection_ && !still_alive(*connection_, statement_, kept.trusted))
        connection_.reset();
    if (!connection_) {
        connection_ = std::make_unique<OdbcConnection>();
        connection_->set_connection_string(request_.connection_string);
    }
    QueryResult q = run_statement(*connection_, statement_, request_.execution(), request_.headers, *calendar_, &progress_);
    q.elapsed_ms = milliseconds_since(start);
    return q;
}

void WorkerRun::work() noexcept
{
    QueryResult q;
    try {
        q = run();
    }
    // What escapes the run is a lack of memory before its statement (for a connection, a copy of
    // the request): told by what it says, or, with no room even for that, of unknown cause.
    catch (const std::exception& e) {
        q.fail(FailureKind::transient, {});
        try {
            q.failure = {Failure::Cause::message, 0, {}, e.what()};
        }
        catch (...) {
        }
    }
    catch (...) {
        q.fail(FailureKind::transient, {});
    }
    bool stopped = false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        settled_ = true;
        stopped = ever_stopped_.load();
        // A failure once the cancel is under way is the cancel's, whatever the driver made of it
        // (a closed cursor, a function sequence error): never kept as the statement's own.
        if (cancel_sent_ && q.status == QueryStatus::failed)
            q.kind = FailureKind::cancelled;
    }
    // A stopped statement leaves its session in doubt (a server may even apply a late cancel to
    // the next statement): it is closed, as is one that the query left unfit. A kept connection is
    // back in the pool before anyone hears of the end, so that the next query finds it.
    try {
        if (!stopped && connection_ && ready_to_keep(*connection_, statement_, q.status != QueryStatus::ok))
            pool_->keep(request_.connection_string, std::move(connection_));
    }
    catch (...) { // no room to keep it: closed below
    }
    {
        std::lock_guard<std::mutex> hold(lock_);
        outcome_ = std::move(q);
        finished_ = true;
    }
    ended_.notify_all();
    connection_.reset();
    if (ended_hook_) {
        try {
            ended_hook_(shared_from_this());
        }
        catch (...) { // the hook answers its own failures; the worker only ends
        }
    }
}

bool WorkerRun::wait_for(std::chrono::milliseconds time)
{
    std::unique_lock<std::mutex> hold(lock_);
    return ended_.wait_for(hold, time, [&] { return finished_; });
}

bool WorkerRun::finished() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return finished_;
}

QueryResult WorkerRun::take_outcome()
{
    std::lock_guard<std::mutex> hold(lock_);
    return std::move(outcome_);
}

void WorkerRun::stop()
{
    progress_.stop.store(true);
    ever_stopped_.store(true);
    // Read after the stop is set, as the worker sets its phase before it looks: either the worker
    // sees the stop before sending, or this sees the statement sent.
    const Phase seen = phase();
    std::lock_guard<std::mutex> hold(lock_);
    if (seen == Phase::connecting || settled_ || cancel_sent_ || progress_.cancel_way.load() == CancelWay::abandon)
        return;
    cancel_sent_ = true;
    auto self = shared_from_this();
    xll::platform::start_detached_thread([self, seen] { self->cancel(seen); });
}

void WorkerRun::cancel(Phase seen) noexcept
{
    // Rows still arriving: the worker stops at the next one by itself, unless a fetch waits on
    // the server.
    if (seen == Phase::fetching && wait_for(fetch_cancel_grace))
        return;
    {
        // Joined again meanwhile: the run is wanted after all. A later Esc may send the cancel.
        std::lock_guard<std::mutex> hold(lock_);
        if (!progress_.stop.load()) {
            cancel_sent_ = false;
            return;
        }
    }
    if (progress_.cancel_way.load() == CancelWay::kill_query) {
        if (const long long session = progress_.session.load(); session >= 0)
            kill_query(request_.connection_string, session);
    }
    else
        statement_.cancel();
}

} // namespace db
