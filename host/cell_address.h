// A1-style cell addresses: "B3", "$B$3", ranges "A1:C4".
#pragma once

#include "host/value.h"

#include <optional>
#include <string>
#include <string_view>

namespace zorvane::host {

inline constexpr int max_rows = 1048576;
inline constexpr int max_columns = 16384;

struct CellAddress {
    int row = 0;    // 0-based
    int column = 0; // 0-based
    auto operator<=>(const CellAddress&) const = default;
};

// Parses a whole address such as "B3" or "$B$3"; nullopt when the text is not exactly one.
std::optional<CellAddress> parse_cell_address(std::string_view text);
// Parses "A1" or "A1:C4" (either order of corners) into a reference.
std::optional<Ref> parse_range(std::string_view text);

std::string column_name(int column);
std::string cell_name(CellAddress address);
std::string range_name(const Ref& ref);

} // namespace zorvane::host
