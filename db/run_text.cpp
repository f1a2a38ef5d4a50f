#include "db/run_text.h"

#include <string>
#include <string_view>

#include "xll/failure_texts.h"

namespace db {

namespace {

void append_ascii(xll::xstring& out, std::string_view ascii)
{
    for (char c : ascii)
        out += static_cast<XCHAR>(c);
}

} // namespace

void append_row_count(xll::xstring& out, size_t rows)
{
    const std::string digits = std::to_string(rows);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += static_cast<XCHAR>(',');
        out += static_cast<XCHAR>(digits[i]);
    }
    append_ascii(out, rows == 1 ? " row" : " rows");
}

xll::xstring progress_text(xll::xstring_view label, Phase phase, size_t rows)
{
    if (phase == Phase::connecting)
        return XLL_T("Connecting to the database... (Esc to cancel)");
    xll::xstring text(label);
    append_ascii(text, ": ");
    if (phase == Phase::executing)
        append_ascii(text, "executing");
    else
        append_row_count(text, rows);
    append_ascii(text, " (Esc to cancel)");
    return text;
}

xll::xstring cancelled_text(size_t rows)
{
    xll::xstring text;
    append_ascii(text, xll::failure_texts::cancelled);
    append_ascii(text, " after ");
    append_row_count(text, rows);
    return text;
}

xll::xstring changes_kept_text(size_t rows)
{
    xll::xstring text = cancelled_text(rows);
    append_ascii(text, ": the statement's changes are kept; clear the cache to run it again");
    return text;
}

xll::xstring cancelled_while_connecting_text()
{
    xll::xstring text;
    append_ascii(text, xll::failure_texts::cancelled);
    append_ascii(text, " while connecting");
    return text;
}

xll::xstring not_enough_memory_text(size_t rows)
{
    xll::xstring text(XLL_T("#SQL Error: not enough memory after "));
    append_row_count(text, rows);
    return text;
}

xll::OPER12 failure_value(const Failure& failure) noexcept
{
    using Cause = Failure::Cause;
    try {
        switch (failure.cause) {
        case Cause::error:
            if (failure.error)
                return xll::OPER12(xll::xstring_view(failure.error->text()));
            break;
        case Cause::message: return xll::OPER12(xll::xstring_view(xll::widen_text(failure.message)));
        case Cause::stopped: return xll::OPER12(xll::xstring_view(cancelled_text(failure.rows)));
        case Cause::stopped_connecting: return xll::OPER12(xll::xstring_view(cancelled_while_connecting_text()));
        case Cause::changes_kept: return xll::OPER12(xll::xstring_view(changes_kept_text(failure.rows)));
        case Cause::out_of_memory: return xll::OPER12(xll::xstring_view(not_enough_memory_text(failure.rows)));
        case Cause::unknown: break;
        }
    }
    catch (...) { // no room for the text: the failure is still told
    }
    return xll::OPER12(xll::xlerr::Value);
}

} // namespace db
