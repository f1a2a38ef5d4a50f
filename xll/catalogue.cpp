// Every registration of the add-in, in registration order. The order is part of the interface:
// registration stops at the first refused record, so it decides what exists after a failure.
#include "xll/xll.h"

using namespace xll;

namespace {

// ---- 8-bit list: framework macros -----------------------------------------------------------

AddIn xai_alert_filter(Args("_xll_alert_filter@0", "ALERT.FILTER"));
// 2 XLL.PASTE.BASIC, 3 XLL.PASTE.CREATE (paste macros)

// ---- wide list --------------------------------------------------------------------------------

const XCHAR* const zorvane = XLL_T("Zorvane");

// 1 zVersion, 2 zFileLocation (text)
// 3 zStatement, 4 zSELECT, 5 zEXECUTE, 6 zListTables, 7 zListProcedures, 8 zListViews,
// 9 zListColumns (database)

AddIn12 xai_zStatement(Args12(XLL_T("Q"), XLL_T("?zStatement"), XLL_T("zStatement"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("C%"), XLL_T("SQL statement"), XLL_T("A valid SQL statement. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("Description of what function does.")));

AddIn12 xai_zSELECT(Args12(XLL_T("Q"), XLL_T("?zSELECT"), XLL_T("zSELECT"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("C%"), XLL_T("SELECT"), XLL_T("A combination of TOP x | ALL | DISTINCT | * | column1, column2. "))
                   .Arg(XLL_T("C%"), XLL_T("FROM"), XLL_T("The name of the table or view. "))
                   .Arg(XLL_T("C%"), XLL_T("WHERE"), XLL_T("Optional. One or several conditions. i.e. PRICE>5 "))
                   .Arg(XLL_T("C%"), XLL_T("GROUP BY"), XLL_T("Optional. How the results are grouped. "))
                   .Arg(XLL_T("C%"), XLL_T("ORDER BY"), XLL_T("Optional. A column name|number of column and [ ASC | DESC ]. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("There is no need to include the SQL keywords presented as field names.")));

AddIn12 xai_zEXECUTE(Args12(XLL_T("Q"), XLL_T("?zEXECUTE"), XLL_T("zEXECUTE"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("C%"), XLL_T("Store procedure"), XLL_T("The name of sp excluding the key word EXEC. "))
                   .Arg(XLL_T("C%"), XLL_T("Param1"), XLL_T("Optional. The value for parameter 1. "))
                   .Arg(XLL_T("C%"), XLL_T("Param2"), XLL_T("Optional. The value for parameter 2. "))
                   .Arg(XLL_T("C%"), XLL_T("Param3"), XLL_T("Optional. The value for parameter 3. "))
                   .Arg(XLL_T("C%"), XLL_T("Param4"), XLL_T("Optional. The value for parameter 4. "))
                   .Arg(XLL_T("C%"), XLL_T("Param5"), XLL_T("Optional. The value for parameter 5. "))
                   .Arg(XLL_T("C%"), XLL_T("Param6"), XLL_T("Optional. The value for parameter 6. "))
                   .Arg(XLL_T("C%"), XLL_T("Param7"), XLL_T("Optional. The value for parameter 7. "))
                   .Arg(XLL_T("C%"), XLL_T("Param8"), XLL_T("Optional. The value for parameter 8. "))
                   .Arg(XLL_T("C%"), XLL_T("Param9"), XLL_T("Optional. The value for parameter 9. "))
                   .Arg(XLL_T("C%"), XLL_T("Param10"), XLL_T("Optional. The value for parameter 10. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("The stored procedure should return rows.")));

AddIn12 xai_zListTables(Args12(XLL_T("Q"), XLL_T("?zListTables"), XLL_T("zListTables"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("List all available tables in database.")));

AddIn12 xai_zListProcedures(Args12(XLL_T("Q"), XLL_T("?zListProcedures"), XLL_T("zListProcedures"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("List all available stored procedures in database.")));

AddIn12 xai_zListViews(Args12(XLL_T("Q"), XLL_T("?zListViews"), XLL_T("zListViews"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("List all available views in database.")));

AddIn12 xai_zListColumns(Args12(XLL_T("Q"), XLL_T("?zListColumns"), XLL_T("zListColumns"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("C%"), XLL_T("Table name"), XLL_T("The name of an existing table or view. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("List all available columns in the specified table or view.")));


AddIn12 xai_zSQLDate(Args12(XLL_T("Q"), XLL_T("?zSQLDate"), XLL_T("zSQLDate"))
                         .Arg(XLL_T("B"), XLL_T("Excel date"), XLL_T("An Excel date. "))
                         .Category(zorvane)
                         .FunctionHelp(XLL_T("Returns a single quote ISO formatted date. Same as zD().")));

AddIn12 xai_zD(Args12(XLL_T("Q"), XLL_T("?zSQLDate"), XLL_T("zD"))
                   .Arg(XLL_T("B"), XLL_T("Excel date"), XLL_T("An Excel date. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("Returns a single quote ISO formatted date. Same as zSQLDate().")));

AddIn12 xai_zSQLDateTime(
    Args12(XLL_T("Q"), XLL_T("?zSQLDateTime"), XLL_T("zSQLDateTime"))
        .Arg(XLL_T("B"), XLL_T("Excel date"), XLL_T("An Excel date. "))
        .Category(zorvane)
        .FunctionHelp(XLL_T("Returns a single-quoted ISO formatted date and time. Same as zDT().")));

AddIn12 xai_zDT(Args12(XLL_T("Q"), XLL_T("?zSQLDateTime"), XLL_T("zDT"))
                    .Arg(XLL_T("B"), XLL_T("Excel date"), XLL_T("An Excel date. "))
                    .Category(zorvane)
                    .FunctionHelp(XLL_T("Returns a single-quoted ISO formatted date and time. Same as zSQLDateTime().")));

AddIn12 xai_zSQLString(Args12(XLL_T("Q"), XLL_T("?zSQLString"), XLL_T("zSQLString"))
                           .Arg(XLL_T("C%"), XLL_T("String"), XLL_T("Any string. "))
                           .Category(zorvane)
                           .FunctionHelp(XLL_T("Returns a single-quoted string. Same as zS().")));

AddIn12 xai_zS(Args12(XLL_T("Q"), XLL_T("?zSQLString"), XLL_T("zS"))
                   .Arg(XLL_T("C%"), XLL_T("String"), XLL_T("Any string. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("Returns a single-quoted string. Same as zSQLString.")));

// 16 zJoin, 17 zSplit (text)

AddIn12 xai_zSplit(Args12(XLL_T("Q"), XLL_T("?zSplit"), XLL_T("zSplit"))
                       .Arg(XLL_T("C%"), XLL_T("String"), XLL_T("is a string to split."), OPER12(XLL_T("1,2,3;4,5,6")))
                       .Arg(XLL_T("C%"), XLL_T("Columns delimiter"), XLL_T("is the delimiter for columns. Default is \",\"."))
                       .Arg(XLL_T("C%"), XLL_T("Row delimiter"), XLL_T("is the delimiter for rows. Default is \";\". "))
                       .Category(zorvane)
                       .FunctionHelp(XLL_T("Returns an array of cells split by the separator strings.")));

// 18 zCache_List (database)

AddIn12 xai_zCache_List(Args12(XLL_T("Q!"), XLL_T("?zCache_List"), XLL_T("zCache_List"))
                            .Arg(XLL_T("A"), XLL_T("Labels"), XLL_T("List data cached in memory. "))
                            .Category(zorvane)
                            .FunctionHelp(XLL_T("An array functions that displays current cached data.")));

// documentation record "Regex", 19-31 REGEX_* constants, 32 REGEX.MATCH, 33 REGEX.REPLACE,
// 34 REGEX.SEARCH (regular expressions)
// 35 zWebQuery, 36 zWebQueryJSON (web), documentation record "Zorvane"

AddIn12 xai_zWebQuery(
    Args12(XLL_T("Q"), XLL_T("?xll_zWebQuery"), XLL_T("zWebQuery"))
        .Arg(XLL_T("C%"), XLL_T("URL"), XLL_T("is the internet address to be retrieved."))
        .Category(zorvane)
        .FunctionHelp(XLL_T("Retrieves content from the web. Don't forget to include 'http://' prefix.")));

AddIn12 xai_zWebQueryJSON(
    Args12(XLL_T("Q"), XLL_T("?xll_zWebQueryJSON"), XLL_T("zWebQueryJSON"))
        .Arg(XLL_T("C%"), XLL_T("URL"), XLL_T("is the internet address to be retrieved."))
        .Arg(XLL_T("C%"), XLL_T("Key"), XLL_T("Optional. Is the 'Key' to be searched."))
        .Category(zorvane)
        .FunctionHelp(XLL_T("Retrieves a simple JSON string from the web. Don't forget to include 'http://' prefix.")));

AddIn12 xai_zorvane_documentation(Args12::Documentation(zorvane));

// 37 zCache_Clear, 38 zClearCache, 39 zCache_MemoryUsed (database)

AddIn12 xai_zCache_Clear(Args12(XLL_T("Q"), XLL_T("?zCache_Clear"), XLL_T("zCache_Clear"))
                             .Arg(XLL_T("A"), XLL_T(""), XLL_T("No argument required. "))
                             .Category(zorvane)
                             .FunctionHelp(XLL_T("Clears current cached data.")));

AddIn12 xai_zClearCache(Args12(XLL_T("?zmClear_Cache"), XLL_T("zClearCache")));

AddIn12 xai_zCache_MemoryUsed(Args12(XLL_T("Q"), XLL_T("?zCache_MemoryUsed"), XLL_T("zCache_MemoryUsed"))
                                  .Arg(XLL_T("A"), XLL_T(""), XLL_T("No argument required. "))
                                  .Category(zorvane)
                                  .FunctionHelp(XLL_T("Approximate size of memory used by cache expressed in bytes.")));

// 40 zClearMsg, 41 zShowLoadMsg (load messages)

// ---- callbacks and host-event bindings --------------------------------------------------------
// Auto<OpenAfter12>: the load message (load messages)
// On<Key>: "^+B" XLL.PASTE.BASIC, "^+C" XLL.PASTE.CREATE (paste macros)

} // namespace
