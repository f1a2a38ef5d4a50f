// What the framework needs from the operating system and the host process, one file per platform:
// platform_windows.cpp (the real host library, user32 and the registry) and platform_linux.cpp
// (the headless host's exports, a stderr alert and a per-user file store).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "xll/xlcall.h"

namespace xll::platform {

// The host's wide callback ("MdCallBack12" exported by the host process), or null.
EXCEL12PROC find_host_callback();
// The 8-bit callback and the version query of the host library; without a host the callback
// answers xlretFailed and the version 0.
int host_excel4v(int xlfn, LPXLOPER result, int count, LPXLOPER opers[]);
int host_xlcallver();

// Address of an export of the library at path, looked up by its registered name.
void* library_export(const std::string& library_path, const std::string& name);

// Runs work on a thread of its own that nobody waits for, with the add-in's module held loaded
// until the work is over: a library unloaded under a running thread would leave it executing
// code that is gone. On Windows the module is pinned per thread and released as the thread ends
// (FreeLibraryAndExitThread); Linux has no way for a thread to release its own library and
// return, so the first such thread pins the module for the life of the process. Nothing the work
// throws leaves it. False, and the work not run, when no thread can be had.
bool start_detached_thread(std::function<void()> work) noexcept;

// Hands the heap's free pages back to the system. A driver frees its copy of a large result when
// the statement goes, but the allocator keeps those pages for later use, and the cells' copy in
// the spreadsheet would then come on top of them.
void give_back_free_memory() noexcept;

// Modal OK/Cancel box; returns IDOK (1) or IDCANCEL (2), or what the platform's box answers.
int message_box(const char* text, const char* caption, unsigned style);

// Registry, in the shape of the Windows calls. Keys are opaque handles; codes are 0 on success.
using reg_key = void*;
constexpr uint32_t reg_dword = 4;
reg_key reg_current_user();
long reg_create_key(reg_key parent, const char* subkey, reg_key* out);
long reg_create_key(reg_key parent, const wchar_t* subkey, reg_key* out);
long reg_query_value(reg_key key, const char* name, uint32_t* type, void* data, uint32_t* size);
long reg_query_value(reg_key key, const wchar_t* name, uint32_t* type, void* data, uint32_t* size);
long reg_set_value(reg_key key, const char* name, uint32_t type, const void* data, uint32_t size);
long reg_set_value(reg_key key, const wchar_t* name, uint32_t type, const void* data, uint32_t size);
void reg_close(reg_key key);

} // namespace xll::platform
