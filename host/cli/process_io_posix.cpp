#include "host/cli/process_io.h"

#include <malloc.h>

namespace zorvane::host {

std::vector<std::string> program_arguments(int argc, char** argv)
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

void use_binary_streams() {}

void share_one_heap()
{
    mallopt(M_ARENA_MAX, 1);
}

} // namespace zorvane::host
