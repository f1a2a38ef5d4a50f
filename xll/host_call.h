// The one road to the host: raw entries per width, the checked call that turns a failure code
// into an exception with a fixed text, and the owner of values the host allocated.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "xll/oper.h"

namespace xll {

// The text for a host return code; empty for success.
const char* return_code_text(int code);
// Throws std::runtime_error with the code's text unless it is 0.
void check_return_code(int code);

// A value the host allocated for us; released with xlFree when its owner goes.
template <class X> class HostResult : public X {
public:
    HostResult() noexcept { this->xltype = xltypeNil; }
    HostResult(const HostResult&) = delete;
    HostResult& operator=(const HostResult&) = delete;
    HostResult(HostResult&& o) noexcept : X(static_cast<const X&>(o)), owner_(o.owner_) { o.owner_ = false; }
    ~HostResult() { free(); }

    void own() noexcept { owner_ = true; }
    void free() noexcept
    {
        if (owner_) {
            X* self = this;
            traits<X>::Excelv(xlFree, nullptr, 1, &self);
            owner_ = false;
        }
    }
    XOPER<X> copy() const { return XOPER<X>(static_cast<const X&>(*this)); }
    double to_number() const { return xll::to_number<X>(*this); }
    unsigned type() const { return base_type(this->xltype); }

private:
    bool owner_ = false;
};

// Checked host call with up to seven values.
template <class X, class... Args> HostResult<X> Excel(int xlfn, const Args&... args)
{
    static_assert(sizeof...(Args) <= 7, "the checked call takes at most seven values");
    X* opers[sizeof...(Args) + 1] = {const_cast<X*>(static_cast<const X*>(&args))..., nullptr};
    HostResult<X> result;
    int code = traits<X>::Excelv(xlfn, &result, static_cast<int>(sizeof...(Args)), opers);
    check_return_code(code);
    result.own();
    return result;
}

template <class... Args> HostResult<XLOPER12> Excel12(int xlfn, const Args&... args)
{
    return Excel<XLOPER12>(xlfn, args...);
}
template <class... Args> HostResult<XLOPER> Excel4(int xlfn, const Args&... args)
{
    return Excel<XLOPER>(xlfn, args...);
}

// The host's version reports the wide interface (12 and later).
inline bool host_has_wide_interface() { return XLCallVer() > 3071; }

} // namespace xll
