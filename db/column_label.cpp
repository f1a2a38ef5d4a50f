#include "db/column_label.h"

#include <algorithm>
#include <vector>

namespace db {

xll::xstring column_label(SQLHSTMT statement, SQLUSMALLINT column, xll::xstring_view described_name)
{
    // The most a length in bytes of SQLSMALLINT tells.
    constexpr size_t max_units = 16383;
    std::vector<SQLWCHAR> label(512);
    for (;;) {
        SQLSMALLINT bytes = 0;
        SQLRETURN rc = SQLColAttributeW(statement, column, SQL_DESC_LABEL, label.data(),
                                        static_cast<SQLSMALLINT>(label.size() * sizeof(SQLWCHAR)), &bytes, nullptr);
        if (!SQL_SUCCEEDED(rc) || bytes <= 0)
            return xll::xstring(described_name);
        const size_t units = static_cast<size_t>(bytes) / sizeof(SQLWCHAR);
        if (units < label.size() || label.size() == max_units)
            return xll::xstring(xll::xstring_view(worksheet_text(label.data())).substr(0, units));
        label.resize(std::min(units + 1, max_units)); // cut: once more with room for all of it
    }
}

} // namespace db
