// Windows: the driver manager converts for 8-bit drivers with the system's code page, which no
// byte trick can undo, and the drivers in use there have wide entry points: text goes as it is.
#include "db/driver_text.h"

namespace db {

DriverText DriverText::before_connecting(SQLHENV, xll::xstring_view) { return DriverText(); }

bool DriverText::manager_narrows(SQLHDBC) { return false; }

DriverText::Narrowing::Narrowing() = default;

DriverText::Narrowing::~Narrowing() = default;

} // namespace db
