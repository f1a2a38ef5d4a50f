// The machine's local time as a date serial; local_time_posix.cpp implements it with
// localtime_r, a Windows file would use GetLocalTime.
#pragma once

namespace zorvane::host {

double local_time_serial();

} // namespace zorvane::host
