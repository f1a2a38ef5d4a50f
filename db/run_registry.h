// Every run of the process that a caller may still want, by its request: the run being waited
// for, and runs that were left (Esc) and go on, or have ended, on their worker. The next call of
// the same request joins such a run or takes its outcome, so that a statement is never sent twice;
// clearing the cache forgets them, and running the statement again is then the user's choice.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "db/worker_run.h"

namespace db {

class RunRegistry {
public:
    // The process-wide registry of the query functions. Never destroyed (see xll/immortal.h).
    static RunRegistry& instance();

    RunRegistry() = default;
    RunRegistry(const RunRegistry&) = delete;
    RunRegistry& operator=(const RunRegistry&) = delete;

    // The run of this request, or null.
    std::shared_ptr<WorkerRun> find(const Request& request) const;
    void add(std::shared_ptr<WorkerRun> run);
    void remove(const std::shared_ptr<WorkerRun>& run);
    // Forgets every run; those still going end on their own and close their connections.
    void clear();
    size_t size() const;

private:
    mutable std::mutex lock_;
    std::vector<std::shared_ptr<WorkerRun>> runs_;
};

} // namespace db
