// The text of a response body as the worksheet shows it.
#pragma once

#include <string_view>

#include "xll/traits.h"

namespace xll::web {

// Cut at the first zero byte; then UTF-8 when the bytes are valid UTF-8 (a leading byte order
// mark dropped), otherwise one character per byte of the same value.
xstring body_text(std::string_view bytes);

} // namespace xll::web
