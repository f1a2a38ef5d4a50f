// The spreadsheet's wildcard patterns, as SEARCH, SUMIF/COUNTIF criteria and the lookups' matching
// read them: '?' is any one character, '*' any run of characters, '~' makes the next '?', '*' or
// '~' literal. Letters compare without regard to case.
#pragma once

#include <cstddef>
#include <string_view>

namespace zorvane::host {

// Does the pattern match the whole text?
bool wildcard_match(std::u16string_view pattern, std::u16string_view text);

// Does the pattern match the text from position `at` on? The match need not reach the end of the
// text (SEARCH).
bool wildcard_prefix_match(std::u16string_view pattern, std::u16string_view text, std::size_t at);

// Does the pattern hold a '?' or '*' that is not escaped?
bool has_wildcards(std::u16string_view pattern);

} // namespace zorvane::host
