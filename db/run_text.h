// The texts a user reads of a run: its progress on the status bar and the cell's text of a run
// that ended short, made here alone so that everything else passes a run's outcome around as data
// (db/sql_error.h's Failure).
#pragma once

#include <cstddef>

#include "db/run_progress.h"
#include "db/sql_error.h"
#include "xll/oper.h"
#include "xll/text.h"

namespace db {

// A count of rows: thousands set apart by commas, and "1 row", "2 rows".
void append_row_count(xll::xstring& out, size_t rows);

// "zStatement: 120,000 rows (Esc to cancel)", and the texts of the phases before the first row.
xll::xstring progress_text(xll::xstring_view label, Phase phase, size_t rows);
// "#Cancelled after 120,000 rows"
xll::xstring cancelled_text(size_t rows);
// "#Cancelled after 380,223 rows: the statement's changes are kept; clear the cache to run it again"
xll::xstring changes_kept_text(size_t rows);
// "#Cancelled while connecting"
xll::xstring cancelled_while_connecting_text();
// "#SQL Error: not enough memory after 120,000 rows"
xll::xstring not_enough_memory_text(size_t rows);

// The cell's value of a failed run, the one place where a failure becomes what the cell shows: its
// text (the driver's records one per line, "#Cancelled after N rows", ...), or #VALUE! where not
// even the text finds room.
xll::OPER12 failure_value(const Failure& failure) noexcept;

} // namespace db
