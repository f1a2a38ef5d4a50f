# Cross-build of the Windows add-in and host with MinGW-w64, for the architecture named by
# ZORVANE_MINGW_ARCH (i686 or x86_64; the presets win32 and win64 set it). The -posix compilers
# bring the C++ threading the standard library needs; everything is linked statically.
set(ZORVANE_MINGW_ARCH "" CACHE STRING "MinGW-w64 target architecture: i686 or x86_64")
if(NOT ZORVANE_MINGW_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "Set ZORVANE_MINGW_ARCH to i686 or x86_64 (given: '${ZORVANE_MINGW_ARCH}')")
endif()
# The compiler checks run in projects of their own, which see only the variables named here.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZORVANE_MINGW_ARCH)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZORVANE_MINGW_ARCH})
set(ZORVANE_MINGW_PREFIX ${ZORVANE_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${ZORVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZORVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZORVANE_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZORVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
