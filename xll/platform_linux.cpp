// Linux: the headless host exports the callbacks and the alert box from its executable, so they are
// found in the global scope of the process. The registry is a per-user file store.
#include "xll/platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "xll/export_name.h"
#include "xll/text.h"

namespace fs = std::filesystem;

namespace xll::platform {

namespace {

template <class F> F process_symbol(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

} // namespace

void give_back_free_memory() noexcept
{
    malloc_trim(0);
}

bool start_detached_thread(std::function<void()> work) noexcept
{
    static std::once_flag pinned;
    std::call_once(pinned, [] {
        Dl_info self{};
        // Opened once more and never closed, with RTLD_NODELETE: no dlclose can unmap it now.
        if (dladdr(reinterpret_cast<void*>(&start_detached_thread), &self) && self.dli_fname)
            dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    });
    try {
        std::thread([work = std::move(work)]() noexcept {
            try {
                work();
            }
            catch (...) { // the work tells its own failures; nothing may end the process here
            }
        }).detach();
        return true;
    }
    catch (...) {
        return false;
    }
}

EXCEL12PROC find_host_callback() { return process_symbol<EXCEL12PROC>("MdCallBack12"); }

int host_excel4v(int xlfn, LPXLOPER result, int count, LPXLOPER opers[])
{
    static EXCEL4VPROC entry = process_symbol<EXCEL4VPROC>("Excel4v");
    if (!entry)
        entry = process_symbol<EXCEL4VPROC>("Excel4v");
    return entry ? entry(xlfn, result, count, opers) : xlretFailed;
}

int host_xlcallver()
{
    auto entry = process_symbol<XLCALLVERPROC>("XLCallVer");
    return entry ? entry() : 0;
}

void* library_export(const std::string& library_path, const std::string& name)
{
    void* module = dlopen(library_path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!module)
        return nullptr;
    void* p = dlsym(module, export_symbol_name(name).c_str());
    dlclose(module);
    return p;
}

int message_box(const char* text, const char* caption, unsigned style)
{
    using box = int (*)(void*, const char*, const char*, unsigned);
    if (auto host = process_symbol<box>("MessageBoxA"))
        return host(nullptr, text, caption, style);
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return 1; // nobody to press Cancel: the alert counts as acknowledged
}

// ---- registry -------------------------------------------------------------------------------
// A key is a folder, a value a file holding its 4-byte type followed by its data. The store lives
// under $XDG_RUNTIME_DIR, which the system clears at logout, as Windows drops a volatile key.

namespace {

struct Key {
    fs::path path;
};

constexpr long error_success = 0;
constexpr long error_file_not_found = 2;
constexpr long error_more_data = 234;
constexpr long error_invalid_handle = 6;
constexpr long error_access_denied = 5;

fs::path store_root()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && fs::is_directory(runtime))
        return fs::path(runtime) / "zorvane-registry";
    return fs::path("/tmp") / ("zorvane-registry-" + std::to_string(getuid()));
}

Key current_user_key{};

std::string utf8(const char* s) { return s ? s : ""; }
// A Linux wchar_t holds a whole code point; one that is no character (a surrogate, a value past
// U+10FFFF) becomes U+FFFD, so a key or value name is always a valid file name's UTF-8.
std::string utf8(const wchar_t* s)
{
    std::string out;
    for (; s && *s; ++s)
        append_utf8(out, static_cast<char32_t>(static_cast<uint32_t>(*s)));
    return out;
}

// Value names become file names: keep them readable but never let one leave its key's folder.
std::string file_name(const std::string& name)
{
    std::string out = name.empty() ? std::string("@default") : name;
    for (auto& c : out)
        if (c == '/' || c == '\0')
            c = '_';
    if (out == "." || out == "..")
        out = "_" + out;
    return out;
}

template <class C> long create_key(reg_key parent, const C* subkey, reg_key* out)
{
    if (!parent || !out)
        return error_invalid_handle;
    auto* p = static_cast<Key*>(parent);
    fs::path path = p == &current_user_key ? store_root() / "HKEY_CURRENT_USER" : p->path;
    std::string sub = utf8(subkey);
    for (auto& c : sub)
        if (c == '\\')
            c = '/';
    for (const auto& part : fs::path(sub))
        if (part != "/" && part != "." && part != "..")
            path /= part;
    std::error_code ec;
    fs::create_directories(path, ec);
    if (ec || !fs::is_directory(path))
        return error_access_denied;
    fs::permissions(store_root(), fs::perms::owner_all, fs::perm_options::replace, ec);
    *out = std::make_unique<Key>(Key{path}).release(); // owned by the caller until reg_close
    return error_success;
}

template <class C> long query_value(reg_key key, const C* name, uint32_t* type, void* data, uint32_t* size)
{
    if (!key)
        return error_invalid_handle;
    std::ifstream in(static_cast<Key*>(key)->path / file_name(utf8(name)), std::ios::binary);
    if (!in)
        return error_file_not_found;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 4)
        return error_file_not_found;
    uint32_t t;
    std::memcpy(&t, bytes.data(), 4);
    if (type)
        *type = t;
    uint32_t n = static_cast<uint32_t>(bytes.size() - 4);
    if (size) {
        uint32_t room = *size;
        *size = n;
        if (data) {
            if (room < n)
                return error_more_data;
            std::memcpy(data, bytes.data() + 4, n);
        }
    }
    return error_success;
}

template <class C> long set_value(reg_key key, const C* name, uint32_t type, const void* data, uint32_t size)
{
    if (!key)
        return error_invalid_handle;
    fs::path file = static_cast<Key*>(key)->path / file_name(utf8(name));
    fs::path tmp = file;
    tmp += ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return error_access_denied;
        out.write(reinterpret_cast<const char*>(&type), 4);
        out.write(static_cast<const char*>(data), size);
        if (!out)
            return error_access_denied;
    }
    std::error_code ec;
    fs::rename(tmp, file, ec);
    return ec ? error_access_denied : error_success;
}

} // namespace

reg_key reg_current_user() { return &current_user_key; }
long reg_create_key(reg_key parent, const char* subkey, reg_key* out) { return create_key(parent, subkey, out); }
long reg_create_key(reg_key parent, const wchar_t* subkey, reg_key* out) { return create_key(parent, subkey, out); }
long reg_query_value(reg_key key, const char* name, uint32_t* type, void* data, uint32_t* size)
{
    return query_value(key, name, type, data, size);
}
long reg_query_value(reg_key key, const wchar_t* name, uint32_t* type, void* data, uint32_t* size)
{
    return query_value(key, name, type, data, size);
}
long reg_set_value(reg_key key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    return set_value(key, name, type, data, size);
}
long reg_set_value(reg_key key, const wchar_t* name, uint32_t type, const void* data, uint32_t size)
{
    return set_value(key, name, type, data, size);
}
void reg_close(reg_key key)
{
    if (key && key != &current_user_key)
        std::unique_ptr<Key>(static_cast<Key*>(key)).reset();
}

} // namespace xll::platform
