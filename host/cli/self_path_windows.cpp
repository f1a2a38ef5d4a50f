#include "host/cli/self_path.h"

#include "host/engine/utf8_windows.h"

#include <windows.h>

namespace zorvane::host {

std::string executable_folder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return ".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2); // cut short: try a longer buffer
    }
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? "." : windows::narrow_utf8(path.substr(0, slash));
}

} // namespace zorvane::host
