#include "db/statement_builders.h"

namespace db {

namespace {

using xll::xstring;
using xll::xstring_view;

bool contains(xstring_view s, const XCHAR* keyword) { return s.find(keyword) != xstring_view::npos; }

// " KEYWORD clause", or " clause" when the clause already has its keyword; nothing when empty
// and optional.
xstring clause(xstring_view text, const XCHAR* keyword_blank, bool optional)
{
    if (optional && text.empty())
        return {};
    xstring part(XLL_T(" "));
    if (!contains(text, keyword_blank))
        part += keyword_blank;
    part += text;
    return part;
}

} // namespace

const XCHAR* const list_tables_statement =
    XLL_T("SELECT [TableName] = so.name, [RowCount] = Max(si.Rows) FROM sysobjects so, sysindexes si WHERE ")
    XLL_T("so.xtype = 'U' AND si.ID = OBJECT_ID(so.Name) Group BY so.Name Order BY 2 DESC");

const XCHAR* const list_procedures_statement =
    XLL_T("SELECT ProcedureName=sp.name, ParameterName=par.PARAMETER_NAME, DataType=par.DATA_TYPE FROM ")
    XLL_T("sys.procedures sp LEFT JOIN INFORMATION_SCHEMA.PARAMETERS par ON sp.name = par.SPECIFIC_NAME ORDER BY ")
    XLL_T("sp.name, par.ORDINAL_POSITION");

const XCHAR* const list_views_statement =
    XLL_T("SELECT [ViweName] = so.name, [CreationDate] = so.crdate FROM sysobjects so WHERE so.xtype = 'V' Order BY ")
    XLL_T("1 ASC");

const XCHAR* const list_columns_prefix =
    XLL_T("SELECT ColumnName=COLUMN_NAME, DataType=DATA_TYPE + ")
    XLL_T("ISNULL('('+CAST(CHARACTER_MAXIMUM_LENGTH AS VARCHAR(5))+')','') FROM INFORMATION_SCHEMA.Columns WHERE ")
    XLL_T("TABLE_NAME  = '");

xstring select_statement(xstring_view select, xstring_view from, xstring_view where, xstring_view group_by,
                         xstring_view order_by)
{
    xstring s;
    if (!contains(select, XLL_T("SELECT ")))
        s = XLL_T("SELECT ");
    s += select;
    s += clause(from, XLL_T("FROM "), false);
    s += clause(where, XLL_T("WHERE "), true);
    s += clause(group_by, XLL_T("GROUP BY "), true);
    s += clause(order_by, XLL_T("ORDER BY "), true);
    return s;
}

xstring execute_statement(xstring_view procedure, const std::array<xstring_view, 10>& params)
{
    xstring s(XLL_T("EXEC "));
    s += procedure;
    for (size_t i = 0; i < params.size(); ++i) {
        if (params[i].empty())
            continue;
        s += i == 0 ? XLL_T(" ") : XLL_T(", ");
        s += params[i];
    }
    return s;
}

xstring list_columns_statement(xstring_view table)
{
    xstring s(list_columns_prefix);
    s += table;
    s += XCHAR('\'');
    return s;
}

} // namespace db
