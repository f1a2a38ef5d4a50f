// REGEX.MATCH and REGEX.REPLACE over 100,000 cells: the add-in's exports, called as the host calls
// them, against the same work done with std::wregex in the same run. Prints the times and the
// ratio, and checks that both gave the same cells.
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <regex>
#include <string>

#include "host/bridge/host.h"
#include "xll/oper.h"

namespace {

using xll::OPER12;
using match_export = LPXLOPER12 (*)(LPXLOPER12, const XCHAR*, int32_t);
using replace_export = LPXLOPER12 (*)(LPXLOPER12, const XCHAR*, const XCHAR*, int32_t);

constexpr int cells = 100000;
constexpr int rounds = 5;

// Order lines of mixed shape; about half match the pattern as a whole.
OPER12 subject_cells()
{
    OPER12 subject(cells, 1);
    unsigned state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u, (state >> 8) % 100000u; };
    for (int k = 0; k < cells; ++k) {
        std::string s = "order-" + std::to_string(next()) + (k % 2 ? " item " : " Item ") +
                        static_cast<char>('A' + next() % 26) + std::to_string(next() % 1000);
        subject[static_cast<size_t>(k)] = xll::xstring_view(std::u16string(s.begin(), s.end()));
    }
    return subject;
}

double best_ms(const std::function<void()>& work)
{
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

std::wstring wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

void report(const char* what, double addin, double peer, size_t differences)
{
    std::printf("%-14s %d cells: add-in %8.1f ms, std::wregex %8.1f ms, std::wregex/add-in %.2f, differing cells %zu\n",
                what, cells, addin, peer, peer / addin, differences);
}

} // namespace

int main()
{
    try {
        zorvane::host::Host host(zorvane::host::HostOptions{}, std::cerr);
        host.load_addin(ZORVANE_ADDIN_PATH);
        void* module = dlopen(ZORVANE_ADDIN_PATH, RTLD_NOW | RTLD_NOLOAD);
        auto match = module ? reinterpret_cast<match_export>(dlsym(module, "?xll_regex_match")) : nullptr;
        auto replace = module ? reinterpret_cast<replace_export>(dlsym(module, "?xll_regex_replace")) : nullptr;
        if (!match || !replace) {
            std::fprintf(stderr, "the add-in's REGEX exports were not found\n");
            return 1;
        }

        OPER12 subject = subject_cells();
        const std::u16string match_pattern = u"order-\\d+ item [A-Z]\\d{1,3}";
        const std::u16string replace_pattern = u"\\d+";
        const std::u16string format = u"#";

        OPER12 addin_result, peer_result(cells, 1);
        double addin = best_ms([&] { addin_result = *match(&subject, match_pattern.c_str(), 0); });
        double peer = best_ms([&] {
            std::wregex re(wide(match_pattern), std::regex::ECMAScript);
            for (size_t k = 0; k < static_cast<size_t>(cells); ++k)
                peer_result[k] = std::regex_match(wide(subject[k].text()), re);
        });
        size_t differences = 0;
        for (size_t k = 0; k < static_cast<size_t>(cells); ++k)
            differences += !(addin_result[k] == peer_result[k]);
        report("REGEX.MATCH", addin, peer, differences);

        addin = best_ms([&] { addin_result = *replace(&subject, replace_pattern.c_str(), format.c_str(), 0); });
        peer = best_ms([&] {
            std::wregex re(wide(replace_pattern), std::regex::ECMAScript);
            std::wstring fmt = wide(format);
            for (size_t k = 0; k < static_cast<size_t>(cells); ++k) {
                std::wstring out = std::regex_replace(wide(subject[k].text()), re, fmt);
                peer_result[k] = xll::xstring_view(std::u16string(out.begin(), out.end()));
            }
        });
        differences = 0;
        for (size_t k = 0; k < static_cast<size_t>(cells); ++k)
            differences += addin_result[k].text() != peer_result[k].text();
        report("REGEX.REPLACE", addin, peer, differences);
        return 0;
    }
    catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
