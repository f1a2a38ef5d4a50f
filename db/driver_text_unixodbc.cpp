// unixODBC: a driver without wide entry points gets each UTF-16 unit as one Latin-1 byte (a unit
// beyond Latin-1 becomes its low byte), and its bytes come back one unit each. Before connecting,
// the driver's library tells which road its text takes; once connected, echoing a text with a
// character beyond Latin-1 through SQLNativeSqlW shows it.
#include "db/driver_text.h"

#include <dlfcn.h>
#include <locale.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "xll/text.h"

namespace db {

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The drivers and the data sources are listed by calls of one shape: a name and a second field
// per entry (a driver's attributes, a data source's driver).
using ManagerList = SQLRETURN (*)(SQLHENV, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*, SQLCHAR*, SQLSMALLINT,
                                  SQLSMALLINT*);

// The second field of the entry of that name, in any case; empty when none is.
std::string listed(SQLHENV environment, ManagerList list, const std::string& wanted)
{
    SQLCHAR name[256], field[4096];
    SQLSMALLINT name_length = 0, field_length = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(list(environment, direction, name, sizeof name, &name_length, field, sizeof field, &field_length))) {
        direction = SQL_FETCH_NEXT;
        if (lower(reinterpret_cast<const char*>(name)) == lower(wanted))
            return std::string(reinterpret_cast<const char*>(field),
                               std::clamp<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(field_length, 0)), 0, sizeof field - 1));
    }
    return {};
}

// The library of an installed driver, from its attributes in the manager's list of drivers:
// "key=value" texts, each ended by a zero.
std::string driver_library(SQLHENV environment, const std::string& driver)
{
    std::string attributes = listed(environment, SQLDrivers, driver);
    for (size_t start = 0; start < attributes.size();) {
        size_t end = attributes.find('\0', start);
        std::string pair = attributes.substr(start, end == std::string::npos ? std::string::npos : end - start);
        size_t eq = pair.find('=');
        if (eq != std::string::npos && lower(pair.substr(0, eq)) == "driver")
            return pair.substr(eq + 1);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return {};
}

// Whether a driver library has the wide connect, where the manager looks for it as unixODBC does:
// a bare file name in the manager's own driver folder when the loader's path does not find it.
// The library stays loaded: the manager loads it for the connection anyway, and a driver whose
// start-up keeps state (psqlODBC's) must not be unloaded and loaded again under it.
std::optional<bool> has_wide_connect(const std::string& library)
{
    constexpr int mode = RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE;
    void* handle = dlopen(library.c_str(), mode);
    if (!handle && library.find('/') == std::string::npos) {
        Dl_info manager{};
        if (dladdr(reinterpret_cast<void*>(&SQLAllocHandle), &manager) && manager.dli_fname) {
            std::string folder(manager.dli_fname);
            folder.erase(folder.rfind('/') + 1);
            handle = dlopen((folder + "odbc/" + library).c_str(), mode);
        }
    }
    if (!handle)
        return std::nullopt;
    bool wide = dlsym(handle, "SQLDriverConnectW") != nullptr;
    dlclose(handle);
    return wide;
}

} // namespace

DriverText DriverText::before_connecting(SQLHENV environment, xll::xstring_view connection_string)
{
    std::string driver = xll::xstring_to_utf8(attribute(connection_string, "DRIVER"));
    if (driver.empty()) {
        std::string source = xll::xstring_to_utf8(attribute(connection_string, "DSN"));
        if (source.empty() && !attribute(connection_string, "FILEDSN").empty())
            return DriverText();
        std::string named = listed(environment, SQLDataSources, source.empty() ? "Default" : source);
        driver = named.substr(0, named.find('\0'));
    }
    if (driver.empty())
        return DriverText(); // no driver the manager could load either: the string goes as it is

    // Looking a driver up reads the manager's configuration and loads its library: once per
    // driver and process is enough.
    static std::mutex mutex;
    static std::map<std::string, bool> known; // driver -> text goes as bytes
    std::lock_guard<std::mutex> lock(mutex);
    auto found = known.find(driver);
    if (found == known.end()) {
        std::string library = driver.find('/') != std::string::npos ? driver : driver_library(environment, driver);
        std::optional<bool> wide = library.empty() ? std::nullopt : has_wide_connect(library);
        if (!wide)
            return DriverText(); // not cached: the configuration may yet change
        found = known.emplace(driver, !*wide).first;
    }
    return found->second ? bytes_as_units() : DriverText();
}

bool DriverText::manager_narrows(SQLHDBC connection)
{
    // The SQLite driver ends its copy by writing a zero at the last position of the room offered
    // -- in the *input*, which for an 8-bit driver is the manager's converted copy of the sample
    // (four bytes and one per unit, zero included, by unixODBC's count). The sample is therefore
    // long enough for that position to fall inside the copy, and short enough to be copied whole,
    // zeros padding the rest, so the echo is terminated too.
    SQLWCHAR sample[] = {0x00FC, 0x65E5, 'x', 'x', 'x', 'x', 'x', 'x', 0}; // ü, 日 and six x
    constexpr SQLINTEGER sample_length = 8;
    SQLWCHAR echo[16] = {};
    SQLINTEGER length = 0;
    SQLRETURN rc = SQLNativeSqlW(connection, sample, sample_length, echo, 16, &length);
    if (!SQL_SUCCEEDED(rc))
        return false; // no way to tell: trust the wide road
    return !(length == sample_length && std::equal(sample, sample + sample_length, echo));
}

DriverText::Narrowing::Narrowing()
{
    // Made once and kept for the process: the "C" locale's narrowing is unit for byte.
    static const locale_t c = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    if (c != static_cast<locale_t>(nullptr))
        previous_ = uselocale(c);
}

DriverText::Narrowing::~Narrowing()
{
    if (previous_ != nullptr)
        uselocale(static_cast<locale_t>(previous_));
}

} // namespace db
