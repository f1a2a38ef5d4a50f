// Text crosses three encodings here: UTF-8 on the command line and in sheet files, counted UTF-16
// in the wide interface and in cells, and Latin-1 bytes in the 8-bit interface.
// These conversions are the host's own and stay apart from the add-in's on purpose: the host plays
// the spreadsheet the add-in's results are judged against, and a fault in code they shared would
// show on both sides alike and pass every test.
#pragma once

#include <string>
#include <string_view>

namespace zorvane::host {

std::u16string utf8_to_utf16(std::string_view text);
std::string utf16_to_utf8(std::u16string_view text);

// One byte is one code unit; code units above 0xFF become '?'.
std::u16string latin1_to_utf16(std::string_view bytes);
std::string utf16_to_latin1(std::u16string_view text);

// ASCII-only case folding, enough for function names, TRUE/FALSE and format codes.
char16_t ascii_upper(char16_t c);
std::u16string ascii_upper(std::u16string_view text);
std::string ascii_upper(std::string_view text);
bool iequals_ascii(std::u16string_view a, std::u16string_view b);

// Upper case for the scripts a worksheet commonly holds (Latin, Greek, Cyrillic), used where the
// spreadsheet ignores case in user text (SEARCH, comparisons).
char16_t fold_upper(char16_t c);
std::u16string fold_upper(std::u16string_view text);
// The way back for the same scripts (LOWER).
char16_t fold_lower(char16_t c);
std::u16string fold_lower(std::u16string_view text);

} // namespace zorvane::host
