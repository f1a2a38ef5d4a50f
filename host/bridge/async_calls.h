// The asynchronous calls of a calculation. Each call of an asynchronous function gets a handle of
// its own; the add-in gives the value back for it through xlAsyncReturn, from any thread, and the
// formula that made the call is calculated again and finds the value here. A call is known by who
// made it (a cell, or a formula outside cells), the function and the arguments, so calculating
// the formula again does not call again. Only values come in from other threads; everything else
// is asked on the host's thread.
#pragma once

#include "host/engine/cell_address.h"
#include "host/engine/value.h"
#include "xll/xlcall.h"

#include <chrono>
#include <compare>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace zorvane::host {

// A cell, or the formula-th formula calculated outside cells (counted from 1).
struct AsyncCaller {
    CellAddress cell{-1, -1};
    std::size_t formula = 0;
    auto operator<=>(const AsyncCaller&) const = default;
};

class AsyncCalls {
public:
    using Handle = std::uint64_t;
    enum class State { unknown, waiting, answered };

    // The caller's earlier call of the function (its register id) with these arguments: unknown
    // when there is none, waiting while it has no value (also after Esc refused its value), else
    // answered with `value` set.
    State look_up(const AsyncCaller& caller, double function, const std::vector<Value>& args, Value& value) const;
    // A new pending call.
    Handle start(const AsyncCaller& caller, double function, std::vector<Value> args);
    // From any thread: takes a copy of each value whose handle is still pending. The number taken.
    std::size_t answer(const std::vector<std::pair<Handle, Value>>& answers);
    // Whether the caller has no call still waiting for its value.
    bool all_answered(const AsyncCaller& caller) const;
    std::size_t pending() const;
    // Whether a value is still to come, or came since the last wait: a calculation waiting for
    // nothing else may end only when neither holds.
    bool values_to_come() const;

    // Waits until a value arrives (true) or `stop` holds (false), asking `stop` every `poll`.
    bool wait_for_answer(const std::function<bool()>& stop, std::chrono::milliseconds poll);
    // Calls still pending take no value from now on (Esc, or a function that failed and will
    // never answer).
    void refuse_pending();
    void refuse(Handle handle);
    // The calculation is over: every call is forgotten, and a value for any of them is refused.
    void clear();

private:
    struct Call {
        AsyncCaller caller;
        double function = 0;
        std::vector<Value> args;
        enum class Status { pending, answered, refused } status = Status::pending;
        Value value;
    };

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::map<Handle, Call> calls_;
    std::multimap<AsyncCaller, Handle> by_caller_;
    Handle next_ = 1;
    bool news_ = false; // a value arrived since the last wait
};

// The handle as the value record an asynchronous function receives (xltypeBigData), and back.
XLOPER12 async_handle_record(AsyncCalls::Handle handle);
std::optional<AsyncCalls::Handle> async_handle_of(const XLOPER12& record);

} // namespace zorvane::host
