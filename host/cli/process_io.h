// What the platform hands the program: its arguments as UTF-8, and standard streams that carry
// bytes unchanged (no CR added before a line feed). process_io_posix.cpp takes argv as it is;
// process_io_windows.cpp reads the UTF-16 command line, since argv holds the ANSI code page.
#pragma once

#include <string>
#include <vector>

namespace zorvane::host {

std::vector<std::string> program_arguments(int argc, char** argv);
void use_binary_streams();

} // namespace zorvane::host
