// Which queries run now and which wait: at most a few at once per data source (its connection
// string) and a modest number in all (db/limits.h), the others in the order they came. A query
// waits here without a thread; each admitted one runs on a detached thread of its own, which then
// takes the next query that may run, so a sheet of a hundred queries starts a handful of threads.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "db/limits.h"
#include "xll/traits.h"

namespace db {

class QueryScheduler {
public:
    // The process-wide scheduler of the query functions. Never destroyed (see xll/immortal.h).
    static QueryScheduler& instance();

    explicit QueryScheduler(size_t total = running_queries);
    QueryScheduler(const QueryScheduler&) = delete;
    QueryScheduler& operator=(const QueryScheduler&) = delete;

    // Runs the work once the source has fewer than `source_limit` works running (at least one)
    // and the scheduler fewer than its total, after every work that came before it and may run.
    // Where no thread can be had, the work runs here, on the caller's thread.
    void submit(xll::xstring source, size_t source_limit, std::function<void()> work);

    size_t running() const;
    size_t waiting() const;

private:
    struct Waiting {
        xll::xstring source;
        size_t source_limit;
        std::function<void()> work;
    };

    // The first waiting work that may run now, counted as running; false for none. Under lock_.
    bool admit_next(Waiting& next);
    void run_from(Waiting first) noexcept;
    // A finished work's place, given back. Under lock_.
    void give_back_place(const xll::xstring& source) noexcept;

    const size_t total_;
    mutable std::mutex lock_;
    std::deque<Waiting> waiting_;
    std::map<xll::xstring, size_t> running_by_source_;
    size_t running_ = 0;
};

// The works a connection string allows at once: its MaxQueries attribute when it gives a whole
// number from 1, else db::queries_per_source.
size_t queries_per_source_of(xll::xstring_view connection_string);

} // namespace db
