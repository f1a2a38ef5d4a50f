// The parts of a driver's timestamp text ("YYYY-MM-DD hh:mm:ss[.ffffff]"), read at their fixed
// positions, the seconds with all their fraction. Failures carry the texts users have always seen
// for them: "invalid string position" for a part that starts past the end, "invalid stol
// argument" / "stol argument out of range" and "invalid stod argument" / "stod argument out of
// range" for a part that is not a number.
#pragma once

#include <string_view>

namespace db {

struct TimestampParts {
    long year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double second = 0;
};

TimestampParts parse_timestamp_text(std::string_view text);

} // namespace db
