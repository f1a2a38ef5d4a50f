// Runs a sheet written in the test itself, so each case reads beside what it expects.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "support/process.h"

namespace test {

inline Run run_sheet(const std::string& lines, const std::vector<std::string>& options = {})
{
    char name[] = "/tmp/zorvane-test-sheet-XXXXXX";
    int fd = mkstemp(name);
    if (fd >= 0)
        close(fd);
    std::ofstream(name) << lines;
    std::vector<std::string> argv{host_path()};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"run", name});
    Run r = run(argv);
    std::remove(name);
    return r;
}

} // namespace test
