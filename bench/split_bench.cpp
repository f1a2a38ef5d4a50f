// split_text, the routine behind zSplit and the web functions' cells, over texts of 0.25, 0.5 and
// 1 MB, each field read by the host's VALUE as in the worksheet. The time per field must not grow
// with the text: the ratio to the smallest text is printed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "host/bridge/host.h"
#include "xll/split_text.h"

namespace {

// Records of a number, a word, a decimal and a date, until the text has the size asked for.
xll::xstring records(size_t units)
{
    xll::xstring text;
    text.reserve(units + 64);
    for (unsigned k = 0; text.size() < units; ++k) {
        std::string r = std::to_string(k) + ",name" + std::to_string(k % 97) + "," + std::to_string(k % 1000) + ".25,2014-05-" +
                        std::to_string(10 + k % 20) + ";";
        text.append(r.begin(), r.end());
    }
    return text;
}

} // namespace

int main()
{
    try {
        zorvane::host::Host host(zorvane::host::HostOptions{}, std::cerr);
        const xll::xstring columns = u",", rows = u";";
        double first_per_field = 0;
        for (size_t kib : {256, 512, 1024}) {
            xll::xstring text = records(kib * 1024);
            size_t fields = 0;
            double best = 1e300;
            for (int round = 0; round < 3; ++round) {
                auto t0 = std::chrono::steady_clock::now();
                xll::OPER12 cells = xll::split_text(text, columns, rows);
                best = std::min(best, std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count());
                fields = 0;
                for (size_t k = 0; k < cells.size(); ++k)
                    fields += !cells[k].is(xltypeNil) && !cells[k].is(xltypeMissing);
            }
            double per_field = best / static_cast<double>(fields);
            if (first_per_field == 0)
                first_per_field = per_field;
            std::printf("split_text %5.2f MB: %7zu fields in %7.1f ms, %6.0f ns per field, ratio to 0.25 MB %.2f\n",
                        static_cast<double>(kib) / 1024, fields, best / 1e6, per_field, per_field / first_per_field);
        }
        return 0;
    }
    catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
