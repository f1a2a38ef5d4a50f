// A worksheet pattern made ready for matching.
#pragma once

#include "regex/unit_traits.h"
#include "xll/traits.h"

namespace xll::regex {

// The pattern as the user meant it: the code-page ellipsis U+0085, which a spreadsheet's
// autocorrection leaves where three full stops were typed, stands for "..." again.
xstring prepare(xstring_view pattern);

// Prepares and compiles with the ECMAScript grammar; "." does not match a line break. A pattern
// that does not compile throws std::runtime_error("regular expression error"), whatever the fault.
unit_regex compile(xstring_view pattern);

} // namespace xll::regex
