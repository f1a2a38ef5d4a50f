// The 32-bit Windows convention of the add-in's exports (stdcall): every argument on the stack in
// argument order, in 4-byte slots (a double takes two, low half first), the callee removes them,
// results in eax or st(0). The trampoline below copies the slots under the stack pointer and calls;
// it takes the stack pointer back from its frame, so it is right whichever side pops.
#include "host/bridge/dyncall.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#if !defined(_WIN32) || defined(_WIN64) || !defined(__i386__)
#error "dyncall_win32_stdcall.cpp is for 32-bit Windows only"
#endif

// Two entry labels on one body: the caller reads eax or st(0) by the declared return type.
__asm__(R"(
    .text
    .globl zorvane_dyncall_i686_int
    .globl zorvane_dyncall_i686_real
    .def zorvane_dyncall_i686_int; .scl 2; .type 32; .endef
    .def zorvane_dyncall_i686_real; .scl 2; .type 32; .endef
    .p2align 4
zorvane_dyncall_i686_int:
zorvane_dyncall_i686_real:
    .cfi_startproc
    pushl %ebp
    .cfi_def_cfa_offset 8
    .cfi_offset %ebp, -8
    movl %esp, %ebp
    .cfi_def_cfa_register %ebp
    pushl %esi
    pushl %edi
    .cfi_offset %esi, -12
    .cfi_offset %edi, -16
    movl 16(%ebp), %ecx
    movl 12(%ebp), %esi
    leal 0(,%ecx,4), %eax
    subl %eax, %esp
    andl $-16, %esp
    movl %esp, %edi
    cld
    rep movsl
    call *8(%ebp)
    leal -8(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebp
    .cfi_def_cfa %esp, 4
    ret
    .cfi_endproc
)");

extern "C" std::uint32_t zorvane_dyncall_i686_int(void* fn, const std::uint32_t* slots, std::size_t count)
    __asm__("zorvane_dyncall_i686_int");
extern "C" double zorvane_dyncall_i686_real(void* fn, const std::uint32_t* slots, std::size_t count)
    __asm__("zorvane_dyncall_i686_real");

namespace zorvane::host {

DynResult dyn_call(void* fn, std::span<const DynArg> args, DynReturn returns)
{
    if (args.size() > max_dyn_args)
        throw std::invalid_argument("too many arguments for a dynamic call");
    std::array<std::uint32_t, 2 * max_dyn_args> slots{};
    std::size_t n = 0;
    for (const auto& a : args) {
        if (a.cls == DynArg::Class::integer) {
            slots[n++] = static_cast<std::uint32_t>(a.integer);
        } else {
            std::memcpy(&slots[n], &a.floating, sizeof a.floating);
            n += 2;
        }
    }
    DynResult result;
    if (returns == DynReturn::floating)
        result.floating = zorvane_dyncall_i686_real(fn, slots.data(), n);
    else
        result.integer = zorvane_dyncall_i686_int(fn, slots.data(), n);
    return result;
}

} // namespace zorvane::host
