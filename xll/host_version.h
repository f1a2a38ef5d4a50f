// The spreadsheet's version as it tells it (GET.WORKSPACE(2)): what the add-in may ask of a host
// depends on it, and the host's version callback (XLCallVer) says only 12 or older.
#pragma once

namespace xll {

// The version's whole number ("14.0" is 14); 0 when the host does not say.
int host_major_version() noexcept;

// Whether the host runs asynchronous worksheet functions and raises the calculation events:
// the spreadsheet does from version 14 (2010) on.
bool host_runs_asynchronous_functions() noexcept;

} // namespace xll
