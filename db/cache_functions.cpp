// Looking into and emptying the result cache from the worksheet.
#include "db/cache_listing.h"
#include "db/connection_pool.h"
#include "db/run_registry.h"
#include "db/statement_call.h"
#include "db/waiting_cells.h"
#include "xll/load_message.h"
#include "xll/xll.h"

using namespace xll;

namespace {

OPER12& clear_result()
{
    static OPER12 result;
    return result;
}

// A cleared cache sends every query to the database again: its connections start afresh too, and
// runs left by Esc are forgotten, so that a statement they sent may now be sent again.
void clear_cache()
{
    // Runs that ended and were not yet kept go in first, so that the clearing takes them too.
    db::WaitingCells::instance().settle(db::ResultCache::instance(), db::time_stamp_now);
    db::ResultCache::instance().clear();
    db::RunRegistry::instance().clear();
    db::ConnectionPool::instance()->clear();
    clear_result() = XLL_T("Cache cleared.");
}

} // namespace

XLL_EXPORT(LPXLOPER12, xll_zCache_List, (short labels))
{
    static OPER12 result;
    return guarded(error_in(result, xlerr::Value), [labels] {
        result = db::cache_listing(db::ResultCache::instance(), labels != 0);
        return &result;
    });
}

XLL_EXPORT(LPXLOPER12, xll_zCache_Clear, (short))
{
    return guarded(error_in(clear_result(), xlerr::Value), [] {
        clear_cache();
        return &clear_result();
    });
}

XLL_EXPORT(LPXLOPER12, xll_zCache_MemoryUsed, (short))
{
    static OPER12 result;
    return guarded(error_in(result, xlerr::Value), [] {
        // The worksheet's own LEN decides each cell's size, as it would in a formula.
        result = db::cache_memory_used(db::ResultCache::instance(),
                                       [](const XLOPER12& cell) { return Excel12(xlfLen, cell).to_number(); });
        return &result;
    });
}

// Empties the cache, says so on the status bar and has the host clear the bar ten seconds later.
XLL_EXPORT(int, xll_zmClear_Cache, (void))
{
    return guarded(answer(0, alerting("Zorvane: the cache could not be cleared.")), [] {
        clear_cache();
        return show_status_message(OPER12(XLL_T("Zorvane: Cache cleared.")));
    });
}
