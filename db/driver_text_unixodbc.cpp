// unixODBC: a driver without wide entry points gets each UTF-16 unit as one Latin-1 byte (a unit
// beyond Latin-1 becomes its low byte), and its bytes come back one unit each. Echoing a text
// with a character beyond Latin-1 through SQLNativeSqlW shows which road the connection takes.
#include "db/driver_text.h"

#include <algorithm>

namespace db {

DriverText DriverText::probe(SQLHDBC connection)
{
    // The SQLite driver ends its copy by writing a zero at the last position of the room offered
    // -- in the *input*, which for an 8-bit driver is the manager's converted copy of the sample
    // (four bytes and one per unit, zero included, by unixODBC's count). The sample is therefore
    // long enough for that position to fall inside the copy, and short enough to be copied whole,
    // zeros padding the rest, so the echo is terminated too.
    SQLWCHAR sample[] = {0x00FC, 0x65E5, 'x', 'x', 'x', 'x', 'x', 'x', 0}; // ü, 日 and six x
    constexpr SQLINTEGER sample_length = 8;
    SQLWCHAR echo[16] = {};
    SQLINTEGER length = 0;
    SQLRETURN rc = SQLNativeSqlW(connection, sample, sample_length, echo, 16, &length);
    if (!SQL_SUCCEEDED(rc))
        return DriverText(); // no way to tell: trust the wide road
    if (length == sample_length && std::equal(sample, sample + sample_length, echo))
        return DriverText();
    return bytes_as_units();
}

} // namespace db
