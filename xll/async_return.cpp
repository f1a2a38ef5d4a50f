#include "xll/async_return.h"

#include "xll/traits.h"

namespace xll {

bool async_return(const XLOPER12& handle, const XLOPER12& value) noexcept
{
    XLOPER12 call = handle;
    XLOPER12 given = value;
    XLOPER12 taken{};
    taken.xltype = xltypeNil;
    LPXLOPER12 opers[] = {&call, &given};
    const int code = Excel12v(xlAsyncReturn, &taken, 2, opers);
    return code == xlretSuccess && taken.xltype == xltypeBool && taken.val.xbool;
}

} // namespace xll
