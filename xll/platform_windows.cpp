// Windows: the host library XLCall32 (imported by ordinal), the host process's own export for the
// wide callback, user32's message box and the registry.
#include "xll/platform.h"

#include <windows.h>

#include <malloc.h>

#include <memory>

extern "C" {
// Imported by ordinal from XLCall32.dll (import library made from XLCall32.def).
int __stdcall Excel4v(int xlfn, LPXLOPER operRes, int count, LPXLOPER opers[]);
int __stdcall XLCallVer(void);
}

namespace xll::platform {

namespace {

struct DetachedWork {
    std::function<void()> work;
    HMODULE module = nullptr;
};

DWORD WINAPI run_detached(LPVOID parameter)
{
    HMODULE module = nullptr;
    {
        std::unique_ptr<DetachedWork> job(static_cast<DetachedWork*>(parameter));
        module = job->module;
        try {
            job->work();
        }
        catch (...) { // the work tells its own failures; nothing may end the process here
        }
    }
    // Releases the module and ends the thread without returning into it.
    FreeLibraryAndExitThread(module, 0);
}

} // namespace

void give_back_free_memory() noexcept
{
    _heapmin();
}

bool start_detached_thread(std::function<void()> work) noexcept
{
    try {
        auto job = std::make_unique<DetachedWork>();
        job->work = std::move(work);
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&run_detached)), &job->module))
            return false;
        HMODULE module = job->module;
        HANDLE thread = CreateThread(nullptr, 0, run_detached, job.get(), 0, nullptr);
        if (!thread) {
            FreeLibrary(module);
            return false;
        }
        job.release(); // the thread's now
        CloseHandle(thread);
        return true;
    }
    catch (...) {
        return false;
    }
}

EXCEL12PROC find_host_callback()
{
    HMODULE host = GetModuleHandleA(nullptr);
    return host ? reinterpret_cast<EXCEL12PROC>(reinterpret_cast<void*>(GetProcAddress(host, "MdCallBack12"))) : nullptr;
}

int host_excel4v(int xlfn, LPXLOPER result, int count, LPXLOPER opers[]) { return ::Excel4v(xlfn, result, count, opers); }

int host_xlcallver() { return ::XLCallVer(); }

void* library_export(const std::string& library_path, const std::string& name)
{
    static HMODULE module = GetModuleHandleA(library_path.c_str());
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name.c_str())) : nullptr;
}

int message_box(const char* text, const char* caption, unsigned style)
{
    return MessageBoxA(GetActiveWindow(), text, caption, style);
}

reg_key reg_current_user() { return HKEY_CURRENT_USER; }

long reg_create_key(reg_key parent, const char* subkey, reg_key* out)
{
    HKEY h = nullptr;
    long rc = RegCreateKeyExA(static_cast<HKEY>(parent), subkey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &h, nullptr);
    *out = h;
    return rc;
}

long reg_create_key(reg_key parent, const wchar_t* subkey, reg_key* out)
{
    HKEY h = nullptr;
    long rc = RegCreateKeyExW(static_cast<HKEY>(parent), subkey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &h, nullptr);
    *out = h;
    return rc;
}

long reg_query_value(reg_key key, const char* name, uint32_t* type, void* data, uint32_t* size)
{
    DWORD t = 0, n = size ? *size : 0;
    long rc = RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &t, static_cast<BYTE*>(data), size ? &n : nullptr);
    if (type)
        *type = t;
    if (size)
        *size = n;
    return rc;
}

long reg_query_value(reg_key key, const wchar_t* name, uint32_t* type, void* data, uint32_t* size)
{
    DWORD t = 0, n = size ? *size : 0;
    long rc = RegQueryValueExW(static_cast<HKEY>(key), name, nullptr, &t, static_cast<BYTE*>(data), size ? &n : nullptr);
    if (type)
        *type = t;
    if (size)
        *size = n;
    return rc;
}

long reg_set_value(reg_key key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    return RegSetValueExA(static_cast<HKEY>(key), name, 0, type, static_cast<const BYTE*>(data), size);
}

long reg_set_value(reg_key key, const wchar_t* name, uint32_t type, const void* data, uint32_t size)
{
    return RegSetValueExW(static_cast<HKEY>(key), name, 0, type, static_cast<const BYTE*>(data), size);
}

void reg_close(reg_key key)
{
    if (key)
        RegCloseKey(static_cast<HKEY>(key));
}

} // namespace xll::platform

// The library entry only switches off thread notifications: nothing of the add-in is per thread.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
