#include "xll/escape_key.h"

#include "xll/host_call.h"

namespace xll {

bool take_escape() noexcept
{
    try {
        auto pressed = Excel12(xlAbort, OPER12(false));
        return pressed.type() == xltypeBool && pressed.val.xbool != 0;
    }
    catch (...) {
        return false;
    }
}

} // namespace xll
