// The road from a worksheet call to the database and back, shared by zStatement, every builder
// and zQuery: the cache first, a run of the request on a miss, the outcome stored and answered.
#include "db/statement_call.h"

#include "db/calendar.h"
#include "db/statement_run.h"
#include "db/result_cache.h"
#include "db/run_watch.h"
#include "db/sql_error.h"
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
