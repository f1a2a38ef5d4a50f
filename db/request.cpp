#include "db/request.h"

#include "db/prepared_execution.h"
#include "db/statement_kind.h"

namespace db {

StatementExecution Request::execution() const
{
    return parameters ? prepared_execution(statement, *parameters) : direct_execution(statement);
}

xll::xstring_view Request::label() const { return parameters ? XLL_T("zQuery") : XLL_T("zStatement"); }

bool Request::changes_data() const { return !plainly_reads(statement); }

} // namespace db
