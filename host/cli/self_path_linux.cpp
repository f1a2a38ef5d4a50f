#include "host/cli/self_path.h"

#include <filesystem>

namespace zorvane::host {

std::string executable_folder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return ".";
    return exe.parent_path().string();
}

} // namespace zorvane::host
