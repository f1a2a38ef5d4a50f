// What a statement running on a worker shares with the threads that wait for it: a record the run
// writes (its phase, its rows, what a cancel needs) and reads where it looks whether it is still
// wanted (before the statement is sent, after it executed, between rows). Shared as data, so the
// statement's run never calls back into the run that started it.
#pragma once

#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <string>

#include "db/driver_family.h"
#include "xll/failure_texts.h"

namespace db {

enum class Phase {
    connecting, // a connection is being opened or a kept one checked: nothing is sent yet
    executing,  // the statement was handed to the driver
    fetching,   // the statement executed; its rows arrive
};

// Thrown on the worker where it notices that its run was stopped.
class QueryStopped : public std::runtime_error {
public:
    QueryStopped() : std::runtime_error(std::string(xll::failure_texts::cancelled)) {}
};

struct RunProgress {
    std::atomic<Phase> phase{Phase::connecting};
    std::atomic<size_t> rows{0};
    // Written by the waiting side: the run is no longer wanted.
    std::atomic<bool> stop{false};
    // Known once connected, for the cancel: published before the phase leaves connecting.
    std::atomic<CancelWay> cancel_way{CancelWay::abandon};
    std::atomic<long long> session{-1};

    // Throws QueryStopped when the run is no longer wanted.
    void throw_if_stopped() const
    {
        if (stop.load())
            throw QueryStopped();
    }
};

} // namespace db
