// Reads formula text into a tree, with the spreadsheet's operator precedence (lowest first):
// comparisons, &, + -, * /, ^, postfix %, unary - +. A leading '=' is optional.
#pragma once

#include "host/formula_ast.h"

#include <string_view>

namespace zorvane::host {

// Throws FormulaError naming the 1-based position of the first problem.
NodePtr parse_formula(std::u16string_view text);
NodePtr parse_formula(std::string_view utf8_text);

} // namespace zorvane::host
