// A request running on a worker thread of its own: the run owns its connection and its statement,
// its phase, its rows and, once it ended, its outcome. Any thread may wait for it or leave it; a
// run that was left goes on to its end on its own time and then closes its connection. Whatever
// may block (connecting, the driver, a cancel sent to a frozen server) happens on the worker or
// on a helper thread that nobody waits for.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "db/calendar.h"
#include "db/connection_pool.h"
#include "db/driver_family.h"
#include "db/statement_run.h"
#include "db/request.h"

namespace db {

class WorkerRun : public std::enable_shared_from_this<WorkerRun> {
public:
    // Told on the worker once the run has ended and its waiters were woken.
    using Ended = std::function<void(const std::shared_ptr<WorkerRun>&)>;

    // Starts the request on a worker thread once the scheduler gives it its turn
    // (db/query_scheduler.h), with a connection kept in the pool for its string (checked first
    // unless it was used moments ago) or a new one. Where no thread can be had, it runs here, to
    // its end.
    static std::shared_ptr<WorkerRun> start(Request request, std::shared_ptr<ConnectionPool> pool,
                                            std::unique_ptr<Calendar> calendar, Ended ended = {});

    WorkerRun(Request request, std::shared_ptr<ConnectionPool> pool, std::unique_ptr<Calendar> calendar,
              Ended ended = {});
    // Hands a run made here to the scheduler: start() made and launched at once.
    void launch();
    WorkerRun(const WorkerRun&) = delete;
    WorkerRun& operator=(const WorkerRun&) = delete;

    const Request& request() const { return request_; }
    Phase phase() const { return progress_.phase.load(); }
    size_t rows() const { return progress_.rows.load(); }

    // Waits at most `time` for the run's end; whether it ended.
    bool wait_for(std::chrono::milliseconds time);
    bool finished() const;
    // The outcome of an ended run, moved to the caller: taken once.
    QueryResult take_outcome();
    // The outcome of an ended run, to read where nothing takes it meanwhile.
    const QueryResult& outcome() const { return outcome_; }

    // The waiting side gives the run up. The worker stops where it looks (before the statement is
    // sent, between rows); a statement inside the driver is cancelled once, on a helper thread,
    // the way its engine takes (see db/driver_family.h), or abandoned to finish. A stopped run's
    // session is never kept.
    void stop();
    // A caller waits for the run again: the wish to stop is withdrawn (a cancel sent stays sent).
    void rejoin() { progress_.stop.store(false); }
    // Whether the run was ever asked to stop.
    bool was_stopped() const { return ever_stopped_.load(); }


private:
    void work() noexcept;
    QueryResult run();
    void cancel(Phase seen) noexcept;

    const Request request_;
    const std::shared_ptr<ConnectionPool> pool_;
    const std::unique_ptr<Calendar> calendar_;
    const Ended ended_hook_;

    // Written by the worker's statement, read here and by the waiting side.
    RunProgress progress_;
    std::atomic<bool> ever_stopped_{false};

    mutable std::mutex lock_;
    std::condition_variable ended_;
    bool cancel_sent_ = false; // under lock_
    bool settled_ = false;     // under lock_: the statement is over, no cancel may be sent any more
    bool finished_ = false;    // under lock_
    QueryResult outcome_;      // under lock_

    // The worker's alone, but for the statement's cancel. The statement goes before its connection.
    std::unique_ptr<OdbcConnection> connection_;
    OdbcStatement statement_;
};

} // namespace db
