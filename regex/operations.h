// What REGEX.MATCH, REGEX.REPLACE and REGEX.SEARCH compute, on worksheet values. No host is
// involved; failures throw std::runtime_error with the text the user is shown.
#pragma once

#include <cstdint>

#include "xll/oper.h"

namespace xll::regex {

// Shaped like the subject: TRUE or FALSE where a text cell matches the pattern as a whole, #N/A
// in every other cell. An empty or missing subject gives the missing value.
OPER12 match_cells(const XLOPER12& subject, xstring_view pattern, int32_t flags);

// Shaped like the subject: each text cell with the matches of the pattern replaced by the format
// text, #N/A in every other cell. A rewritten text over the worksheet's 32767 characters fails.
OPER12 replace_cells(const XLOPER12& subject, xstring_view pattern, xstring_view format, int32_t flags);

// The first match only: its text when the pattern has no group, otherwise a column of the texts
// of the groups (an empty text for a group that took no part); #NULL! without a match.
OPER12 search_text(xstring_view subject, xstring_view pattern, int32_t flags);

} // namespace xll::regex
