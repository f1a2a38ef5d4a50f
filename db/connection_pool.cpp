#include "db/connection_pool.h"

#include <algorithm>

#include "xll/immortal.h"

namespace db {

ConnectionPool::ConnectionPool(size_t capacity, std::chrono::steady_clock::duration idle_limit, Clock clock,
                               std::chrono::steady_clock::duration trusted)
    : capacity_(capacity), idle_limit_(idle_limit), clock_(std::move(clock)), trusted_(trusted)
{
}

const std::shared_ptr<ConnectionPool>& ConnectionPool::instance()
{
    static xll::Immortal<std::shared_ptr<ConnectionPool>> pool(std::make_shared<ConnectionPool>());
    return pool.value;
}

ConnectionPool::Lent ConnectionPool::lend(xll::xstring_view connection_string)
{
    // Closed outside the lock, after it: a disconnect may wait for the server.
    std::vector<Kept> expired;
    Lent found;
    {
        std::lock_guard<std::mutex> hold(lock_);
        const auto now = clock_();
        auto idle = std::stable_partition(kept_.begin(), kept_.end(),
                                          [&](const Kept& k) { return now - k.last_used <= idle_limit_; });
        std::move(idle, kept_.end(), std::back_inserter(expired));
        kept_.erase(idle, kept_.end());
        auto match = std::find_if(kept_.rbegin(), kept_.rend(),
                                  [&](const Kept& k) { return k.connection_string == connection_string; });
        if (match != kept_.rend()) {
            found.connection = std::move(match->connection);
            found.trusted = now - match->last_used <= trusted_;
            kept_.erase(std::next(match).base());
        }
    }
    return found;
}

void ConnectionPool::keep(xll::xstring_view connection_string, std::unique_ptr<OdbcConnection> connection)
{
    if (!connection)
        return;
    std::vector<Kept> evicted;
    {
        std::lock_guard<std::mutex> hold(lock_);
        kept_.push_back(Kept{xll::xstring(connection_string), std::move(connection), clock_()});
        while (kept_.size() > capacity_) {
            evicted.push_back(std::move(kept_.front()));
            kept_.erase(kept_.begin());
        }
    }
}

void ConnectionPool::clear()
{
    std::vector<Kept> closing;
    {
        std::lock_guard<std::mutex> hold(lock_);
        closing.swap(kept_);
    }
}

size_t ConnectionPool::size() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return kept_.size();
}

} // namespace db
