#include "host/bridge/async_calls.h"

#include <algorithm>

namespace zorvane::host {

AsyncCalls::State AsyncCalls::look_up(const AsyncCaller& caller, double function, const std::vector<Value>& args, Value& value) const
{
    std::lock_guard lock(mutex_);
    const auto [first, last] = by_caller_.equal_range(caller);
    for (auto it = first; it != last; ++it) {
        const Call& call = calls_.at(it->second);
        if (call.function != function || call.args != args)
            continue;
        if (call.status != Call::Status::answered)
            return State::waiting;
        value = call.value;
        return State::answered;
    }
    return State::unknown;
}

AsyncCalls::Handle AsyncCalls::start(const AsyncCaller& caller, double function, std::vector<Value> args)
{
    std::lock_guard lock(mutex_);
    const Handle handle = next_++;
    calls_.emplace(handle, Call{caller, function, std::move(args)});
    by_caller_.emplace(caller, handle);
    return handle;
}

std::size_t AsyncCalls::answer(const std::vector<std::pair<Handle, Value>>& answers)
{
    std::size_t taken = 0;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [handle, value] : answers) {
            auto it = calls_.find(handle);
            if (it == calls_.end() || it->second.status != Call::Status::pending)
                continue;
            it->second.status = Call::Status::answered;
            it->second.value = value;
            ++taken;
        }
        news_ = news_ || taken > 0;
    }
    if (taken > 0)
        arrived_.notify_all();
    return taken;
}

bool AsyncCalls::all_answered(const AsyncCaller& caller) const
{
    std::lock_guard lock(mutex_);
    const auto [first, last] = by_caller_.equal_range(caller);
    for (auto it = first; it != last; ++it)
        if (calls_.at(it->second).status != Call::Status::answered)
            return false;
    return true;
}

std::size_t AsyncCalls::pending() const
{
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& [handle, call] : calls_)
        n += call.status == Call::Status::pending ? 1 : 0;
    return n;
}

bool AsyncCalls::values_to_come() const
{
    std::lock_guard lock(mutex_);
    return news_ || std::any_of(calls_.begin(), calls_.end(), [](const auto& call) { return call.second.status == Call::Status::pending; });
}

bool AsyncCalls::wait_for_answer(const std::function<bool()>& stop, std::chrono::milliseconds poll)
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (news_) {
            news_ = false;
            return true;
        }
        // `stop` reads the Esc key and its clock, which belong to this thread alone: asked
        // without the lock, so an answer coming in meanwhile is never held up.
        lock.unlock();
        if (stop())
            return false;
        lock.lock();
        if (!news_)
            arrived_.wait_for(lock, poll);
    }
}

void AsyncCalls::refuse_pending()
{
    std::lock_guard lock(mutex_);
    for (auto& [handle, call] : calls_)
        if (call.status == Call::Status::pending)
            call.status = Call::Status::refused;
}

void AsyncCalls::refuse(Handle handle)
{
    std::lock_guard lock(mutex_);
    auto it = calls_.find(handle);
    if (it != calls_.end() && it->second.status == Call::Status::pending)
        it->second.status = Call::Status::refused;
}

void AsyncCalls::clear()
{
    std::lock_guard lock(mutex_);
    calls_.clear();
    by_caller_.clear();
    news_ = false;
}

XLOPER12 async_handle_record(AsyncCalls::Handle handle)
{
    XLOPER12 record{};
    record.xltype = xltypeBigData;
    record.val.bigdata.h.hdata = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
    return record;
}

std::optional<AsyncCalls::Handle> async_handle_of(const XLOPER12& record)
{
    if ((record.xltype & ~(xlbitXLFree | xlbitDLLFree)) != xltypeBigData)
        return std::nullopt;
    return static_cast<AsyncCalls::Handle>(reinterpret_cast<std::uintptr_t>(record.val.bigdata.h.hdata));
}

} // namespace zorvane::host
