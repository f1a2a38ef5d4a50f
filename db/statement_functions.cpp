// zStatement and the functions that write its SQL for the user, and zQuery, which binds cell
// values to the statement's markers instead.
#include "db/statement_builders.h"
#include "db/statement_call.h"
#include "xll/text.h"
#include "xll/xll.h"

using namespace xll;

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
