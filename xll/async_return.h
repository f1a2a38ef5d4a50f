// Gives an asynchronous call its value (xlAsyncReturn), the one callback the spreadsheet takes from
// a thread other than its own. The host copies the value before it answers, so the caller frees
// its own storage afterwards, and a value lent to several calls is handed to each as it is.
#pragma once

#include "xll/xlcall.h"

namespace xll {

// Whether the host took the value: false for a call no longer pending (after Esc, or the end of
// its calculation), which the host refuses without harm.
bool async_return(const XLOPER12& handle, const XLOPER12& value) noexcept;

} // namespace xll
