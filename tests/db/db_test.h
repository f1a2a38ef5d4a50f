// Helpers shared by the database tests: text in and out of worksheet values, and a calendar
// whose numbers show exactly which parts it was given.
#pragma once

#include <string>

#include "db/calendar.h"
#include "xll/oper.h"
#include "xll/text.h"

namespace test {

inline xll::xstring u(const std::string& utf8) { return xll::utf8_to_xstring(utf8); }
inline std::string s(xll::xstring_view text) { return xll::xstring_to_utf8(text); }

// Text of a text value, or a description of anything else, for messages and comparisons.
inline std::string show(const XLOPER12& x)
{
    const auto& v = static_cast<const xll::OPER12&>(x);
    switch (v.type()) {
    case xltypeStr: return s(v.text());
    case xltypeNum: return "<num " + std::to_string(v.val.num) + ">";
    case xltypeErr: return "<err " + std::to_string(v.val.err) + ">";
    case xltypeBool: return v.val.xbool ? "<TRUE>" : "<FALSE>";
    case xltypeMissing: return "<missing>";
    case xltypeNil: return "<nil>";
    case xltypeMulti: return "<array " + std::to_string(v.rows()) + "x" + std::to_string(v.columns()) + ">";
    default: return "<type " + std::to_string(v.type()) + ">";
    }
}

inline bool is_na(const XLOPER12& x) { return xll::base_type(x.xltype) == xltypeErr && x.val.err == xlerrNA; }

// DATE gives yyyymmdd and TIME the seconds of the day over 86400, so each cell tells which parts
// reached the calendar.
struct StubCalendar : db::Calendar {
    double date(double y, double m, double d) override { return y * 10000 + m * 100 + d; }
    double time(double h, double m, double sec) override { return (h * 3600 + m * 60 + sec) / 86400; }
};

} // namespace test
