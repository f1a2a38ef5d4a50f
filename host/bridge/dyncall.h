// Calls a C function whose signature is known only at run time, from the registered type text.
// One implementation per calling convention: dyncall_sysv_x86_64.cpp for Linux x86-64; the
// 32-bit Windows one (stdcall, 4-byte stack slots, callee pops) and the Windows x64 one (four
// register slots shared by both classes) go beside it.
#pragma once

#include "host/engine/sheet_limits.h"

#include <cstdint>
#include <span>

namespace zorvane::host {

struct DynArg {
    enum class Class { integer, floating };
    Class cls = Class::integer;
    std::uint64_t integer = 0; // pointers, ints and shorts, sign- or zero-extended
    double floating = 0.0;

    static DynArg pointer(const void* p) { return {Class::integer, reinterpret_cast<std::uintptr_t>(p), 0.0}; }
    static DynArg signed_integer(std::int64_t v) { return {Class::integer, static_cast<std::uint64_t>(v), 0.0}; }
    static DynArg real(double v) { return {Class::floating, 0, v}; }
};

enum class DynReturn { integer, floating };

struct DynResult {
    std::uint64_t integer = 0;
    double floating = 0.0;
};

inline constexpr std::size_t max_dyn_args = max_arguments;

// Calls fn with the arguments; throws std::invalid_argument for more than max_dyn_args.
DynResult dyn_call(void* fn, std::span<const DynArg> args, DynReturn returns);

} // namespace zorvane::host
