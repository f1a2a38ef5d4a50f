// zStatement and the functions that write its SQL for the user, and zQuery, which binds cell
// values to the statement's markers instead.
#include "db/calendar.h"
#include "db/query.h"
#include "db/query_parameters.h"
#include "db/result_cache.h"
#include "db/sql_error.h"
#include "db/statement_builders.h"
#include "db/statement_call.h"
#include "db/run_watch.h"
#include "xll/text.h"
#include "xll/xll.h"

using namespace xll;

namespace db {

LPXLOPER12 FailureAnswer::operator()(const std::exception* failure) const noexcept
{
    auto& cache = ResultCache::instance();
    try {
        const auto* sql = dynamic_cast<const SqlError*>(failure);
        if (texts == sql_only && sql)
            return cache.answer(OPER12(xstring_view(sql->text())));
        if (texts == any && failure)
            return cache.answer(OPER12(xstring_view(widen_text(failure->what()))));
    }
    catch (...) { // no room for the text: the failure is still told, as #VALUE!
    }
    return cache.answer(OPER12(xlerr::Value));
}

double time_stamp_now() noexcept
{
    return guarded(answer(0.0), [] {
        HostCalendar host;
        return current_time_stamp(host);
    });
}

namespace {

// The road itself; with parameters, the statement is prepared and they are bound.
LPXLOPER12 run_call(xstring_view connection_string, xstring_view statement, const QueryParameters* parameters,
                    int headers)
{
    auto& cache = ResultCache::instance();
    if (const OPER12* hit = cache.find(connection_string, statement, headers, parameters))
        return cache.answer_kept(*hit);
    Request request{xstring(connection_string), xstring(statement), std::nullopt, headers != 0};
    if (parameters)
        request.parameters = *parameters;
    SpreadsheetWatchHost spreadsheet;
    RunPlace place{RunRegistry::instance(), ConnectionPool::instance(),
                   [] { return std::make_unique<SerialCalendar>(); }, spreadsheet};
    QueryResult q = answer_request(request, place);
    const double stamp = ResultCache::admits(q) ? time_stamp_now() : 0;
    return cache.answer_and_store(std::move(q), connection_string, statement, headers, stamp, parameters);
}

} // namespace

LPXLOPER12 statement_call(xstring_view connection_string, xstring_view statement, int headers) noexcept
{
    return guarded(FailureAnswer{FailureAnswer::any},
                   [&] { return run_call(connection_string, statement, nullptr, headers); });
}

LPXLOPER12 unbound_parameters(const XLOPER12& parameters, QueryParameters& values) noexcept
{
    // A value that cannot be bound is told in the cell. Null: all bound.
    return guarded(FailureAnswer{FailureAnswer::sql_only}, [&]() -> LPXLOPER12 {
        values = read_parameters(parameters);
        return nullptr;
    });
}

LPXLOPER12 query_call(xstring_view connection_string, xstring_view statement, const XLOPER12& parameters,
                      int headers) noexcept
{
    QueryParameters values;
    if (LPXLOPER12 unbound = unbound_parameters(parameters, values))
        return unbound;
    return guarded(FailureAnswer{FailureAnswer::any},
                   [&] { return run_call(connection_string, statement, &values, headers); });
}

} // namespace db

using xll::argument_text;
using db::statement_call;

// The road answers its own failures as texts; what fails before it, writing the statement or
// reading the arguments, is #VALUE!.
constexpr db::FailureAnswer value_error{db::FailureAnswer::none};

XLL_EXPORT(LPXLOPER12, xll_zQuery,
           (const XCHAR* connection_string, const XCHAR* statement, LPXLOPER12 parameters, short headers))
{
    return guarded(value_error, [&] {
        XLOPER12 omitted{};
        omitted.xltype = xltypeMissing;
        return db::query_call(argument_text(connection_string), argument_text(statement),
                              parameters ? *parameters : omitted, headers);
    });
}

XLL_EXPORT(LPXLOPER12, xll_zStatement, (const XCHAR* connection_string, const XCHAR* statement, short headers))
{
    return guarded(value_error,
                   [&] { return statement_call(argument_text(connection_string), argument_text(statement), headers); });
}

XLL_EXPORT(LPXLOPER12, xll_zSELECT,
           (const XCHAR* connection_string, const XCHAR* select, const XCHAR* from, const XCHAR* where,
            const XCHAR* group_by, const XCHAR* order_by, short headers))
{
    return guarded(value_error, [&] {
        const xstring statement = db::select_statement(argument_text(select), argument_text(from), argument_text(where),
                                                       argument_text(group_by), argument_text(order_by));
        return statement_call(argument_text(connection_string), statement, headers);
    });
}

XLL_EXPORT(LPXLOPER12, xll_zEXECUTE,
           (const XCHAR* connection_string, const XCHAR* procedure, const XCHAR* p1, const XCHAR* p2, const XCHAR* p3,
            const XCHAR* p4, const XCHAR* p5, const XCHAR* p6, const XCHAR* p7, const XCHAR* p8, const XCHAR* p9,
            const XCHAR* p10, short headers))
{
    return guarded(value_error, [&] {
        const xstring statement = db::execute_statement(
            argument_text(procedure), {argument_text(p1), argument_text(p2), argument_text(p3), argument_text(p4),
                                       argument_text(p5), argument_text(p6), argument_text(p7), argument_text(p8),
                                       argument_text(p9), argument_text(p10)});
        return statement_call(argument_text(connection_string), statement, headers);
    });
}

XLL_EXPORT(LPXLOPER12, xll_zListTables, (const XCHAR* connection_string, short headers))
{
    return guarded(value_error, [&] {
        return statement_call(argument_text(connection_string), db::list_tables_statement, headers);
    });
}

XLL_EXPORT(LPXLOPER12, xll_zListProcedures, (const XCHAR* connection_string, short headers))
{
    return guarded(value_error, [&] {
        return statement_call(argument_text(connection_string), db::list_procedures_statement, headers);
    });
}

XLL_EXPORT(LPXLOPER12, xll_zListViews, (const XCHAR* connection_string, short headers))
{
    return guarded(value_error, [&] {
        return statement_call(argument_text(connection_string), db::list_views_statement, headers);
    });
}

XLL_EXPORT(LPXLOPER12, xll_zListColumns, (const XCHAR* connection_string, const XCHAR* table, short headers))
{
    return guarded(value_error, [&] {
        const xstring statement = db::list_columns_statement(argument_text(table));
        return statement_call(argument_text(connection_string), statement, headers);
    });
}
