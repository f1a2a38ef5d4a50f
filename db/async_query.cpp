// zQuery's asynchronous edge, where the spreadsheet runs asynchronous functions: the call answers
// from the cache within itself or leaves the cell waiting for its run (db/waiting_cells.h), and
// two commands of the add-in hear the calculation's events: Esc answers every waiting cell and
// stops the runs, the end of a calculation moves the ended runs into the cache.
#include "db/statement_call.h"
#include "db/waiting_cells.h"
#include "xll/async_return.h"
#include "xll/auto.h"
#include "xll/host_version.h"
#include "xll/xll.h"

using namespace xll;

namespace db {

namespace {

// The cell's value now, or null when it waits for its run.
LPXLOPER12 start_query(xstring_view connection_string, xstring_view statement, const XLOPER12& parameters,
                       int headers, const XLOPER12& handle) noexcept
{
    QueryParameters values;
    if (LPXLOPER12 unbound = unbound_parameters(parameters, values))
        return unbound;
    return guarded(FailureAnswer{FailureAnswer::any}, [&]() -> LPXLOPER12 {
        auto& cache = ResultCache::instance();
        WaitingCells& cells = WaitingCells::instance();
        cells.settle(cache, time_stamp_now);
        // The host copies the value before it answers, so the cache's own entry is handed over.
        if (const OPER12* hit = cache.find(connection_string, statement, headers, &values))
            return const_cast<OPER12*>(hit);
        cells.call(handle, Request{xstring(connection_string), xstring(statement), std::move(values), headers != 0});
        return nullptr;
    });
}

const XCHAR* const canceled_command = XLL_T("zQuery.CalculationCanceled");
const XCHAR* const ended_command = XLL_T("zQuery.CalculationEnded");

// After registration: cells are answered from now on, and where the host runs asynchronous
// functions the commands hear its calculation's events. A host that refuses them still gets its
// values; only Esc would leave the cells to the host's own refusal.
int open_cells()
{
    WaitingCells::instance().open();
    if (!host_runs_asynchronous_functions())
        return 1;
    try {
        Excel12(xlEventRegister, OPER12(canceled_command), OPER12(static_cast<double>(xleventCalculationCanceled)));
        Excel12(xlEventRegister, OPER12(ended_command), OPER12(static_cast<double>(xleventCalculationEnded)));
    }
    catch (...) {
    }
    return 1;
}

// Unloading waits for no server: every run is left as Esc leaves it, and no worker answers a cell
// of an add-in that is gone.
int close_cells()
{
    WaitingCells::instance().close();
    return 1;
}

Auto<OpenAfter12> open_at_load(open_cells);
Auto<Close> close_at_unload(close_cells);

} // namespace

} // namespace db

XLL_EXPORT(void, xll_zQueryAsync,
           (const XCHAR* connection_string, const XCHAR* statement, LPXLOPER12 parameters, short headers,
            LPXLOPER12 handle))
{
    guarded(quietly, [&] {
        if (!handle)
            return;
        XLOPER12 omitted{};
        omitted.xltype = xltypeMissing;
        const XLOPER12 call = *handle;
        LPXLOPER12 now = db::start_query(argument_text(connection_string), argument_text(statement),
                                         parameters ? *parameters : omitted, headers, call);
        if (now)
            async_return(call, *now);
    });
}

XLL_EXPORT(int, xll_zQueryCalculationCanceled, (void))
{
    return guarded(answer(0), [] {
        db::WaitingCells::instance().cancel_all();
        return 1;
    });
}

XLL_EXPORT(int, xll_zQueryCalculationEnded, (void))
{
    return guarded(answer(0), [] {
        db::WaitingCells::instance().settle(db::ResultCache::instance(), db::time_stamp_now);
        return 1;
    });
}
