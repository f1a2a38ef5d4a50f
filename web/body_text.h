// The text of a response body as the worksheet shows it.
#pragma once

#include <string_view>

#include "xll/traits.h"

namespace xll::web {

// UTF-8 when the bytes are valid UTF-8 (a leading byte order mark dropped), otherwise one
// character per byte of the same value. A zero byte is U+FFFD: cutting the body there, or
// handing the NUL on, would let a statement built from it end early.
xstring body_text(std::string_view bytes);

} // namespace xll::web
