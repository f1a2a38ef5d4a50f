#include "db/query_scheduler.h"

#include <algorithm>
#include <memory>

#include "db/odbc_connection.h"
#include "xll/immortal.h"
#include "xll/platform.h"

namespace db {

QueryScheduler& QueryScheduler::instance()
{
    static xll::Immortal<QueryScheduler> scheduler;
    return scheduler.value;
}

QueryScheduler::QueryScheduler(size_t total) : total_(total > 0 ? total : 1) {}

bool QueryScheduler::admit_next(Waiting& next)
{
    if (running_ >= total_)
        return false;
    for (auto w = waiting_.begin(); w != waiting_.end(); ++w) {
        size_t& of_source = running_by_source_[w->source];
        if (of_source < std::max<size_t>(w->source_limit, 1)) {
            ++of_source;
            ++running_;
            next = std::move(*w);
            waiting_.erase(w);
            return true;
        }
    }
    return false;
}

void QueryScheduler::submit(xll::xstring source, size_t source_limit, std::function<void()> work)
{
    Waiting next;
    {
        std::lock_guard<std::mutex> hold(lock_);
        waiting_.push_back(Waiting{std::move(source), source_limit, std::move(work)});
        if (!admit_next(next))
            return;
    }
    auto started = std::make_shared<Waiting>(std::move(next));
    if (!xll::platform::start_detached_thread([this, started] { run_from(std::move(*started)); }))
        run_from(std::move(*started));
}

void QueryScheduler::run_from(Waiting first) noexcept
{
    Waiting current = std::move(first);
    for (;;) {
        try {
            current.work();
        }
        catch (...) { // a work answers its own failures; nothing may stop the ones after it
        }
        current.work = nullptr;
        // The place given back and the next work taken in one hold of the lock: once the count
        // of running works is seen at nought, no worker is left inside the scheduler.
        std::lock_guard<std::mutex> hold(lock_);
        give_back_place(current.source);
        if (!admit_next(current))
            return;
    }
}

void QueryScheduler::give_back_place(const xll::xstring& source) noexcept
{
    --running_;
    auto of_source = running_by_source_.find(source);
    if (of_source != running_by_source_.end() && --of_source->second == 0)
        running_by_source_.erase(of_source);
}

size_t QueryScheduler::running() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return running_;
}

size_t QueryScheduler::waiting() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return waiting_.size();
}

size_t queries_per_source_of(xll::xstring_view connection_string)
{
    const long given = whole_attribute(connection_string, max_queries_keyword);
    return given > 0 ? static_cast<size_t>(given) : queries_per_source;
}

} // namespace db
