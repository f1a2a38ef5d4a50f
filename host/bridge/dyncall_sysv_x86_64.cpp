// The x86-64 System V convention: the first six integer-class arguments in rdi, rsi, rdx, rcx,
// r8, r9, the first eight floating ones in xmm0..xmm7, all others on the stack as 8-byte slots in
// argument order; the caller removes them. Calling through a prototype of six longs, eight
// doubles and N more longs therefore lays out any mix of such arguments: each argument is placed
// in the register its class would take, or in the next stack slot. Unused registers and surplus
// slots are simply not read by the callee.
#include "host/bridge/dyncall.h"

#include <array>
#include <cstring>
#include <stdexcept>
#include <utility>

#if !defined(__x86_64__) || defined(_WIN32)
#error "dyncall_sysv_x86_64.cpp is for the x86-64 System V convention only"
#endif

namespace zorvane::host {

namespace {

using Slot = long;

template <std::size_t N>
struct Frame {
    std::array<Slot, 6> ints{};
    std::array<double, 8> reals{};
    std::array<Slot, N> stack{};
};

template <class R, std::size_t... I>
R call_with(void* fn, const Slot* ints, const double* reals, const Slot* stack, std::index_sequence<I...>)
{
    using Fn = R (*)(Slot, Slot, Slot, Slot, Slot, Slot, double, double, double, double, double, double, double, double,
                     decltype(I, Slot{})...);
    auto f = reinterpret_cast<Fn>(fn);
    return f(ints[0], ints[1], ints[2], ints[3], ints[4], ints[5], reals[0], reals[1], reals[2], reals[3], reals[4], reals[5], reals[6],
             reals[7], stack[I]...);
}

template <std::size_t N>
DynResult call_frame(void* fn, std::span<const DynArg> args, DynReturn returns)
{
    Frame<N> frame;
    std::size_t ni = 0;
    std::size_t nr = 0;
    std::size_t ns = 0;
    for (const auto& a : args) {
        if (a.cls == DynArg::Class::integer) {
            if (ni < frame.ints.size())
                frame.ints[ni++] = static_cast<Slot>(a.integer);
            else
                frame.stack[ns++] = static_cast<Slot>(a.integer);
        } else {
            if (nr < frame.reals.size()) {
                frame.reals[nr++] = a.floating;
            } else {
                Slot bits;
                std::memcpy(&bits, &a.floating, sizeof bits);
                frame.stack[ns++] = bits;
            }
        }
    }
    DynResult result;
    if (returns == DynReturn::floating)
        result.floating = call_with<double>(fn, frame.ints.data(), frame.reals.data(), frame.stack.data(), std::make_index_sequence<N>{});
    else
        result.integer = static_cast<std::uint64_t>(
            call_with<Slot>(fn, frame.ints.data(), frame.reals.data(), frame.stack.data(), std::make_index_sequence<N>{}));
    return result;
}

} // namespace

DynResult dyn_call(void* fn, std::span<const DynArg> args, DynReturn returns)
{
    if (args.size() > max_dyn_args)
        throw std::invalid_argument("too many arguments for a dynamic call");
    std::size_t ints = 0;
    std::size_t reals = 0;
    for (const auto& a : args)
        (a.cls == DynArg::Class::integer ? ints : reals)++;
    const std::size_t stack = (ints > 6 ? ints - 6 : 0) + (reals > 8 ? reals - 8 : 0);
    // A few frame sizes keep the common calls cheap without one prototype per count.
    if (stack == 0)
        return call_frame<0>(fn, args, returns);
    if (stack <= 8)
        return call_frame<8>(fn, args, returns);
    if (stack <= 32)
        return call_frame<32>(fn, args, returns);
    return call_frame<max_dyn_args>(fn, args, returns);
}

} // namespace zorvane::host
