#include "host/cli/cli.h"
#include "host/cli/process_io.h"

#include <iostream>

int main(int argc, char** argv)
{
    zorvane::host::share_one_heap();
    zorvane::host::use_binary_streams();
    return zorvane::host::run_command_line(zorvane::host::program_arguments(argc, argv), std::cin, std::cout, std::cerr);
}
