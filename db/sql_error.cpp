#include "db/sql_error.h"

#include <string>

#include "db/limits.h"

namespace db {

namespace {

void append_ascii(xll::xstring& text, const std::string& s)
{
    for (char c : s)
        text += static_cast<XCHAR>(static_cast<unsigned char>(c));
}

xll::xstring failure_text(const xll::xstring& head, const std::vector<DiagnosticRecord>& records)
{
    xll::xstring text = head;
    for (const auto& r : records) {
        if (text.size() >= max_error_text)
            break;
        text += r.state;
        append_ascii(text, ":" + std::to_string(r.number) + ":" + std::to_string(r.native) + ":");
        text += r.message;
        text += XCHAR('\n');
        // Never half of a surrogate pair at the end.
        text.resize(xll::cut_units(text, max_error_text).size());
    }
    return text;
}

} // namespace

SqlError::SqlError(xll::xstring head, std::vector<DiagnosticRecord> records, FailureKind kind)
    : std::runtime_error(xll::xstring_to_utf8(failure_text(head, records))), head_(std::move(head)),
      records_(std::move(records)), kind_(kind)
{
}

xll::xstring SqlError::text() const { return failure_text(head_, records_); }

} // namespace db
