#include "db/file_identity.h"

#include <sys/stat.h>

#include "xll/text.h"

namespace db {

std::optional<FileIdentity> file_identity(xll::xstring_view path)
{
    struct stat st {};
    if (path.empty() || stat(xll::xstring_to_utf8(path).c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace db
