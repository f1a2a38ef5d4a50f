// zStatement and the functions that write its SQL for the user, and zQuery, which binds cell
// values to the statement's markers instead.
#include "db/calendar.h"
#include "db/prepared_execution.h"
#include "db/query.h"
#include "db/query_parameters.h"
#include "db/result_cache.h"
#include "db/sql_error.h"
#include "db/statement_builders.h"
#include "db/statement_call.h"
#include "db/watched_query.h"
#include "xll/text.h"
#include "xll/xll.h"

using namespace xll;

namespace db {

namespace {

OPER12& shared_result()
{
    static OPER12 result;
    return result;
}

} // namespace

LPXLOPER12 statement_failed() noexcept
{
    ResultCache::instance().Settle();
    shared_result() = xlerr::Value;
    return &shared_result();
}

namespace {

// The road itself; with parameters, the statement is prepared and they are bound.
LPXLOPER12 run_call(xstring_view connection_string, xstring_view statement, const QueryParameters* parameters,
                    int headers) noexcept
{
    OPER12& result = shared_result();
    try {
        auto& cache = ResultCache::instance();
        if (const OPER12* hit = cache.Find(connection_string, statement, headers, parameters)) {
            result = *hit;
            return &result;
        }
        SerialCalendar values;
        SpreadsheetWatchHost spreadsheet;
        WatchedQuery run = run_watched_query(
            connection_string, parameters ? prepared_execution(statement, *parameters) : direct_execution(statement),
            headers != 0, values, ConnectionPool::instance(), spreadsheet,
            parameters ? XLL_T("zQuery") : XLL_T("zStatement"));
        if (run.cancelled) {
            // Nothing is kept: the next calculation runs the query again.
            result = cancelled_text(run.rows);
            return &result;
        }
        QueryResult& q = run.result;
        double stamp = 0; // an entry without its time is better than no entry
        if (ResultCache::Admits(q.value)) {
            try {
                HostCalendar host;
                stamp = current_time_stamp(host);
            }
            catch (...) {
            }
        }
        result = std::move(q.value);
        cache.StoreLent(result, connection_string, statement, headers, q.elapsed_ms, q.last_row, q.last_column, stamp,
                        parameters);
    }
    catch (const std::exception& e) {
        ResultCache::instance().Settle();
        try {
            result = xstring_view(WidenText(e.what()));
        }
        catch (...) {
            result = xlerr::Value;
        }
    }
    catch (...) {
        ResultCache::instance().Settle();
        result = xlerr::Value;
    }
    return &result;
}

} // namespace

LPXLOPER12 statement_call(xstring_view connection_string, xstring_view statement, int headers) noexcept
{
    return run_call(connection_string, statement, nullptr, headers);
}

LPXLOPER12 query_call(xstring_view connection_string, xstring_view statement, const XLOPER12& parameters,
                      int headers) noexcept
{
    QueryParameters values;
    try {
        values = read_parameters(parameters);
    }
    catch (const SqlError& e) {
        // A value that cannot be bound: told in the cell, nothing sent, nothing kept.
        ResultCache::instance().Settle();
        try {
            shared_result() = xstring_view(e.text());
        }
        catch (...) {
            shared_result() = xlerr::Value;
        }
        return &shared_result();
    }
    catch (...) {
        return statement_failed();
    }
    return run_call(connection_string, statement, &values, headers);
}

} // namespace db

using xll::argument_text;
using db::statement_call;

XLL_EXPORT(LPXLOPER12, xll_zQuery,
           (const XCHAR* connection_string, const XCHAR* statement, LPXLOPER12 parameters, short headers))
{
    XLOPER12 omitted{};
    omitted.xltype = xltypeMissing;
    return db::query_call(argument_text(connection_string), argument_text(statement),
                          parameters ? *parameters : omitted, headers);
}

XLL_EXPORT(LPXLOPER12, xll_zStatement, (const XCHAR* connection_string, const XCHAR* statement, short headers))
{
    return statement_call(argument_text(connection_string), argument_text(statement), headers);
}

XLL_EXPORT(LPXLOPER12, xll_zSELECT,
           (const XCHAR* connection_string, const XCHAR* select, const XCHAR* from, const XCHAR* where,
            const XCHAR* group_by, const XCHAR* order_by, short headers))
{
    xstring statement;
    try {
        statement = db::select_statement(argument_text(select), argument_text(from), argument_text(where),
                                         argument_text(group_by), argument_text(order_by));
    }
    catch (...) {
        return db::statement_failed();
    }
    return statement_call(argument_text(connection_string), statement, headers);
}

XLL_EXPORT(LPXLOPER12, xll_zEXECUTE,
           (const XCHAR* connection_string, const XCHAR* procedure, const XCHAR* p1, const XCHAR* p2, const XCHAR* p3,
            const XCHAR* p4, const XCHAR* p5, const XCHAR* p6, const XCHAR* p7, const XCHAR* p8, const XCHAR* p9,
            const XCHAR* p10, short headers))
{
    xstring statement;
    try {
        statement = db::execute_statement(argument_text(procedure),
                                          {argument_text(p1), argument_text(p2), argument_text(p3), argument_text(p4),
                                           argument_text(p5), argument_text(p6), argument_text(p7), argument_text(p8),
                                           argument_text(p9), argument_text(p10)});
    }
    catch (...) {
        return db::statement_failed();
    }
    return statement_call(argument_text(connection_string), statement, headers);
}

XLL_EXPORT(LPXLOPER12, xll_zListTables, (const XCHAR* connection_string, short headers))
{
    return statement_call(argument_text(connection_string), db::list_tables_statement, headers);
}

XLL_EXPORT(LPXLOPER12, xll_zListProcedures, (const XCHAR* connection_string, short headers))
{
    return statement_call(argument_text(connection_string), db::list_procedures_statement, headers);
}

XLL_EXPORT(LPXLOPER12, xll_zListViews, (const XCHAR* connection_string, short headers))
{
    return statement_call(argument_text(connection_string), db::list_views_statement, headers);
}

XLL_EXPORT(LPXLOPER12, xll_zListColumns, (const XCHAR* connection_string, const XCHAR* table, short headers))
{
    xstring statement;
    try {
        statement = db::list_columns_statement(argument_text(table));
    }
    catch (...) {
        return db::statement_failed();
    }
    return statement_call(argument_text(connection_string), statement, headers);
}
