#include "regex/operations.h"

#include <iterator>

#include "regex/flags.h"
#include "regex/format.h"
#include "regex/pattern.h"
#include "regex/unit_text.h"

namespace xll::regex {

namespace {

// Appends to a unit string and fails as soon as the text outgrows a worksheet cell, so an
// expanding replacement (an empty pattern with a long format text over a long subject) stops at
// 32767 units instead of filling memory first.
class BoundedAppender {
public:
    using iterator_category = std::output_iterator_tag;
    using value_type = void;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = void;

    explicit BoundedAppender(unit_string& s) : s_(&s) {}
    BoundedAppender& operator=(wchar_t c)
    {
        if (s_->size() >= max_cell_text)
            ensure_failed(checks::strlen12, "xll::traits<struct xloper12>::strlen", "n <= limits<XLOPER12>::maxchars");
        s_->push_back(c);
        return *this;
    }
    BoundedAppender& operator*() { return *this; }
    BoundedAppender& operator++() { return *this; }
    BoundedAppender operator++(int) { return *this; }

private:
    unit_string* s_;
};

xstring_view cell_text(const XLOPER12& cell)
{
    return cell.val.str ? xstring_view(cell.val.str + 1, string_length(cell)) : xstring_view();
}

// The subject's shape with per_text applied to each text cell and #N/A everywhere else.
template <class PerText> OPER12 each_cell(const XLOPER12& subject, PerText per_text)
{
    OPER12 result;
    unsigned type = base_type(subject.xltype);
    if (type == xltypeMissing || type == xltypeNil) {
        result.release();
        return result;
    }
    bool array = type == xltypeMulti;
    result = OPER12(static_cast<int>(rows(subject)), static_cast<int>(columns(subject)));
    Subject text;
    for (size_t k = 0; k < result.size(); ++k) {
        const XLOPER12& cell = array ? subject.val.array.lparray[k] : subject;
        if (base_type(cell.xltype) == xltypeStr) {
            text.assign(cell_text(cell));
            result[k] = per_text(text);
        }
        else {
            result[k] = xlerr::NA;
        }
    }
    return result;
}

} // namespace

OPER12 match_cells(const XLOPER12& subject, xstring_view pattern, int32_t flags)
{
    // Compiled before any cell is looked at: a bad pattern fails the call even without text.
    unit_regex e = compile(pattern);
    auto f = library_flags(flags);
    return each_cell(subject, [&](const Subject& s) { return OPER12(boost::regex_match(s.begin(), s.end(), e, f)); });
}

OPER12 replace_cells(const XLOPER12& subject, xstring_view pattern, xstring_view format, int32_t flags)
{
    unit_regex e = compile(pattern);
    auto f = library_flags(flags);
    unit_string format_units = to_units(format);
    Format formatter(format_units.data(), format_units.data() + format_units.size());
    unit_string out;
    return each_cell(subject, [&](const Subject& s) {
        out.clear();
        boost::regex_replace(BoundedAppender(out), s.begin(), s.end(), e, formatter, f);
        return OPER12(xstring_view(from_units(out)));
    });
}

OPER12 search_text(xstring_view subject, xstring_view pattern, int32_t flags)
{
    unit_regex e = compile(pattern);
    Subject s(subject);
    unit_match m;
    if (!boost::regex_search(s.begin(), s.end(), m, e, library_flags(flags)))
        return OPER12(xlerr::Null);
    auto text = [](const auto& sub) { return from_units(unit_view(sub.first, static_cast<size_t>(sub.second - sub.first))); };
    size_t groups = m.size() - 1;
    if (groups == 0)
        return OPER12(xstring_view(text(m[0])));
    OPER12 column(static_cast<int>(groups), 1);
    for (size_t k = 1; k <= groups; ++k)
        column(k - 1, 0) = m[static_cast<int>(k)].matched ? xstring_view(text(m[static_cast<int>(k)])) : xstring_view();
    return column;
}

} // namespace xll::regex
