// The command line: zorvane [options] eval|run|functions ...
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace zorvane::host {

// Runs the command line and returns the exit status: 0 success, 1 the add-in cannot be loaded
// or failed at run time, 2 a usage error (options, formulas, sheet lines, unknown functions,
// argument counts).
int run_command_line(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace zorvane::host
