// Framework checks. A failed check throws std::runtime_error with a fixed, user-visible text that
// names where it failed; the texts are part of what users see in cells and alerts, so each check
// carries its entry of check_locations.h and its own condition rather than the compiler's.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "xll/check_locations.h"

namespace xll {

inline std::string ensure_text(const char* source, int line, std::string_view function, const char* condition)
{
    return std::string("file: ") + source + "\nline: " + std::to_string(line) + "\nfunction: " +
           std::string(function) + "\nensure: \"" + condition + "\" failed";
}

[[noreturn]] inline void ensure_failed(CheckLocation at, std::string_view function, const char* condition)
{
    throw std::runtime_error(ensure_text(at.source, at.line, function, condition));
}

// A failed check of a block the value type could not allocate: the same text as any check, told
// apart by its type, so that a caller can say "not enough memory" and give the memory back.
struct AllocationFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void allocation_failed(CheckLocation at, std::string_view function, const char* condition)
{
    throw AllocationFailure(ensure_text(at.source, at.line, function, condition));
}

// Checks sit on hot paths (every string and array a query builds): nothing is built unless the
// check fails.
inline void ensure(bool ok, CheckLocation at, std::string_view function, const char* condition)
{
    if (!ok) [[unlikely]]
        ensure_failed(at, function, condition);
}

} // namespace xll
