// Cell addresses: A1 style ("B3", "$B$3", ranges "A1:C4") and R1C1 style, absolute ("R3C2") or
// relative to a base cell ("R[1]C", "RC[-1]"), as macros write them.
#pragma once

#include "host/engine/sheet_limits.h"
#include "host/engine/value.h"

#include <optional>
#include <string>
#include <string_view>

namespace zorvane::host {

struct CellAddress {
    int row = 0;    // 0-based
    int column = 0; // 0-based
    auto operator<=>(const CellAddress&) const = default;
};

// Parses a whole address such as "B3" or "$B$3"; nullopt when the text is not exactly one.
std::optional<CellAddress> parse_cell_address(std::string_view text);
// Parses "A1" or "A1:C4" (either order of corners) into a reference.
std::optional<Ref> parse_range(std::string_view text);

// Parses one R1C1 cell ("R[1]C[0]", "R1C1", "RC") against base; nullopt when the text is not
// exactly one or the cell lies off the sheet.
std::optional<CellAddress> parse_r1c1_cell(std::string_view text, CellAddress base);
// One R1C1 cell or a range of two ("R[1]C:R[1]C[2]").
std::optional<Ref> parse_r1c1_range(std::string_view text, CellAddress base);
// The reference as relative R1C1 text against base, the way the spreadsheet writes it: "R[1]C",
// "RC[-1]", "R[1]C:R[1]C[2]".
std::string relative_reference_text(const Ref& ref, CellAddress base);

std::string column_name(int column);
std::string cell_name(CellAddress address);
std::string range_name(const Ref& ref);

} // namespace zorvane::host
