// Runs a command line and collects what it printed, for tests that drive the headless host the
// way a user does.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace test {

struct Run {
    std::string out;
    std::string err;
    int status = -1; // exit status, or -1 when the process did not exit normally
};

// The host's exit status when everything ran and a printed value is a failure (an error value as
// the whole value, "#SQL Error ...", "#No internet", ...).
inline constexpr int printed_failure_status = 3;

// Whether the host ran everything it was given, whatever the values it printed.
inline bool ran(const Run& r) { return r.status == 0 || r.status == printed_failure_status; }

// Each argument is quoted for the shell; standard error goes to a temporary file. The command
// runs in `folder` when one is given.
inline std::string shell_quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline Run run(const std::vector<std::string>& argv, const std::string& env = "", const std::string& folder = "")
{
    std::string cmd = folder.empty() ? "" : "cd " + shell_quote(folder) + " && ";
    cmd += env.empty() ? "" : env + " ";
    for (const auto& a : argv)
        cmd += shell_quote(a) + " ";
    char errname[] = "/tmp/zorvane-test-stderr-XXXXXX";
    int fd = mkstemp(errname);
    if (fd >= 0)
        close(fd);
    cmd += "2>" + shell_quote(errname) + " </dev/null";
    Run r;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        std::array<char, 65536> buf;
        size_t n;
        while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
            r.out.append(buf.data(), n);
        int st = pclose(p);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    std::ifstream e(errname, std::ios::binary);
    std::stringstream ss;
    ss << e.rdbuf();
    r.err = ss.str();
    std::remove(errname);
    return r;
}

// The host and the add-in built beside it (the build folder's root). The same tests drive another
// build of the host when ZORVANE_TEST_HOST names a program that runs it (the Windows host under
// Wine, through a wrapper); ZORVANE_TEST_ADDIN is then the add-in's path as that host names it.
inline std::string from_environment(const char* name, const char* otherwise)
{
    const char* value = std::getenv(name);
    return value && *value ? value : otherwise;
}
inline std::string host_path() { return from_environment("ZORVANE_TEST_HOST", ZORVANE_HOST_PATH); }
inline std::string addin_path() { return from_environment("ZORVANE_TEST_ADDIN", ZORVANE_ADDIN_PATH); }

// `zorvane eval --csv FORMULA...`
inline Run eval_csv(const std::vector<std::string>& formulas, const std::string& env = "")
{
    std::vector<std::string> argv{host_path(), "eval", "--csv"};
    argv.insert(argv.end(), formulas.begin(), formulas.end());
    return run(argv, env);
}

} // namespace test
