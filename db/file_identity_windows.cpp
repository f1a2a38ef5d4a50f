#include "db/file_identity.h"

#include <windows.h>

#include <string>

namespace db {

std::optional<FileIdentity> file_identity(xll::xstring_view path)
{
    if (path.empty())
        return std::nullopt;
    const std::wstring name(path.begin(), path.end());
    // Opened for its attributes only, sharing everything: the driver may hold it open for writing.
    HANDLE file = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool read = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!read)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

} // namespace db
