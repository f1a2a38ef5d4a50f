// The texts with which the add-in tells a failure as a cell's whole value, as far as anyone reads
// them: users' formulas and scripts test for them, and the host's exit status counts a printed
// value that is (or begins with) one of them as a failure. These are interface texts: changing one
// breaks what users built on them. The header needs nothing of the add-in, so the host, which
// never links add-in code, reads the very same list.
#pragma once

#include <string_view>

namespace xll::failure_texts {

// The query road's failures: "#SQL Error ..." with the driver's diagnostics, "#SQL Invalid
// Handle", "#SQL Unknown Error" (db/sql_diagnostics.cpp), "#SQL Parameter ..." for a value that
// cannot be bound (db/query_parameters.cpp).
inline constexpr std::string_view sql = "#SQL";
// The web functions' failed exchange.
inline constexpr std::string_view no_internet = "#No internet";
// "#Cancelled after 1,000 rows": the user pressed Esc during a query.
inline constexpr std::string_view cancelled = "#Cancelled";

// How every failure text above begins.
inline constexpr std::string_view prefixes[] = {sql, no_internet, cancelled};

// A query's whole value, in earlier versions, when a date-time text it fetched could not be read:
// the standard library's texts for the same conversions. Such a value now shows in its own cell,
// but sheets and scripts made before still hold and test for these texts.
inline constexpr std::string_view invalid_position = "invalid string position";
inline constexpr std::string_view invalid_stol = "invalid stol argument";
inline constexpr std::string_view stol_out_of_range = "stol argument out of range";
inline constexpr std::string_view invalid_stod = "invalid stod argument";
inline constexpr std::string_view stod_out_of_range = "stod argument out of range";

inline constexpr std::string_view conversion_failures[] = {invalid_position, invalid_stol, stol_out_of_range,
                                                           invalid_stod, stod_out_of_range};

// A failed check of the framework (xll/ensure.h): "file: ...\nline: ...\nfunction: ...\nensure:
// ...", told by its start and the line of its condition.
inline constexpr std::string_view check_start = "file: ";
inline constexpr std::string_view check_condition = "\nensure: ";

} // namespace xll::failure_texts
