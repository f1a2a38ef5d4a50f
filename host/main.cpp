#include "host/cli.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return zorvane::host::run_command_line(args, std::cout, std::cerr);
}
