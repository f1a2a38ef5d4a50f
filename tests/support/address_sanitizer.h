// Whether this build runs under AddressSanitizer: its shadow memory cannot live under an
// address-space limit, and its quarantine holds freed memory back, so memory measures differ.
#pragma once

namespace test {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool address_sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool address_sanitized = true;
#else
inline constexpr bool address_sanitized = false;
#endif
#else
inline constexpr bool address_sanitized = false;
#endif

} // namespace test
