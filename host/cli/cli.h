// The command line: zorvane [options] eval|run|functions ...
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace zorvane::host {

// What the process tells its caller.
inline constexpr int exit_success = 0;
inline constexpr int exit_load_failure = 1;     // the add-in cannot be loaded, or failed at run time
inline constexpr int exit_usage = 2;            // options, formulas, sheets and their lines, unknown functions
inline constexpr int exit_failures_printed = 3; // everything ran, and a printed value is a failure

// Runs the command line and returns the exit status; `in` is the sheet of "run -".
int run_command_line(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
// The same with standard input.
int run_command_line(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace zorvane::host
