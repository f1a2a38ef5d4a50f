// The Windows x64 convention: the first four arguments by position in rcx, rdx, r8, r9 or, for a
// double, xmm0..xmm3; the rest in 8-byte stack slots above 32 bytes of shadow space; results in
// rax or xmm0. The trampoline loads each of the first four slots into both the integer and the
// floating register of its position (the callee reads the one its parameter type names, as for a
// variadic call), copies the other slots, and keeps the stack 16-byte aligned at the call.
#include "host/bridge/dyncall.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#if !defined(_WIN64) || !defined(__x86_64__)
#error "dyncall_win64.cpp is for Windows x64 only"
#endif

// Two entry labels on one body: the caller reads rax or xmm0 by the declared return type. The
// unwind directives let the system walk through the trampoline's frame.
__asm__(R"(
    .text
    .globl zorvane_dyncall_win64_int
    .globl zorvane_dyncall_win64_real
    .def zorvane_dyncall_win64_int; .scl 2; .type 32; .endef
    .def zorvane_dyncall_win64_real; .scl 2; .type 32; .endef
    .p2align 4
zorvane_dyncall_win64_int:
zorvane_dyncall_win64_real:
    .seh_proc zorvane_dyncall_win64_int
    pushq %rsi
    .seh_pushreg %rsi
    pushq %rbp
    .seh_pushreg %rbp
    subq $8, %rsp
    .seh_stackalloc 8
    movq %rsp, %rbp
    .seh_setframe %rbp, 0
    .seh_endprologue
    movq %rcx, %r10
    movq %rdx, %rsi
    movq %r8, %r11
    movq %r11, %rax
    cmpq $4, %rax
    jae 1f
    movq $4, %rax
1:  addq $1, %rax
    andq $-2, %rax
    shlq $3, %rax
    subq %rax, %rsp
    movq $4, %rcx
2:  cmpq %r11, %rcx
    jae 3f
    movq (%rsi,%rcx,8), %rax
    movq %rax, (%rsp,%rcx,8)
    incq %rcx
    jmp 2b
3:  movq (%rsi), %rcx
    movq 8(%rsi), %rdx
    movq 16(%rsi), %r8
    movq 24(%rsi), %r9
    movq %rcx, %xmm0
    movq %rdx, %xmm1
    movq %r8, %xmm2
    movq %r9, %xmm3
    callq *%r10
    leaq 8(%rbp), %rsp
    popq %rbp
    popq %rsi
    ret
    .seh_endproc
)");

extern "C" std::uint64_t zorvane_dyncall_win64_int(void* fn, const std::uint64_t* slots, std::size_t count)
    __asm__("zorvane_dyncall_win64_int");
extern "C" double zorvane_dyncall_win64_real(void* fn, const std::uint64_t* slots, std::size_t count)
    __asm__("zorvane_dyncall_win64_real");

namespace zorvane::host {

DynResult dyn_call(void* fn, std::span<const DynArg> args, DynReturn returns)
{
    if (args.size() > max_dyn_args)
        throw std::invalid_argument("too many arguments for a dynamic call");
    // At least the four register slots, which the trampoline always reads.
    std::array<std::uint64_t, max_dyn_args + 4> slots{};
    std::size_t n = 0;
    for (const auto& a : args) {
        if (a.cls == DynArg::Class::integer)
            slots[n] = a.integer;
        else
            std::memcpy(&slots[n], &a.floating, sizeof a.floating);
        ++n;
    }
    DynResult result;
    if (returns == DynReturn::floating)
        result.floating = zorvane_dyncall_win64_real(fn, slots.data(), n);
    else
        result.integer = zorvane_dyncall_win64_int(fn, slots.data(), n);
    return result;
}

} // namespace zorvane::host
