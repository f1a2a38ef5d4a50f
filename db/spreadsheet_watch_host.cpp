// The waiting side of a query against the real spreadsheet: its Esc and its status bar.
#include "db/run_watch.h"
#include "xll/escape_key.h"
#include "xll/status_bar.h"

namespace db {

bool SpreadsheetWatchHost::escape_pressed() noexcept { return xll::take_escape(); }

void SpreadsheetWatchHost::show_status(xll::xstring_view text) noexcept
{
    try {
        xll::show_status_text(xll::OPER12(text));
    }
    catch (...) { // a host without a status bar: the query goes on unseen
    }
}

void SpreadsheetWatchHost::give_back_status() noexcept
{
    try {
        xll::give_back_status_bar();
    }
    catch (...) { // as above: the spreadsheet keeps whatever its bar shows
    }
}

} // namespace db
