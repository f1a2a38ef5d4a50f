#include "host/bridge/dynamic_library.h"

#include "host/engine/errors.h"

#include <dlfcn.h>
#include <filesystem>
#include <utility>

namespace zorvane::host {

DynamicLibrary::DynamicLibrary(const std::string& path)
{
    // A path without a slash would make dlopen search the library path instead of the file.
    std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = ::dlerror();
        throw LoadError("cannot load " + path + ": " + (reason ? reason : "unknown reason"));
    }
}

DynamicLibrary::~DynamicLibrary()
{
    if (handle_ != nullptr)
        ::dlclose(handle_);
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept
{
    if (this != &other) {
        if (handle_ != nullptr)
            ::dlclose(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void* DynamicLibrary::symbol(const std::string& name) const
{
    if (handle_ == nullptr)
        return nullptr;
    return ::dlsym(handle_, name.c_str());
}

std::string absolute_path(const std::string& path)
{
    std::error_code ec;
    auto p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    return ec ? path : p.string();
}

} // namespace zorvane::host
