// A result column's heading: the label the driver reports for it (SQL_DESC_LABEL), which is the
// statement's own name for the column. A driver's column name may be a part of it: SQLite's is
// cut after the last dot, so sum(o.amount) would head its column "amount)".
#pragma once

#include "db/odbc_api.h"
#include "xll/traits.h"

namespace db {

// The label of column (from 1), or the name SQLDescribeCol gave when the driver has no label.
xll::xstring column_label(SQLHSTMT statement, SQLUSMALLINT column, xll::xstring_view described_name);

} // namespace db
