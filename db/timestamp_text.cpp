#include "db/timestamp_text.h"

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "xll/failure_texts.h"

namespace db {

namespace {

namespace failure_texts = xll::failure_texts;

// Like substr: a start past the end fails, a count past the end is shortened.
std::string part(std::string_view text, size_t pos, size_t n)
{
    if (pos > text.size())
        throw std::out_of_range(std::string(failure_texts::invalid_position));
    return std::string(text.substr(pos, n));
}

// Base-10 integer with the standard library's rules (leading blanks skipped, trailing text
// ignored), but with the failure texts of the add-in rather than this library's own.
long to_long(const std::string& s)
{
    const char* begin = s.c_str();
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(begin, &end, 10);
    if (end == begin)
        throw std::invalid_argument(std::string(failure_texts::invalid_stol));
    if (errno == ERANGE)
        throw std::out_of_range(std::string(failure_texts::stol_out_of_range));
    return v;
}

double to_double(const std::string& s)
{
    const char* begin = s.c_str();
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(begin, &end);
    if (end == begin)
        throw std::invalid_argument(std::string(failure_texts::invalid_stod));
    if (errno == ERANGE)
        throw std::out_of_range(std::string(failure_texts::stod_out_of_range));
    return v;
}

} // namespace

TimestampParts parse_timestamp_text(std::string_view text)
{
    TimestampParts p;
    p.year = to_long(part(text, 0, 4));
    p.month = to_long(part(text, 5, 2));
    p.day = to_long(part(text, 8, 2));
    p.hour = to_long(part(text, 11, 2));
    p.minute = to_long(part(text, 14, 2));
    // All the fraction a driver gives: microseconds are part of the value.
    p.second = to_double(part(text, 17, std::string_view::npos));
    return p;
}

} // namespace db
