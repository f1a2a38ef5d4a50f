// Which file a path names right now, so that a connection opened on a file database can tell
// whether the path still names the file it opened (one file per platform: the device and inode
// on Linux, the volume and file index on Windows).
#pragma once

#include <cstdint>
#include <optional>

#include "xll/traits.h"

namespace db {

struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at path, or nothing when there is none (or it cannot be read).
std::optional<FileIdentity> file_identity(xll::xstring_view path);

} // namespace db
