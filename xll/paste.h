// The paste macros XLL.PASTE.BASIC and XLL.PASTE.CREATE lay out a call of a registered function on
// the sheet, starting from a cell whose formula is the bare function name (its register id).
#pragma once

#include "xll/oper.h"

namespace xll {

// Cell styles of a pasted input block, by position.
enum class PasteStyle { input, output, handle, optional };
const char* paste_style_name(PasteStyle style);

// An On<Key> entry: ON.KEY binding key_text (such as "^+B") to the macro.
OPER key_binding(const char* key_text, const char* macro);

} // namespace xll
