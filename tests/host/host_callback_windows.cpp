#include "host_callback.h"

#include <windows.h>

EXCEL12PROC host_callback12()
{
    return reinterpret_cast<EXCEL12PROC>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), "MdCallBack12")));
}
