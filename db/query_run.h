// What a query running on a worker thread shares with the thread that waits for it: how far it
// has come, and the user's wish to stop it. The worker reports and looks; the waiting thread reads
// and asks. The statement the run works with lives here, so that the waiting thread can ask the
// driver to stop it while the worker is inside the driver.
#pragma once

#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <string>

#include "db/odbc_handles.h"
#include "xll/failure_texts.h"

namespace db {

// Thrown on the worker where it notices that its run was stopped.
class QueryStopped : public std::runtime_error {
public:
    QueryStopped() : std::runtime_error(std::string(xll::failure_texts::cancelled)) {}
};

class QueryRun {
public:
    enum class Phase { connecting, executing, fetching };

    QueryRun() = default;
    QueryRun(const QueryRun&) = delete;
    QueryRun& operator=(const QueryRun&) = delete;

    // The worker's side.
    void enter(Phase phase) { phase_.store(phase, std::memory_order_relaxed); }
    void rows(size_t fetched) { rows_.store(fetched, std::memory_order_relaxed); }
    bool stop_requested() const { return stop_.load(); }
    void throw_if_stopped() const
    {
        if (stop_requested())
            throw QueryStopped();
    }
    // The one statement of the run at a time: a kept connection's check, then the user's.
    OdbcStatement& statement() { return statement_; }

    // The waiting side.
    Phase phase() const { return phase_.load(std::memory_order_relaxed); }
    size_t rows() const { return rows_.load(std::memory_order_relaxed); }
    // Asks the run to stop; asked again at every wait until the worker is done, so that a
    // statement that only began executing after the first ask is reached too.
    void stop();

private:
    std::atomic<Phase> phase_{Phase::connecting};
    std::atomic<size_t> rows_{0};
    std::atomic<bool> stop_{false};
    size_t rows_at_last_stop_ = 0; // the waiting side's own
    OdbcStatement statement_;
};

} // namespace db
