#include "db/waiting_cells.h"

#include <algorithm>

#include "db/run_text.h"
#include "db/run_watch.h"
#include "xll/async_return.h"
#include "xll/immortal.h"

namespace db {

WaitingCells& WaitingCells::instance()
{
    static xll::Immortal<WaitingCells> cells(RunRegistry::instance(), ConnectionPool::instance(),
                                             [] { return std::make_unique<SerialCalendar>(); }, xll::async_return);
    return cells.value;
}

WaitingCells::WaitingCells(RunRegistry& registry, std::shared_ptr<ConnectionPool> pool,
                           std::function<std::unique_ptr<Calendar>()> calendar, Answer answer)
    : registry_(registry), pool_(std::move(pool)), calendar_(std::move(calendar)), answer_(std::move(answer))
{
}

std::shared_ptr<WorkerRun> WaitingCells::start(const Request& request)
{
    auto run = std::make_shared<WorkerRun>(request, pool_, calendar_(),
                                           [this](const std::shared_ptr<WorkerRun>& ended_run) { ended(ended_run); });
    registry_.add(run);
    runs_.push_back(run);
    return run;
}

bool WaitingCells::answer_from(const WorkerRun& run, const XLOPER12& handle) const
{
    switch (after_run(run)) {
    case AfterRun::outcome: {
        const QueryResult& q = run.outcome();
        if (q.status == QueryStatus::ok)
            answer_(handle, q.value);
        else
            answer_(handle, failure_value(q.failure));
        return true;
    }
    case AfterRun::changes_kept:
        answer_(handle, failure_value({Failure::Cause::changes_kept, run.rows(), {}, {}}));
        return true;
    case AfterRun::run_again: break;
    }
    return false;
}

void WaitingCells::call(const XLOPER12& handle, Request request)
{
    std::shared_ptr<WorkerRun> launching;
    {
        std::lock_guard<std::mutex> hold(lock_);
        std::shared_ptr<WorkerRun> run = registry_.find(request);
        if (run && std::find(runs_.begin(), runs_.end(), run) == runs_.end())
            runs_.push_back(run);
        // Ended, and not yet in the cache: its value now, unless an earlier Esc stopped it before
        // it could change anything, which this calculation runs afresh.
        if (run && run->finished()) {
            if (answer_from(*run, handle))
                return;
            registry_.remove(run);
            run = nullptr;
        }
        if (run)
            run->rejoin();
        else
            launching = run = start(request);
        waiting_.push_back(Waiting{run, handle});
    }
    // Outside the lock: where no thread can be had, the run ends here, and tells its cells.
    if (launching)
        launching->launch();
}

void WaitingCells::ended(const std::shared_ptr<WorkerRun>& run) noexcept
{
    std::shared_ptr<WorkerRun> launching;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!open_)
            return;
        std::vector<XLOPER12> handles;
        for (const auto& w : waiting_)
            if (w.run == run)
                handles.push_back(w.handle);
        if (handles.empty())
            return;
        waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(), [&](const Waiting& w) { return w.run == run; }),
                       waiting_.end());
        if (after_run(*run) != AfterRun::run_again) {
            for (const auto& h : handles)
                answer_from(*run, h);
            return;
        }
        // Cells that joined the run after an Esc stopped it: their calculation runs it afresh.
        try {
            registry_.remove(run);
            launching = start(run->request());
            for (const auto& h : handles)
                waiting_.push_back(Waiting{launching, h});
        }
        catch (...) { // no room for another run: the cells are told as Esc tells them
            const xll::OPER12 text = failure_value({Failure::Cause::stopped, run->rows(), {}, {}});
            for (const auto& h : handles)
                answer_(h, text);
            return;
        }
    }
    launching->launch();
}

void WaitingCells::cancel_all()
{
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<std::shared_ptr<WorkerRun>> stopping;
    for (const auto& w : waiting_) {
        const WorkerRun& run = *w.run;
        const size_t rows = run.rows();
        const bool kept = run.phase() == Phase::fetching && run.request().changes_data();
        answer_(w.handle, failure_value({kept ? Failure::Cause::changes_kept : Failure::Cause::stopped, rows, {}, {}}));
        if (std::find(stopping.begin(), stopping.end(), w.run) == stopping.end())
            stopping.push_back(w.run);
    }
    waiting_.clear();
    for (const auto& run : stopping)
        run->stop();
}

void WaitingCells::settle(ResultCache& cache, const std::function<double()>& stamp)
{
    std::lock_guard<std::mutex> hold(lock_);
    auto still_wanted = [&](const std::shared_ptr<WorkerRun>& run) {
        if (!run->finished())
            return true;
        // Its worker has yet to answer these cells from its outcome.
        return std::any_of(waiting_.begin(), waiting_.end(), [&](const Waiting& w) { return w.run == run; });
    };
    std::vector<std::shared_ptr<WorkerRun>> kept;
    for (auto& run : runs_) {
        if (still_wanted(run)) {
            kept.push_back(std::move(run));
            continue;
        }
        const Request& r = run->request();
        const QueryParameters* parameters = r.parameters ? &*r.parameters : nullptr;
        switch (after_run(*run)) {
        case AfterRun::outcome: {
            QueryResult q = run->take_outcome();
            const double when = ResultCache::admits(q) ? stamp() : 0;
            cache.store(std::move(q), r.connection_string, r.statement, r.headers, when, parameters);
            break;
        }
        case AfterRun::changes_kept: {
            QueryResult q;
            q.fail(FailureKind::statement, {Failure::Cause::changes_kept, run->rows(), {}, {}});
            cache.store(std::move(q), r.connection_string, r.statement, r.headers, stamp(), parameters);
            break;
        }
        case AfterRun::run_again: break;
        }
        registry_.remove(run);
    }
    runs_ = std::move(kept);
}

void WaitingCells::close()
{
    std::lock_guard<std::mutex> hold(lock_);
    open_ = false;
    waiting_.clear();
    for (const auto& run : runs_)
        if (!run->finished())
            run->stop();
    runs_.clear();
}

void WaitingCells::open()
{
    std::lock_guard<std::mutex> hold(lock_);
    open_ = true;
}

size_t WaitingCells::waiting() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return waiting_.size();
}

} // namespace db
