// A dialog box as the user leaves it. The definition table has seven columns (item type, x, y,
// width, height, text, initial value/result); row 0 describes the box itself. The result is
// FALSE when the user cancels, otherwise the table with the chosen item's row number in row 0
// column 6 and the user's entries in column 6 of the item rows.
#pragma once

#include "host/engine/value.h"
#include "host/sheet/ui_script.h"

#include <optional>

namespace zorvane::host {

inline constexpr int dialog_columns = 7;

// Without an answer the user presses the default OK button leaving every value as it was.
// An answer naming a cancel button's row counts as Cancel. Rows outside the table are ignored.
Value answer_dialog(const Value& definition, const std::optional<DialogAnswer>& answer);

} // namespace zorvane::host
