// Where the running executable is, to find the add-in beside it; self_path_linux.cpp reads
// /proc/self/exe, a Windows file would ask GetModuleFileName.
#pragma once

#include <string>

namespace zorvane::host {

// The executable's folder, or "." when it cannot be found.
std::string executable_folder();

} // namespace zorvane::host
