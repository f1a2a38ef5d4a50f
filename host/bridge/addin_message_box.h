// The add-in's message boxes go to the host's scripted user. On Linux the add-in finds the host's
// MessageBoxA export in the process, so nothing is to be done (addin_message_box_posix.cpp); on
// Windows it imports the system's from USER32, and the host points that import at its own box
// (addin_message_box_windows.cpp), so that tests script alerts the same way everywhere.
#pragma once

#include "host/bridge/dynamic_library.h"

namespace zorvane::host {

void script_message_boxes(const DynamicLibrary& addin);

} // namespace zorvane::host
