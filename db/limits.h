// The query road's timeouts and limits, each with the reason for its value.
#pragma once

#include <chrono>
#include <cstddef>

#include "db/odbc_api.h"
#include "xll/limits.h"

namespace db {

// How long a connect may take unless the connection string's LoginTimeout says otherwise: long
// enough for a distant server behind a slow network, far shorter than the operating system's two
// minutes for a host that never answers.
inline constexpr std::chrono::seconds login_timeout{30};
// How long a connect waits for another to end where connects take turns (DriverFamily's
// connects_alone): a connect that reaches its server ends in a fraction of this, and the part
// that must not overlap is its last moment; one still waiting on an unreachable server is not
// in that part, and the connects behind it go ahead rather than wait out its login timeout.
inline constexpr std::chrono::seconds connect_turn_wait{5};

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

// How many queries of one data source (one connection string) run at once unless its MaxQueries
// attribute says otherwise: enough for a sheet of queries to overlap their waits on the server,
// few enough that a sheet does not take a shared server's sessions from everyone else.
inline constexpr size_t queries_per_source = 4;
// How many queries run at once in all, whatever the sources and their MaxQueries: each holds a
// thread, a connection and a server session, and a sheet of many sources should not open dozens
// of each on the user's machine. The others wait their turn, first come first served.
inline constexpr size_t running_queries = 16;

// Each kept connection holds a server session; the least recently used goes when a new one would
// pass this. As many as can run at once, so that a sheet's queries find their connections again
// at the next calculation.
inline constexpr size_t kept_connections = running_queries;
// A connection left alone this long is closed at the next query: the server's session should not
// outlive the user's interest by much.
inline constexpr std::chrono::minutes kept_idle_limit{5};
// A kept connection used this recently is trusted without the check that costs a round trip: a
// sheet's queries come within moments of each other, and a session lost in those seconds costs
// one cell a failure that is not kept (a transient one: the next calculation runs it afresh),
// where the check would cost every small query a second round trip. Longer idle, it is checked.
inline constexpr std::chrono::seconds trusted_idle{3};

// Room left free for the driver while rows arrive. PostgreSQL's driver writes through the pointer
// of a failed allocation inside SQLGetData, so a fetch that let the driver meet exhausted memory
// first would end the spreadsheet: the fetch stops with "not enough memory" while this much can
// still be had. A 32-bit spreadsheet's address space is where this is met in earnest.
inline constexpr size_t driver_memory_headroom = size_t{32} << 20;
// Values between two asks for that room, counted in values rather than rows so that a wide row
// is asked for as often as many narrow ones: an ask costs one mapping of address space never
// touched (some 5 microseconds), and this many cells take 256 KB with ordinary texts, far less
// than the room.
inline constexpr size_t values_between_headroom_checks = 16384;
// Values from which the heap's free pages are handed back once the statement is gone: a driver's
// copy takes some 30 bytes a value, so a million values' copy takes tens of megabytes. A smaller
// one is not worth the walk through the heap, which costs as much as converting a good share of
// its values, and the cells' own copy soon takes its pages up again.
inline constexpr size_t values_worth_giving_back = 1000000;

// The fewest rows a successful result with columns has; rows not fetched hold #N/A. Sheets laid
// out around a query's array were built for this shape, so it stays.
inline constexpr size_t minimum_result_rows = 5;
// The longest text a parameter takes: what a cell holds, since every value comes from a cell.
inline constexpr size_t max_parameter_text = xll::max_cell_text;

// A failure's text stays within a 4000-unit buffer with its terminator: the length the cells and
// macros that read it were written against.
inline constexpr size_t max_error_text = 3999;
// A driver's message is read into 256 characters, at most 255 and the terminator, and a longer one
// is cut there: the records of one failure, several lines each, must share max_error_text.
inline constexpr SQLSMALLINT diag_message_buffer = 256;

} // namespace db
