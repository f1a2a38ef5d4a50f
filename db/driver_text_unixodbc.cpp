// unixODBC: a driver without wide entry points gets each UTF-16 unit as one Latin-1 byte (a unit
// beyond Latin-1 becomes its low byte), and its bytes come back one unit each. Echoing a text
// with a character beyond Latin-1 through SQLNativeSqlW shows which road the connection takes.
#include "db/driver_text.h"

namespace db {

DriverText DriverText::probe(SQLHDBC connection)
{
    SQLWCHAR sample[] = {0x00FC, 0x65E5, 0}; // ü and 日
    SQLWCHAR echo[16] = {};
    SQLINTEGER length = 0;
    SQLRETURN rc = SQLNativeSqlW(connection, sample, 2, echo, 16, &length);
    if (!SQL_SUCCEEDED(rc))
        return DriverText(); // no way to tell: trust the wide road
    if (length == 2 && echo[0] == sample[0] && echo[1] == sample[1])
        return DriverText();
    return bytes_as_units();
}

} // namespace db
