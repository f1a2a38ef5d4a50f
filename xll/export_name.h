// ELF symbol versioning reserves '@', so on Linux an exported procedure named "_xll_alert_filter@0"
// is stored as "_xll_alert_filter$0". The add-in's own export lookup and the host both go through
// this mapping, so the registered texts stay the Windows ones everywhere.
#pragma once

#include <string>

namespace xll {

inline constexpr char export_at_substitute = '$';

inline std::string export_symbol_name(std::string name)
{
#if !defined(_WIN32)
    for (auto& c : name)
        if (c == '@')
            c = export_at_substitute;
#endif
    return name;
}

} // namespace xll
