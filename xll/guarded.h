// The add-in's one edge. Every export and macro runs its work through guarded, which turns any
// failure into the answer given for it, so that no exception ever reaches the host. Inside, code
// throws or returns failures as values as it sees fit; only here do they become what the cell or
// the macro's caller sees.
#pragma once

#include <exception>
#include <utility>

#include "xll/alert.h"
#include "xll/oper.h"

namespace xll {

// How a failure is told besides the answer: not at all, or through `show` with the failure's
// text, `fallback` standing in for a failure that has none (without one, such a failure goes
// untold). A telling is itself an answer for work that returns nothing.
struct telling {
    void (*show)(const char* text) noexcept = nullptr;
    const char* fallback = nullptr;

    void operator()(const std::exception* failure) const noexcept
    {
        const char* text = failure ? failure->what() : fallback;
        if (show && text)
            show(text);
    }
};

inline constexpr telling quietly{};

// In an Error alert, which the user's filter may hold back.
constexpr telling alerting(const char* fallback = nullptr) { return telling{alert_error_quietly, fallback}; }

// The same answer whatever failed: 0 for a macro, null for a cell left without a value.
template <class R> struct fixed_answer {
    R value;
    telling tell;

    R operator()(const std::exception* failure) const noexcept
    {
        tell(failure);
        return value;
    }
};

template <class R> fixed_answer<R> answer(R value, telling tell = quietly) { return {value, tell}; }

// An error value in the export's own result, which the host reads when the call returns.
template <class X> struct error_answer {
    XOPER<X>& result;
    xlerr error;
    telling tell;

    X* operator()(const std::exception* failure) const noexcept
    {
        tell(failure);
        result = error;
        return &result;
    }
};

template <class X> error_answer<X> error_in(XOPER<X>& result, xlerr error, telling tell = quietly)
{
    return {result, error, tell};
}

// Runs the work and answers what it answers; a failure of any kind answers on_failure(the
// failure, or null for one that is no std::exception) instead. The answer's type is the one the
// failure's answer has, which is the export's.
template <class OnFailure, class Work>
auto guarded(const OnFailure& on_failure, Work&& work) noexcept -> decltype(on_failure(nullptr))
{
    static_assert(noexcept(on_failure(nullptr)), "the answer to a failure must not fail in turn");
    try {
        return std::forward<Work>(work)();
    }
    catch (const std::exception& e) {
        return on_failure(&e);
    }
    catch (...) {
        return on_failure(nullptr);
    }
}

} // namespace xll
