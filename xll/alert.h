// Modal alerts of three levels, each shown only while the user's filter lets it through.
#pragma once

#include <cstdint>

namespace xll {

enum alert_level : uint32_t { alert_error = 1, alert_warning = 2, alert_info = 4 };

inline constexpr unsigned mb_okcancel = 0x1;
inline constexpr unsigned mb_iconerror = 0x10;
inline constexpr unsigned mb_iconwarning = 0x30;
inline constexpr int id_ok = 1;
inline constexpr int id_cancel = 2;

// The filter as it stands (default 3: errors and warnings shown).
uint32_t alert_filter();
// Replaces the filter and writes it to the store.
void set_alert_filter(uint32_t filter);

// Shows text with caption unless the level is filtered out (then 0). Cancel switches the level off.
int xll_alert(const char* text, const char* caption, uint32_t level, unsigned style);
int xll_alert_error(const char* text);
int xll_alert_warning(const char* text);

// For failure paths inside an export: an Error alert that cannot become a failure of its own.
void alert_error_quietly(const char* text) noexcept;

} // namespace xll
