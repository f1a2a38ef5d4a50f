// The SQL texts that the builder functions send. Arguments are inserted verbatim: nothing is
// quoted, escaped or trimmed, so what the user typed is exactly what the database sees.
#pragma once

#include <array>

#include "xll/traits.h"

namespace db {

// SELECT from its clauses. A clause that already holds its keyword followed by a blank (a
// case-sensitive search anywhere in it) is taken as written; otherwise the keyword is put in front.
// WHERE, GROUP BY and ORDER BY are left out when empty; FROM never is.
xll::xstring select_statement(xll::xstring_view select, xll::xstring_view from, xll::xstring_view where,
                              xll::xstring_view group_by, xll::xstring_view order_by);

// EXEC of a procedure; empty parameters are skipped, and the separator depends only on the
// position: a blank before the first, a comma and blank before each later one.
xll::xstring execute_statement(xll::xstring_view procedure, const std::array<xll::xstring_view, 10>& params);

// The catalogue listings, written for SQL Server's catalogue.
extern const XCHAR* const list_tables_statement;
extern const XCHAR* const list_procedures_statement;
extern const XCHAR* const list_views_statement;
extern const XCHAR* const list_columns_prefix;
xll::xstring list_columns_statement(xll::xstring_view table);

} // namespace db
