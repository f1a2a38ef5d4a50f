// Loading a shared library and finding its exports; dynamic_library_posix.cpp implements it with
// dlopen, a Windows file with LoadLibrary.
#pragma once

#include <string>

namespace zorvane::host {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    // Throws LoadError with the system's reason when the library cannot be loaded.
    explicit DynamicLibrary(const std::string& path);
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The exported symbol of this exact name, or null.
    void* symbol(const std::string& name) const;
    // The system's handle (dlopen's, or the module's base address on Windows).
    void* native_handle() const { return handle_; }

private:
    void* handle_ = nullptr;
};

// The absolute form of a path, for comparing module names.
std::string absolute_path(const std::string& path);

} // namespace zorvane::host
