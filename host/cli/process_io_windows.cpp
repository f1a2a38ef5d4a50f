#include "host/cli/process_io.h"

#include "host/engine/utf8_windows.h"

#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>
#include <cstdio>

namespace zorvane::host {

std::vector<std::string> program_arguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(windows::narrow_utf8(wide[i]));
    LocalFree(wide);
    return args;
}

void use_binary_streams()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

// The C runtime's heap is already one for every thread.
void share_one_heap() {}

} // namespace zorvane::host
