#include "db/run_registry.h"

#include <algorithm>

#include "xll/auto.h"
#include "xll/immortal.h"

namespace db {

RunRegistry& RunRegistry::instance()
{
    static xll::Immortal<RunRegistry> registry;
    return registry.value;
}

std::shared_ptr<WorkerRun> RunRegistry::find(const Request& request) const
{
    std::lock_guard<std::mutex> hold(lock_);
    for (const auto& run : runs_)
        if (run->request() == request)
            return run;
    return nullptr;
}

void RunRegistry::add(std::shared_ptr<WorkerRun> run)
{
    std::lock_guard<std::mutex> hold(lock_);
    runs_.push_back(std::move(run));
}

void RunRegistry::remove(const std::shared_ptr<WorkerRun>& run)
{
    std::lock_guard<std::mutex> hold(lock_);
    runs_.erase(std::remove(runs_.begin(), runs_.end(), run), runs_.end());
}

void RunRegistry::clear()
{
    std::vector<std::shared_ptr<WorkerRun>> forgotten;
    std::lock_guard<std::mutex> hold(lock_);
    forgotten.swap(runs_);
}

size_t RunRegistry::size() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return runs_.size();
}

namespace {

// Closing the add-in (xlAutoClose) closes its connections while the driver manager is surely
// still there, and forgets its runs; a run still going closes its own when it ends.
int close_kept_connections()
{
    ConnectionPool::instance()->clear();
    RunRegistry::instance().clear();
    return 1;
}

xll::Auto<xll::Close> close_at_unload(close_kept_connections);

} // namespace

} // namespace db
