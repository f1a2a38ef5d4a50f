// The C entry points the add-in looks up in the host process. They hand over to the active
// session and never let an exception out.
#include "host/bridge/host.h"
#include "xll/xlcall.h"

#if defined(_WIN32)
// Exported by host/bridge/zorvane.def under their plain names, stdcall on 32-bit Windows included.
#define ZORVANE_HOST_EXPORT extern "C"
#else
#define ZORVANE_HOST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using zorvane::host::Host;

ZORVANE_HOST_EXPORT int XLL_CALL MdCallBack12(int xlfn, int count, XLOPER12** args, XLOPER12* result)
{
    Host* host = Host::active();
    return host ? host->callback12(xlfn, count, args, result) : xlretFailed;
}

ZORVANE_HOST_EXPORT int XLL_CALL Excel4v(int xlfn, XLOPER* result, int count, XLOPER** args)
{
    Host* host = Host::active();
    return host ? host->callback8(xlfn, result, count, args) : xlretFailed;
}

ZORVANE_HOST_EXPORT int XLL_CALL XLCallVer(void)
{
    Host* host = Host::active();
    return host ? host->callback_version() : 0x0C00;
}

#if !defined(_WIN32)
// On Windows the add-in shows the system's own box; elsewhere the host plays it.
ZORVANE_HOST_EXPORT int MessageBoxA(void* owner, const char* text, const char* caption, unsigned type)
{
    (void)owner;
    Host* host = Host::active();
    if (host == nullptr)
        return 1;
    try {
        return host->message_box(text, caption, type);
    } catch (...) {
        return 2; // as if cancelled
    }
}
#endif
