#include "host/bridge/addin_message_box.h"

namespace zorvane::host {

void script_message_boxes(const DynamicLibrary&) {}

} // namespace zorvane::host
