// Forwards the host library's entries to the executable that loaded the add-in. The lookup is made
// at each call, so the library may be loaded before or after the executable is ready; with no host
// behind it the answers are those of a missing host: the command failed, version 0.
#include "xll/xlcall.h"

#include <windows.h>

namespace {

template <class Proc> Proc host_entry(const char* name)
{
    HMODULE executable = GetModuleHandleW(nullptr);
    return executable ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(executable, name))) : nullptr;
}

} // namespace

extern "C" int XLL_CALL XLCallVer(void)
{
    auto entry = host_entry<XLCALLVERPROC>("XLCallVer");
    return entry ? entry() : 0;
}

extern "C" int XLL_CALL Excel4v(int xlfn, LPXLOPER result, int count, LPXLOPER opers[])
{
    auto entry = host_entry<EXCEL4VPROC>("Excel4v");
    return entry ? entry(xlfn, result, count, opers) : xlretFailed;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
