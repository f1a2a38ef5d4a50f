// File paths from the host's UTF-8 text and back. std::filesystem reads narrow text in the ANSI
// code page on Windows, so a path never passes through it as a plain string: from UTF-8 text it
// is made as UTF-8 (UTF-16 inside on Windows, the bytes themselves on Linux), and read back as
// UTF-8, whatever letters its folders and files are named with.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zorvane::host {

inline std::filesystem::path path_from_utf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8_of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace zorvane::host
