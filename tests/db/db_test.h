// Helpers shared by the database tests: text in and out of worksheet values, and a calendar
// whose numbers show exactly which parts it was given.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "db/calendar.h"
#include "db/odbc_connection.h"
#include "db/statement_run.h"
#include "db/run_text.h"
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

// Two readings of the same values, cell by cell in the first columns: the same types, numbers equal
// to the last bit, anything else shown alike.
inline ::testing::AssertionResult same_cells(const xll::OPER12& a, const xll::OPER12& b, size_t columns)
{
    if (a.rows() != b.rows())
        return ::testing::AssertionFailure() << a.rows() << " rows / " << b.rows();
    for (size_t r = 0; r < a.rows(); ++r)
        for (size_t c = 0; c < columns; ++c) {
            const auto &x = a(r, c), &y = b(r, c);
            const bool same = x.type() == y.type() &&
                              (x.type() == xltypeNum ? std::bit_cast<std::uint64_t>(x.val.num) == std::bit_cast<std::uint64_t>(y.val.num)
                                                     : show(x) == show(y));
            if (!same)
                return ::testing::AssertionFailure() << r << "," << c << ": " << show(x) << " / " << show(y);
        }
    return ::testing::AssertionSuccess();
}

inline bool is_na(const XLOPER12& x) { return xll::base_type(x.xltype) == xltypeErr && x.val.err == xlerrNA; }

// DATE gives yyyymmdd and TIME the seconds of the day over 86400, so each cell tells which parts
// reached the calendar.
struct StubCalendar : db::Calendar {
    double date(double y, double m, double d) override { return y * 10000 + m * 100 + d; }
    double time(double h, double m, double sec) override { return (h * 3600 + m * 60 + sec) / 86400; }
};

// The run with its value as a cell shows it: a failure's text where it failed.
inline db::QueryResult shown(db::QueryResult q)
{
    if (q.status == db::QueryStatus::failed)
        q.value = db::failure_value(q.failure);
    return q;
}

// A run on a connection of its own, closed when it is over: the query road without the worksheet
// function, the cache or the worker, its value as the cell shows it.
inline db::QueryResult run_query(xll::xstring_view connection_string, xll::xstring_view statement, bool headers,
                                 db::Calendar& calendar)
{
    // Declared before the statement: the statement handle must go before its connection.
    db::OdbcConnection connection;
    db::OdbcStatement stmt;
    connection.set_connection_string(connection_string);
    return shown(db::run_statement(connection, stmt, db::direct_execution(statement), headers, calendar));
}

// Runs a statement straight through the driver, past the worksheet functions, to set up or change
// a database; it has worked when the driver gives the empty value, and a failure shows what came
// back instead.
inline ::testing::AssertionResult executed(const xll::xstring& connection_string, const std::string& sql)
{
    StubCalendar calendar;
    xll::OPER12 v = run_query(connection_string, u(sql), false, calendar).value;
    if (v.is(xltypeMissing))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << sql << " -> " << show(v);
}
inline ::testing::AssertionResult executed(const std::string& connection_string, const std::string& sql)
{
    return executed(u(connection_string), sql);
}

} // namespace test
