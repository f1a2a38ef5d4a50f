// The query road's timeouts and limits, each with the reason for its value.
#pragma once

#include <chrono>
#include <cstddef>

namespace db {

// How long a connect may take unless the connection string's LoginTimeout says otherwise: long
// enough for a distant server behind a slow network, far shorter than the operating system's two
// minutes for a host that never answers.
inline constexpr std::chrono::seconds login_timeout{30};

// How often the calling thread asks whether Esc was pressed: a tenth of a second feels at once,
// and asking costs the spreadsheet next to nothing.
inline constexpr std::chrono::milliseconds esc_poll{100};
// A query shorter than this shows nothing on the status bar: a flash of text would only distract.
inline constexpr std::chrono::milliseconds quiet_time{1000};
// The shortest time between two status texts: a few a second reads as moving without flicker.
inline constexpr std::chrono::milliseconds status_every{250};

// After Esc while rows arrive, the worker stops at the next row by itself; only a fetch that has
// not come back within this time (the driver waiting for the server's next rows) is cancelled.
inline constexpr std::chrono::milliseconds fetch_cancel_grace{300};

// A sheet rarely talks to more than a few data sources; each kept connection holds a server
// session, so the least recently used goes when a new one would pass this.
inline constexpr size_t kept_connections = 4;
// A connection left alone this long is closed at the next query: the server's session should not
// outlive the user's interest by much.
inline constexpr std::chrono::minutes kept_idle_limit{5};

} // namespace db
