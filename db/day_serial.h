// The worksheet's DATE and TIME on the 1900 date system, computed here instead of asking the host
// once per cell: a query of a million timestamps would otherwise cost two million host calls.
// They give exactly what the host's DATE and TIME give (an end-to-end test compares them, dates
// before 1900-03-01 included), with 0 where the host answers #NUM!, as its numeric reading does.
#pragma once

#include "db/timestamp_text.h"

namespace db {

// Serial 1 is 1900-01-01 and serial 60 the 29 February 1900 the worksheet has always counted.
// Years 0..1899 count from 1900; months and days overflow into the next year or month.
double date_serial(double year, double month, double day);

// The fraction of a day; whole seconds wrap at midnight, a fraction of a second is kept.
double time_serial(double hour, double minute, double second);

// date_serial + time_serial of a moment (or time_serial alone), the same double: a million dates
// of a result come here, and a moment's fields need none of the checks that any number given to
// DATE and TIME does.
double moment_serial(const Moment& m, bool with_day);

} // namespace db
