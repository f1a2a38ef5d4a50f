// The host's failures, by the exit status they lead to: a usage error (bad command line, formula
// that does not parse, unknown function, wrong argument count) exits with 2, an add-in that cannot
// be loaded with 1.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace zorvane::host {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A formula that cannot be read; position is 1-based in the formula text as given.
struct FormulaError : UsageError {
    FormulaError(std::size_t position_, const std::string& message)
        : UsageError("position " + std::to_string(position_) + ": " + message), position(position_)
    {
    }
    std::size_t position;
};

// Formula text as messages quote it: long formulas are cut.
inline std::string abbreviated(const std::string& text, std::size_t limit = 100)
{
    if (text.size() <= limit)
        return text;
    while (limit > 0 && (static_cast<unsigned char>(text[limit]) & 0xC0) == 0x80)
        --limit; // not inside a UTF-8 sequence
    return text.substr(0, limit) + "...";
}

struct LoadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace zorvane::host
