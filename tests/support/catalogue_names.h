// The names the catalogue registers, in its order, read from xll/catalogue.cpp itself, so that a
// test of what the host lists follows the catalogue instead of counting it.
#pragma once

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace test {

// A registration is a procedure followed by its name, XLL_PROCEDURE("?zName", xll_zName),
// XLL_T("zName") (a plain "NAME" in the 8-bit list); a procedure followed by anything else (an
// asynchronous form) registers nothing of its own. Comment lines are skipped.
inline std::vector<std::string> catalogue_names()
{
    std::ifstream in(ZORVANE_CATALOGUE);
    std::string code, line;
    while (std::getline(in, line)) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, 2, "//") != 0)
            code += line + '\n';
    }
    static const std::regex record(R"(XLL_PROCEDURE4?\("[^"]+",\s*\w+\),\s*(?:XLL_T\()?"([^"]+)\")");
    std::vector<std::string> names;
    for (std::sregex_iterator it(code.begin(), code.end(), record), end; it != end; ++it)
        names.push_back((*it)[1]);
    return names;
}

// The names of the host's `functions` listing, one an entry: "zName(Arguments)" or "NAME  (command)".
inline std::vector<std::string> listed_names(const std::string& listing)
{
    std::vector<std::string> names;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != ' ')
            names.push_back(line.substr(0, std::min(line.find('('), line.find("  "))));
    return names;
}

} // namespace test
