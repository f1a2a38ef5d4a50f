// The status-bar message that confirms the add-in loaded.
#pragma once

namespace xll {

// Shows the load message and asks the host to run zClearMsg ten seconds later. A refused host
// call throws, so that the open sequence, which runs this after registration, reports it.
int show_load_message();

} // namespace xll
