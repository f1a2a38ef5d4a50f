// A failure of the query road whose in-band text is already worksheet text. Driver diagnostics
// arrive in UTF-16 and must reach the cell unchanged, so the text travels as UTF-16 rather than
// through what(), which carries the same text in UTF-8 for anyone catching std::exception.
#pragma once

#include <stdexcept>

#include "xll/text.h"

namespace db {

class SqlError : public std::runtime_error {
public:
    // `transient`: a second try may well not repeat the failure, so its outcome is not kept.
    explicit SqlError(xll::xstring text, bool transient = false)
        : std::runtime_error(xll::xstring_to_utf8(text)), text_(std::move(text)), transient_(transient)
    {
    }
    const xll::xstring& text() const noexcept { return text_; }
    bool transient() const noexcept { return transient_; }

private:
    xll::xstring text_;
    bool transient_;
};

} // namespace db
