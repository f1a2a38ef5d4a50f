// The bounds of the spreadsheet the host plays, written once. Each is the spreadsheet's own,
// so that what the add-in meets here is what it meets there; the host's guards of its own
// (recursion depths, the largest range taken as values) stay beside the code they guard.
#pragma once

#include <cstddef>

namespace zorvane::host {

// The sheet of the wide interface.
inline constexpr int max_rows = 1048576;
inline constexpr int max_columns = 16384;
// Characters (UTF-16 units) of a text value: a cell's, a formula result's, a wide counted text.
inline constexpr std::size_t max_text_length = 32767;
// Arguments of a function, of a callback, and of a registered procedure.
inline constexpr int max_arguments = 255;
// Characters of a defined name.
inline constexpr std::size_t max_name_length = 255;
// Characters of a formula, and how deep its parentheses nest.
inline constexpr std::size_t max_formula_length = 8192;
inline constexpr int max_formula_nesting = 255;

// The older sheet that the 8-bit interface describes: its texts are byte-counted, its counts of
// rows and columns are one short of the sheet for arrays.
inline constexpr int classic_rows = 65536;
inline constexpr int classic_columns = 256;
inline constexpr std::size_t classic_text_length = 255;

} // namespace zorvane::host
