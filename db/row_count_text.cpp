#include "db/row_count_text.h"

#include <string>

namespace db {

void append_row_count(xll::xstring& out, size_t rows)
{
    const std::string digits = std::to_string(rows);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += static_cast<XCHAR>(',');
        out += static_cast<XCHAR>(digits[i]);
    }
    for (char c : std::string_view(rows == 1 ? " row" : " rows"))
        out += static_cast<XCHAR>(c);
}

} // namespace db
