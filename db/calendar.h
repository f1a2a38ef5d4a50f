// Date numbers for the values a query reads. The worksheet's DATE and TIME decide them (its 1900
// date system, its normalisation of out-of-range parts), so the query road asks through this
// interface: the host in the add-in, a stand-in where no host runs.
#pragma once

#include "db/timestamp_text.h"

namespace db {

class Calendar {
public:
    virtual ~Calendar() = default;
    // DATE(year, month, day) and TIME(hour, minute, second) as numbers.
    virtual double date(double year, double month, double day) = 0;
    virtual double time(double hour, double minute, double second) = 0;
    // DATE + TIME of a moment read from a result (its fields in range), or TIME alone.
    virtual double serial(const Moment& m, bool with_day);
};

// The host's DATE and TIME through the checked call; a host error value counts as 0, as its
// numeric reading does.
class HostCalendar : public Calendar {
public:
    double date(double year, double month, double day) override;
    double time(double hour, double minute, double second) override;
};

// The same numbers computed in the add-in (day_serial.h), for the values of a query.
class SerialCalendar : public Calendar {
public:
    double date(double year, double month, double day) override;
    double time(double hour, double minute, double second) override;
    double serial(const Moment& m, bool with_day) override;
};

// The local time now, in whole seconds, as DATE + TIME of the calendar.
double current_time_stamp(Calendar& calendar);

} // namespace db
