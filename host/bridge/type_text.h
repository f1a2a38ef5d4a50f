// The type text of a registration: one code for the return value, one per argument, then flags.
// Codes understood: A (short boolean), B (double), C / C% (null-terminated 8-bit / wide text),
// D / D% (counted text), E (pointer to double), H (unsigned short), I (short), J (int),
// P / Q (8-bit / wide value record), R / U (the same, references allowed). Flags: '!' volatile,
// '#' macro-sheet equivalent, '$' thread-safe, '&' cluster-safe. An asynchronous function returns
// nothing ('>') and takes one argument X, the handle of its call, which formulas do not give:
// its value comes back later through xlAsyncReturn.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::host {

enum class ArgType {
    boolean_short, // A
    real,          // B
    text8,         // C
    text16,        // C%
    counted8,      // D
    counted16,     // D%
    real_pointer,  // E
    unsigned_short,// H
    short_int,     // I
    int32,         // J
    oper8,         // P
    oper12,        // Q
    ref8,          // R
    ref12,         // U
    nothing,       // > (a result only)
    async_handle,  // X (an argument only)
};

struct TypeText {
    ArgType result = ArgType::int32;
    std::vector<ArgType> args;
    bool is_volatile = false;
    bool macro_equivalent = false;
    bool thread_safe = false;
    bool cluster_safe = false;

    bool is_async() const { return result == ArgType::nothing; }
    // The arguments a formula gives: all but the asynchronous handle.
    std::size_t formula_arguments() const { return is_async() ? args.size() - 1 : args.size(); }
};

// nullopt for an empty text or an unknown code, and for '>' without exactly one X or X without '>'. An empty type text, which a command may have, is
// handled by the caller.
std::optional<TypeText> parse_type_text(std::string_view text);

std::string type_code(ArgType type);

} // namespace zorvane::host
