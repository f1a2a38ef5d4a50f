// Where a sheet comes from: a file, or standard input for "run -". What is not a sheet (a folder,
// a file that cannot be read, no bytes at all, a NUL character or bytes that are not UTF-8 text)
// is a usage error before anything runs; a UTF-8 byte order mark is not part of the first line.
#pragma once

#include <istream>
#include <string>

namespace zorvane::host {

struct SheetSource {
    std::string name;   // for messages: the path as given, or "(standard input)"
    std::string folder; // what ${SHEET_DIR} stands for, UTF-8: the file's folder, or the working folder
    std::string text;
};

// Throws UsageError.
SheetSource read_sheet_file(const std::string& utf8_path);
SheetSource read_sheet_stream(std::istream& in, const std::string& name, const std::string& folder);

} // namespace zorvane::host
