// zQuery's cells as an asynchronous function has them: a call starts the request's run (or joins
// the run of the same request, so that identical cells run their statement once) and returns; the
// run's worker gives every cell waiting on it the same value once it ends, the only call it makes
// to the spreadsheet, which copies it. Esc (the calculation cancelled) answers every waiting cell
// at once and stops the runs; the end of a calculation moves the ended runs' results into the
// cache on the spreadsheet's thread, which alone touches the cache. Once the add-in closes, no
// cell is answered any more: the handles are dropped and the runs left to end on their own.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "db/result_cache.h"
#include "db/run_registry.h"

namespace db {

class WaitingCells {
public:
    // Gives a cell's call its value; whether the spreadsheet took it. Called from any thread.
    using Answer = std::function<bool(const XLOPER12& handle, const XLOPER12& value)>;

    // The process-wide cells of zQuery, answered through xlAsyncReturn. Never destroyed.
    static WaitingCells& instance();

    WaitingCells(RunRegistry& registry, std::shared_ptr<ConnectionPool> pool,
                 std::function<std::unique_ptr<Calendar>()> calendar, Answer answer);
    WaitingCells(const WaitingCells&) = delete;
    WaitingCells& operator=(const WaitingCells&) = delete;

    // A cell's call, on the spreadsheet's thread, after the cache missed: answered within the
    // call when the request's run has ended already, else left waiting for its run.
    void call(const XLOPER12& handle, Request request);
    // The user's Esc: every waiting cell is answered "#Cancelled after N rows" (for a statement
    // that may have changed data, that its changes are kept) and its run stopped under the rules
    // of Esc. The runs stay known, so that the next calculation joins them instead of sending a
    // statement twice.
    void cancel_all();
    // The calculation ended: every ended run that no cell waits for goes into the cache as the
    // cache admits it (stamped with `stamp()`), and is forgotten.
    void settle(ResultCache& cache, const std::function<double()>& stamp);
    // The add-in closes: nothing is answered from now on; every run is stopped and left.
    void close();
    // The add-in opens (again): cells are answered.
    void open();

    size_t waiting() const;

private:
    struct Waiting {
        std::shared_ptr<WorkerRun> run;
        XLOPER12 handle;
    };

    // On the worker of an ended run: its cells get its value, or a run afresh. Under lock_.
    void ended(const std::shared_ptr<WorkerRun>& run) noexcept;
    std::shared_ptr<WorkerRun> start(const Request& request);
    // Answers the cell with what the ended run gives it; false when it must run again.
    bool answer_from(const WorkerRun& run, const XLOPER12& handle) const;

    RunRegistry& registry_;
    const std::shared_ptr<ConnectionPool> pool_;
    const std::function<std::unique_ptr<Calendar>()> calendar_;
    const Answer answer_;

    mutable std::mutex lock_;
    std::vector<Waiting> waiting_;                 // under lock_
    std::vector<std::shared_ptr<WorkerRun>> runs_; // under lock_: started or joined, not yet settled
    bool open_ = true;                             // under lock_
};

} // namespace db
