// Rewrites the add-in's import address table entry of USER32!MessageBoxA. Without a display the
// system's box answers -1 at once, and with one it would wait for a person; the host's box prints
// "Caption: text" and answers from the script, as on Linux.
#include "host/bridge/addin_message_box.h"

#include "host/bridge/host.h"

#include <windows.h>

#include <cstring>

namespace zorvane::host {

namespace {

int WINAPI scripted_message_box(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    Host* host = Host::active();
    if (host == nullptr)
        return IDOK;
    try {
        return host->message_box(text, caption, type);
    } catch (...) {
        return IDCANCEL;
    }
}

template <class T> T* at(BYTE* base, DWORD offset) { return reinterpret_cast<T*>(base + offset); }

void replace_slot(ULONG_PTR* slot, ULONG_PTR with)
{
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old))
        return;
    *slot = with;
    VirtualProtect(slot, sizeof *slot, old, &old);
    FlushInstructionCache(GetCurrentProcess(), slot, sizeof *slot);
}

} // namespace

void script_message_boxes(const DynamicLibrary& addin)
{
    auto* base = static_cast<BYTE*>(addin.native_handle());
    if (base == nullptr)
        return;
    const auto* dos = at<IMAGE_DOS_HEADER>(base, 0);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return;
    const auto* nt = at<IMAGE_NT_HEADERS>(base, static_cast<DWORD>(dos->e_lfanew));
    if (nt->Signature != IMAGE_NT_SIGNATURE)
        return;
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return;
    // Without a table of names (an image bound at build time) the slot is found by its address.
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto system_box = user32 ? reinterpret_cast<ULONG_PTR>(GetProcAddress(user32, "MessageBoxA")) : 0;
    const auto ours = reinterpret_cast<ULONG_PTR>(&scripted_message_box);

    for (auto* library = at<IMAGE_IMPORT_DESCRIPTOR>(base, imports.VirtualAddress); library->Name != 0; ++library) {
        if (_stricmp(at<char>(base, library->Name), "user32.dll") != 0)
            continue;
        auto* slot = at<IMAGE_THUNK_DATA>(base, library->FirstThunk);
        const IMAGE_THUNK_DATA* name = library->OriginalFirstThunk ? at<IMAGE_THUNK_DATA>(base, library->OriginalFirstThunk) : nullptr;
        for (; slot->u1.Function != 0; ++slot, name = name ? name + 1 : nullptr) {
            bool match = false;
            if (name != nullptr) {
                if (!IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) {
                    const auto* by_name = at<IMAGE_IMPORT_BY_NAME>(base, static_cast<DWORD>(name->u1.AddressOfData));
                    match = std::strcmp(reinterpret_cast<const char*>(by_name->Name), "MessageBoxA") == 0;
                }
            } else {
                match = system_box != 0 && slot->u1.Function == system_box;
            }
            if (match)
                replace_slot(reinterpret_cast<ULONG_PTR*>(&slot->u1.Function), ours);
        }
    }
}

} // namespace zorvane::host
