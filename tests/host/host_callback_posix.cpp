#include "host_callback.h"

#include <dlfcn.h>

EXCEL12PROC host_callback12()
{
    return reinterpret_cast<EXCEL12PROC>(dlsym(RTLD_DEFAULT, "MdCallBack12"));
}
