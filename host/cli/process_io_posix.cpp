#include "host/cli/process_io.h"

namespace zorvane::host {

std::vector<std::string> program_arguments(int argc, char** argv)
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

void use_binary_streams() {}

} // namespace zorvane::host
