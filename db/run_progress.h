// What a statement running on a worker tells the threads that wait for it, and where it looks
// whether they still want it: before the statement is sent, after it executed, between rows.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

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

class RunProgress {
public:
    virtual void enter(Phase phase) = 0;
    virtual void rows(size_t fetched) = 0;
    // Throws QueryStopped when the run is no longer wanted.
    virtual void throw_if_stopped() const = 0;

protected:
    ~RunProgress() = default;
};

} // namespace db
