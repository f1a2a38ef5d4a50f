// What the platform hands the program: its arguments as UTF-8, standard streams that carry bytes
// unchanged (no CR added before a line feed), and one heap for all its threads.
// process_io_posix.cpp takes argv as it is; process_io_windows.cpp reads the UTF-16 command line,
// since argv holds the ANSI code page.
#pragma once

#include <string>
#include <vector>

namespace zorvane::host {

std::vector<std::string> program_arguments(int argc, char** argv);
void use_binary_streams();
// Called before any thread starts. A query's worker allocates most of a large result (the
// driver's copy of it, the add-in's cells), and on Linux a thread's own heap grows a page at a
// time, a system call for each: thousands for a result of a million values. The main heap grows
// in large steps, and the workers spend their time waiting on drivers, not on its lock.
void share_one_heap();

} // namespace zorvane::host
