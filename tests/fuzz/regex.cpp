// REGEX.MATCH, REGEX.REPLACE and REGEX.SEARCH on any pattern, subject, format and flags: a result
// shaped like the subject, or the one runtime error users are shown. Fields: pattern, subject,
// format, flags (decimal).
#include <cstdint>
#include <stdexcept>

#include "fuzz_input.h"
#include "regex/operations.h"

namespace {

template <class F> void guarded(F f)
{
    try {
        f();
    }
    catch (const std::runtime_error&) {
        // what a bad pattern, an over-long result or a match too complex to finish give
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto f = fuzz::fields(data, size, 4);
    xll::xstring pattern = fuzz::units(f[0]), subject = fuzz::units(f[1]), format = fuzz::units(f[2]);
    auto flags = static_cast<int32_t>(fuzz::number(f[3]));

    xll::OPER12 cells(2, 2);
    cells(0, 0) = xll::xstring_view(subject);
    cells(0, 1) = 42.0;
    cells(1, 0) = xll::xstring_view(format);
    cells(1, 1) = xll::xlerr::NA;
    xll::OPER12 text{xll::xstring_view(subject)};

    guarded([&] {
        auto r = xll::regex::match_cells(text, pattern, flags);
        fuzz::expect(r.size() <= 1);
    });
    guarded([&] {
        auto r = xll::regex::match_cells(cells, pattern, flags);
        fuzz::expect(r.rows() == 2 && r.columns() == 2);
    });
    guarded([&] {
        auto r = xll::regex::replace_cells(cells, pattern, format, flags);
        fuzz::expect(r.rows() == 2 && r.columns() == 2);
        fuzz::expect(r(0, 1).is(xltypeErr) && r(1, 1).is(xltypeErr));
    });
    guarded([&] { xll::regex::search_text(subject, pattern, flags); });
    return 0;
}
