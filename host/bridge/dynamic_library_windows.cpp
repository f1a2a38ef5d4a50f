#include "host/bridge/dynamic_library.h"

#include "host/engine/errors.h"
#include "host/engine/utf8_windows.h"

#include <windows.h>

#include <utility>

namespace zorvane::host {

namespace {

// The system's text of an error; its placeholder %1 stands for the file.
std::string system_message(DWORD code, const std::string& file)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", n);
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    if (message.empty())
        return "error " + std::to_string(code);
    std::string reason = windows::narrow_utf8(message);
    for (auto at = reason.find("%1"); at != std::string::npos; at = reason.find("%1", at + file.size()))
        reason.replace(at, 2, file);
    return reason;
}

} // namespace

DynamicLibrary::DynamicLibrary(const std::string& path)
{
    // The standard search order, as the spreadsheet's own loading does: the add-in's imports (the
    // host library XLCall32.dll above all) come from the executable's folder. Never a dialog box
    // about a missing DLL: the reason goes into the error.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    handle_ = LoadLibraryW(windows::widen_utf8(absolute_path(path)).c_str());
    const DWORD error = GetLastError();
    SetErrorMode(previous);
    if (handle_ == nullptr)
        throw LoadError("cannot load " + path + ": " + system_message(error, path));
}

DynamicLibrary::~DynamicLibrary()
{
    if (handle_ != nullptr)
        FreeLibrary(static_cast<HMODULE>(handle_));
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept
{
    if (this != &other) {
        if (handle_ != nullptr)
            FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void* DynamicLibrary::symbol(const std::string& name) const
{
    if (handle_ == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

std::string absolute_path(const std::string& path)
{
    const std::wstring wide = windows::widen_utf8(path);
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n)
        return path;
    full.resize(written);
    return windows::narrow_utf8(full);
}

} // namespace zorvane::host
