// Reads formula text into a tree, with the spreadsheet's operator precedence (lowest first):
// comparisons, &, + -, * /, ^, postfix %, unary - +. A leading '=' is optional. Given a base cell,
// references may also be written in R1C1 style ("R[1]C", "R1C1:R2C3"), as macros enter them.
#pragma once

#include "host/engine/formula_ast.h"

#include "host/engine/cell_address.h"

#include <optional>
#include <string>
#include <string_view>

namespace zorvane::host {

// Throws FormulaError naming the 1-based position of the first problem.
NodePtr parse_formula(std::u16string_view text, std::optional<CellAddress> r1c1_base = std::nullopt);
NodePtr parse_formula(std::string_view utf8_text, std::optional<CellAddress> r1c1_base = std::nullopt);

// The formula text with its R1C1 references written in A1 style, as the sheet shows it.
std::u16string formula_in_a1_style(std::u16string_view text, const Node& ast);

} // namespace zorvane::host
