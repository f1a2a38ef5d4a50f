// The flag values of the worksheet and the library flags they stand for. The values are part of
// the worksheet interface (users type the numbers), so they never follow the library's own.
#pragma once

#include <cstdint>

#include <boost/regex.hpp>

namespace xll::regex {

enum worksheet_flag : int32_t {
    format_default = 0,
    format_first_only = 4096,
    format_no_copy = 2048,
    format_sed = 1024,
    match_any = 16,
    match_continuous = 64,
    match_default = 0,
    match_not_bol = 1,
    match_not_bow = 4,
    match_not_eol = 2,
    match_not_eow = 8,
    match_not_null = 32,
    match_prev_avail = 256,
};

// The library flags for a sum of worksheet flags, plus the ones every match takes: ^ and $ stand
// for the ends of the whole text, as in ECMAScript, not for the ends of each line.
boost::regex_constants::match_flag_type library_flags(int32_t worksheet_flags);

} // namespace xll::regex
