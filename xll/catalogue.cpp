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
// 40 zClearMsg, 41 zShowLoadMsg (load messages)

// ---- callbacks and host-event bindings --------------------------------------------------------
// Auto<OpenAfter12>: the load message (load messages)
// On<Key>: "^+B" XLL.PASTE.BASIC, "^+C" XLL.PASTE.CREATE (paste macros)

} // namespace
