#include "host/cli/sheet_input.h"

#include "host/engine/errors.h"
#include "host/engine/utf.h"
#include "host/engine/utf8_path.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace zorvane::host {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

// Text that goes through UTF-16 and back unchanged is well-formed UTF-8 (the decoder replaces
// stray bytes, surrogates and overlong forms, so they come back different).
bool is_utf8(std::string_view line)
{
    return utf16_to_utf8(utf8_to_utf16(line)) == line;
}

void check_text(const SheetSource& sheet)
{
    if (sheet.text.empty())
        throw UsageError(sheet.name + " is empty: a sheet holds lines such as 'A1: =1+2' and 'print A1'");
    std::size_t number = 1;
    for (std::size_t start = 0; start < sheet.text.size(); ++number) {
        const std::size_t end = std::min(sheet.text.find('\n', start), sheet.text.size());
        const std::string_view line = std::string_view(sheet.text).substr(start, end - start);
        const std::string where = sheet.name + ":" + std::to_string(number) + ": ";
        if (line.find('\0') != std::string_view::npos)
            throw UsageError(where + "not a text file: it holds a NUL character");
        if (!is_utf8(line))
            throw UsageError(where + "not UTF-8 text");
        start = end + 1;
    }
}

SheetSource checked(SheetSource sheet)
{
    if (sheet.text.starts_with(byte_order_mark))
        sheet.text.erase(0, byte_order_mark.size());
    check_text(sheet);
    return sheet;
}

} // namespace

SheetSource read_sheet_file(const std::string& utf8_path)
{
    const fs::path path = path_from_utf8(utf8_path);
    std::error_code ec;
    if (fs::is_directory(path, ec))
        throw UsageError(utf8_path + " is a folder, not a sheet file");
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        const int error = errno;
        throw UsageError("cannot open the sheet " + utf8_path + (error ? std::string(": ") + std::strerror(error) : std::string()));
    }
    SheetSource sheet;
    sheet.name = utf8_path;
    sheet.folder = utf8_of(fs::absolute(path, ec).parent_path());
    sheet.text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad())
        throw UsageError("cannot read the sheet " + utf8_path);
    return checked(std::move(sheet));
}

SheetSource read_sheet_stream(std::istream& in, const std::string& name, const std::string& folder)
{
    SheetSource sheet{name, folder, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())};
    if (in.bad())
        throw UsageError("cannot read " + name);
    return checked(std::move(sheet));
}

} // namespace zorvane::host
