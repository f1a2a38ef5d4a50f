// Whether a statement plainly only reads. Decides what Esc may throw away: a read stopped after it
// was sent runs again at the next calculation, while a statement that may have changed data is
// never sent again on its own. Conservative: a statement is a read only when each of its
// statements begins with SELECT, WITH, VALUES, TABLE, SHOW, DESCRIBE, DESC or EXPLAIN and none of
// its words (outside quotes and comments) is one that writes or calls: INSERT, UPDATE, DELETE,
// MERGE, INTO, CALL, EXEC, EXECUTE, COPY, CREATE, DROP, ALTER, TRUNCATE, GRANT, REVOKE, LOCK,
// ANALYZE, NEXTVAL or SETVAL. So INSERT ... RETURNING, CALL, EXEC and SELECT ... INTO all change
// data, and so does anything the rule does not know.
#pragma once

#include "xll/traits.h"

namespace db {

bool plainly_reads(xll::xstring_view statement);

} // namespace db
