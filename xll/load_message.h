// The status-bar message that confirms the add-in loaded.
#pragma once

#include "xll/oper.h"

namespace xll {

// Shows text on the status bar and asks the host to run zClearMsg ten seconds later; a refused
// host call throws.
int show_status_message(const OPER12& text);

// Shows the load message and asks the host to run zClearMsg ten seconds later. A refused host
// call throws, so that the open sequence, which runs this after registration, reports it.
int show_load_message();

} // namespace xll
