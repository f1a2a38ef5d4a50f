#include "db/cache_listing.h"

#include <algorithm>

#include "xll/text.h"

namespace db {

using xll::OPER12;
using xll::xstring_view;

OPER12 cache_listing(const ResultCache& cache, bool labels)
{
    const auto& entries = cache.entries();
    const size_t start = labels ? 1 : 0;
    OPER12 list(static_cast<int>(std::max(cache_listing_rows, start + entries.size())), 7);
    for (size_t i = 0; i < list.size(); ++i)
        list[i] = xll::xlerr::NA;
    if (labels) {
        const XCHAR* names[7] = {XLL_T("Time stamp"), XLL_T("ms"), XLL_T("Rows"), XLL_T("Cols"),
                                 XLL_T("Connection string"), XLL_T("Statement"), XLL_T("Results")};
        for (size_t j = 0; j < 7; ++j)
            list(0, j) = names[j];
    }
    size_t r = start;
    for (const auto& e : entries) {
        list(r, 0) = e.time_stamp;
        list(r, 1) = e.elapsed_ms;
        list(r, 2) = static_cast<double>(e.last_row) + 1;
        list(r, 3) = static_cast<double>(e.last_column) + 1;
        // A key longer than a cell holds is shown up to the cell's limit.
        auto cell_text = [](const xll::xstring& s) {
            return xll::cut_units(s, static_cast<size_t>(xll::limits<XLOPER12>::maxchars));
        };
        list(r, 4) = cell_text(e.connection_string);
        list(r, 5) = cell_text(e.statement);
        // A result without cells (a statement with no result set) shows as empty text.
        if (e.result.size() == 0)
            list(r, 6) = xstring_view();
        else
            list(r, 6) = e.result(0, 0);
        ++r;
    }
    return list;
}

double cache_memory_used(const ResultCache& cache, const std::function<double(const XLOPER12& cell)>& len)
{
    double total = 0;
    for (const auto& e : cache.entries()) {
        total += 8 + 8 + 4 + 4;
        total += static_cast<double>(e.connection_string.size() + e.statement.size());
        for (size_t i = 0; i < e.result.size(); ++i)
            total += len(e.result[i]);
    }
    return total;
}

} // namespace db
