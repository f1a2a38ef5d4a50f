// Every registration of the add-in, in registration order. The order is part of the interface:
// registration stops at the first refused record, so it decides what exists after a failure.
// It is the export list too: the build reads each procedure, written as
// XLL_PROCEDURE("export name", exported_function), into the module-definition file and the ELF
// export labels (cmake/Exports.cmake). A new worksheet function is a record here, its XLL_EXPORT
// in its folder, its tests and its line in README (ARCHITECTURE.md, "How to add").
#include "xll/load_message.h"
#include "xll/paste.h"
#include "xll/xll.h"

using namespace xll;

namespace {

// ---- 8-bit list: framework macros -----------------------------------------------------------

AddIn xai_alert_filter(Args(XLL_PROCEDURE4("_xll_alert_filter@0", xll_alert_filter), "ALERT.FILTER"));
// 2 XLL.PASTE.BASIC, 3 XLL.PASTE.CREATE (paste macros)
AddIn xai_paste_basic(Args(XLL_PROCEDURE4("_xll_paste_basic@0", xll_paste_basic), "XLL.PASTE.BASIC"));
AddIn xai_paste_create(Args(XLL_PROCEDURE4("_xll_paste_create@0", xll_paste_create), "XLL.PASTE.CREATE"));

// ---- wide list --------------------------------------------------------------------------------

const XCHAR* const zorvane = XLL_T("Zorvane");

// 1 zVersion, 2 zFileLocation (text)

AddIn12 xai_zVersion(Args12(XLL_T("Q!"), XLL_PROCEDURE("?zVersion", xll_zVersion), XLL_T("zVersion"))
                         .Arg(XLL_T("U"), XLL_T(""), XLL_T("No argument required. "))
                         .Category(zorvane)
                         .FunctionHelp(XLL_T("Returns the current version of this add-in.")));

AddIn12 xai_zFileLocation(Args12(XLL_T("Q"), XLL_PROCEDURE("?zFileLocation", xll_zFileLocation), XLL_T("zFileLocation"))
                              .Arg(XLL_T("U"), XLL_T(""), XLL_T("No argument required. "))
                              .Category(zorvane)
                              .FunctionHelp(XLL_T("Returns the location of this add-in file.")));

// 3 zStatement, 4 zSELECT, 5 zEXECUTE, 6 zListTables, 7 zListProcedures, 8 zListViews,
// 9 zListColumns (database)

AddIn12 xai_zStatement(Args12(XLL_T("Q"), XLL_PROCEDURE("?zStatement", xll_zStatement), XLL_T("zStatement"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("C%"), XLL_T("SQL statement"), XLL_T("A valid SQL statement. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("Description of what function does.")));

AddIn12 xai_zSELECT(Args12(XLL_T("Q"), XLL_PROCEDURE("?zSELECT", xll_zSELECT), XLL_T("zSELECT"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("C%"), XLL_T("SELECT"), XLL_T("A combination of TOP x | ALL | DISTINCT | * | column1, column2. "))
                   .Arg(XLL_T("C%"), XLL_T("FROM"), XLL_T("The name of the table or view. "))
                   .Arg(XLL_T("C%"), XLL_T("WHERE"), XLL_T("Optional. One or several conditions. i.e. PRICE>5 "))
                   .Arg(XLL_T("C%"), XLL_T("GROUP BY"), XLL_T("Optional. How the results are grouped. "))
                   .Arg(XLL_T("C%"), XLL_T("ORDER BY"), XLL_T("Optional. A column name|number of column and [ ASC | DESC ]. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("There is no need to include the SQL keywords presented as field names.")));

AddIn12 xai_zEXECUTE(Args12(XLL_T("Q"), XLL_PROCEDURE("?zEXECUTE", xll_zEXECUTE), XLL_T("zEXECUTE"))
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

AddIn12 xai_zListTables(Args12(XLL_T("Q"), XLL_PROCEDURE("?zListTables", xll_zListTables), XLL_T("zListTables"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("List all available tables in database.")));

AddIn12 xai_zListProcedures(Args12(XLL_T("Q"), XLL_PROCEDURE("?zListProcedures", xll_zListProcedures), XLL_T("zListProcedures"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("List all available stored procedures in database.")));

AddIn12 xai_zListViews(Args12(XLL_T("Q"), XLL_PROCEDURE("?zListViews", xll_zListViews), XLL_T("zListViews"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("List all available views in database.")));

AddIn12 xai_zListColumns(Args12(XLL_T("Q"), XLL_PROCEDURE("?zListColumns", xll_zListColumns), XLL_T("zListColumns"))
                   .Arg(XLL_T("C%"), XLL_T("Connection string"), XLL_T("An ODBC connection string. "))
                   .Arg(XLL_T("C%"), XLL_T("Table name"), XLL_T("The name of an existing table or view. "))
                   .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("List all available columns in the specified table or view.")));

AddIn12 xai_zSQLDate(Args12(XLL_T("Q"), XLL_PROCEDURE("?zSQLDate", xll_zSQLDate), XLL_T("zSQLDate"))
                         .Arg(XLL_T("B"), XLL_T("Excel date"), XLL_T("An Excel date. "))
                         .Category(zorvane)
                         .FunctionHelp(XLL_T("Returns a single quote ISO formatted date. Same as zD().")));

AddIn12 xai_zD(Args12(XLL_T("Q"), XLL_PROCEDURE("?zSQLDate", xll_zSQLDate), XLL_T("zD"))
                   .Arg(XLL_T("B"), XLL_T("Excel date"), XLL_T("An Excel date. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("Returns a single quote ISO formatted date. Same as zSQLDate().")));

AddIn12 xai_zSQLDateTime(
    Args12(XLL_T("Q"), XLL_PROCEDURE("?zSQLDateTime", xll_zSQLDateTime), XLL_T("zSQLDateTime"))
        .Arg(XLL_T("B"), XLL_T("Excel date"), XLL_T("An Excel date. "))
        .Category(zorvane)
        .FunctionHelp(XLL_T("Returns a single-quoted ISO formatted date and time. Same as zDT().")));

AddIn12 xai_zDT(Args12(XLL_T("Q"), XLL_PROCEDURE("?zSQLDateTime", xll_zSQLDateTime), XLL_T("zDT"))
                    .Arg(XLL_T("B"), XLL_T("Excel date"), XLL_T("An Excel date. "))
                    .Category(zorvane)
                    .FunctionHelp(XLL_T("Returns a single-quoted ISO formatted date and time. Same as zSQLDateTime().")));

AddIn12 xai_zSQLString(Args12(XLL_T("Q"), XLL_PROCEDURE("?zSQLString", xll_zSQLString), XLL_T("zSQLString"))
                           .Arg(XLL_T("C%"), XLL_T("String"), XLL_T("Any string. "))
                           .Category(zorvane)
                           .FunctionHelp(XLL_T("Returns a single-quoted string. Same as zS().")));

AddIn12 xai_zS(Args12(XLL_T("Q"), XLL_PROCEDURE("?zSQLString", xll_zSQLString), XLL_T("zS"))
                   .Arg(XLL_T("C%"), XLL_T("String"), XLL_T("Any string. "))
                   .Category(zorvane)
                   .FunctionHelp(XLL_T("Returns a single-quoted string. Same as zSQLString.")));

// 16 zJoin, 17 zSplit (text)

AddIn12 xai_zJoin(Args12(XLL_T("Q"), XLL_PROCEDURE("?zJoin", xll_zJoin), XLL_T("zJoin"))
                      .Arg(XLL_T("Q"), XLL_T("Range"), XLL_T("Cells to be joined in the string. "))
                      .Arg(XLL_T("C%"), XLL_T("Delimiter"), XLL_T("Optional. If omitted, a space \" \" is used. "))
                      .Category(zorvane)
                      .FunctionHelp(XLL_T("Returns a string of joined cells separated by the separator string.")));

AddIn12 xai_zSplit(Args12(XLL_T("Q"), XLL_PROCEDURE("?zSplit", xll_zSplit), XLL_T("zSplit"))
                       .Arg(XLL_T("C%"), XLL_T("String"), XLL_T("is a string to split."), OPER12(XLL_T("1,2,3;4,5,6")))
                       .Arg(XLL_T("C%"), XLL_T("Columns delimiter"), XLL_T("is the delimiter for columns. Default is \",\"."))
                       .Arg(XLL_T("C%"), XLL_T("Row delimiter"), XLL_T("is the delimiter for rows. Default is \";\". "))
                       .Category(zorvane)
                       .FunctionHelp(XLL_T("Returns an array of cells split by the separator strings.")));

// 18 zCache_List (database)

AddIn12 xai_zCache_List(Args12(XLL_T("Q!"), XLL_PROCEDURE("?zCache_List", xll_zCache_List), XLL_T("zCache_List"))
                            .Arg(XLL_T("A"), XLL_T("Labels"), XLL_T("List data cached in memory. "))
                            .Category(zorvane)
                            .FunctionHelp(XLL_T("An array functions that displays current cached data.")));

// documentation record "Regex", 19-31 REGEX_* constants, 32 REGEX.MATCH, 33 REGEX.REPLACE,
// 34 REGEX.SEARCH (regular expressions)

const XCHAR* const regex_category = XLL_T("Regex");

AddIn12 xai_regex_documentation(Args12::Documentation(regex_category));

AddIn12 xai_REGEX_FORMAT_DEFAULT(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_FORMAT_DEFAULT@0", xll_REGEX_FORMAT_DEFAULT), XLL_T("REGEX_FORMAT_DEFAULT"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("Use ECMAScript format rules. ")));
AddIn12 xai_REGEX_FORMAT_FIRST_ONLY(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_FORMAT_FIRST_ONLY@0", xll_REGEX_FORMAT_FIRST_ONLY), XLL_T("REGEX_FORMAT_FIRST_ONLY"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("Do not search for matches after the first one. ")));
AddIn12 xai_REGEX_FORMAT_NO_COPY(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_FORMAT_NO_COPY@0", xll_REGEX_FORMAT_NO_COPY), XLL_T("REGEX_FORMAT_NO_COPY"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("Do not copy text that does not match the regular expression. ")));
AddIn12 xai_REGEX_FORMAT_SED(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_FORMAT_SED@0", xll_REGEX_FORMAT_SED), XLL_T("REGEX_FORMAT_SED"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("Use sed format rules. ")));
AddIn12 xai_REGEX_MATCH_ANY(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_MATCH_ANY@0", xll_REGEX_MATCH_ANY), XLL_T("REGEX_MATCH_ANY"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("If more than one match is possible any match is acceptable. ")));
AddIn12 xai_REGEX_MATCH_CONTINUOUS(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_MATCH_CONTINUOUS@0", xll_REGEX_MATCH_CONTINUOUS), XLL_T("REGEX_MATCH_CONTINUOUS"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("Do not search for matches other than at the beginning of the target sequence. ")));
AddIn12 xai_REGEX_MATCH_DEFAULT(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_MATCH_DEFAULT@0", xll_REGEX_MATCH_DEFAULT), XLL_T("REGEX_MATCH_DEFAULT"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("Use default matching rules. ")));
AddIn12 xai_REGEX_MATCH_NOT_BOL(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_MATCH_NOT_BOL@0", xll_REGEX_MATCH_NOT_BOL), XLL_T("REGEX_MATCH_NOT_BOL"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("Do not treat the first position in the target sequence as the beginning of a line. ")));
AddIn12 xai_REGEX_MATCH_NOT_BOW(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_MATCH_NOT_BOW@0", xll_REGEX_MATCH_NOT_BOW), XLL_T("REGEX_MATCH_NOT_BOW"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("Do not treat the first position in the target sequence as the beginning of a word. ")));
AddIn12 xai_REGEX_MATCH_NOT_EOL(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_MATCH_NOT_EOL@0", xll_REGEX_MATCH_NOT_EOL), XLL_T("REGEX_MATCH_NOT_EOL"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("Do not treat the past-the-end position in the target sequence as the end of a line. ")));
AddIn12 xai_REGEX_MATCH_NOT_EOW(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_MATCH_NOT_EOW@0", xll_REGEX_MATCH_NOT_EOW), XLL_T("REGEX_MATCH_NOT_EOW"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("Do not treat the past-the-end position in the target sequence as the end of a word. ")));
AddIn12 xai_REGEX_MATCH_NOT_NULL(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_MATCH_NOT_NULL@0", xll_REGEX_MATCH_NOT_NULL), XLL_T("REGEX_MATCH_NOT_NULL"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("Do not treat an empty subsequence as a match. ")));
AddIn12 xai_REGEX_MATCH_PREV_AVAIL(Args12(XLL_T("Q"), XLL_PROCEDURE("_xll_REGEX_MATCH_PREV_AVAIL@0", xll_REGEX_MATCH_PREV_AVAIL), XLL_T("REGEX_MATCH_PREV_AVAIL"))
    .Category(regex_category)
    .FunctionHelp(XLL_T("First is a valid iterator; ignore match_not_bol and match_not_bow if set. ")));

AddIn12 xai_regex_match(
    Args12(XLL_T("Q"), XLL_PROCEDURE("?xll_regex_match", xll_regex_match), XLL_T("REGEX.MATCH"))
        .Arg(XLL_T("Q"), XLL_T("Subject"), XLL_T("is the text to be matched"), OPER12(XLL_T("=INT(1000*RAND())")))
        .Arg(XLL_T("C%"), XLL_T("Pattern"), XLL_T("is the regular expression"), OPER12(XLL_T("'\\d{2,3}")))
        .Arg(XLL_T("J"), XLL_T("Flags"), XLL_T("are optional flags describing the type of match to perform "),
             OPER12(XLL_T("=REGEX_FORMAT_DEFAULT()")))
        .Category(regex_category)
        .FunctionHelp(XLL_T("Returns TRUE for cells in Subject exactly matching Pattern and FALSE if not.")));

AddIn12 xai_regex_replace(
    Args12(XLL_T("Q"), XLL_PROCEDURE("?xll_regex_replace", xll_regex_replace), XLL_T("REGEX.REPLACE"))
        .Arg(XLL_T("Q"), XLL_T("Subject"), XLL_T("is the text to be searched"))
        .Arg(XLL_T("C%"), XLL_T("Pattern"), XLL_T("is the regular expression"))
        .Arg(XLL_T("C%"), XLL_T("Replace"), XLL_T("is the replacement text "))
        .Arg(XLL_T("J"), XLL_T("_Flags"), XLL_T("are optional flags describing the type of match to perform "))
        .Category(regex_category)
        .FunctionHelp(XLL_T("Replace text in Subject matching Pattern.")));

AddIn12 xai_regex_search(
    Args12(XLL_T("Q"), XLL_PROCEDURE("?xll_regex_search", xll_regex_search), XLL_T("REGEX.SEARCH"))
        .Arg(XLL_T("C%"), XLL_T("Subject"), XLL_T("is the text to be searched"))
        .Arg(XLL_T("C%"), XLL_T("Pattern"), XLL_T("is the regular expression"))
        .Arg(XLL_T("J"), XLL_T("Flags"), XLL_T("are optional flags describing the type of match to perform "))
        .Category(regex_category)
        .FunctionHelp(XLL_T("Return a one column array of all submatches from Subject that match Pattern.")));
// 35 zWebQuery, 36 zWebQueryJSON (web), documentation record "Zorvane"

AddIn12 xai_zWebQuery(
    Args12(XLL_T("Q"), XLL_PROCEDURE("?xll_zWebQuery", xll_zWebQuery), XLL_T("zWebQuery"))
        .Arg(XLL_T("C%"), XLL_T("URL"), XLL_T("is the internet address to be retrieved."))
        .Category(zorvane)
        .FunctionHelp(XLL_T("Retrieves content from the web. Don't forget to include 'http://' prefix.")));

AddIn12 xai_zWebQueryJSON(
    Args12(XLL_T("Q"), XLL_PROCEDURE("?xll_zWebQueryJSON", xll_zWebQueryJSON), XLL_T("zWebQueryJSON"))
        .Arg(XLL_T("C%"), XLL_T("URL"), XLL_T("is the internet address to be retrieved."))
        .Arg(XLL_T("C%"), XLL_T("Key"), XLL_T("Optional. Is the 'Key' to be searched."))
        .Category(zorvane)
        .FunctionHelp(XLL_T("Retrieves a simple JSON string from the web. Don't forget to include 'http://' prefix.")));

AddIn12 xai_zorvane_documentation(Args12::Documentation(zorvane));

// 37 zCache_Clear, 38 zClearCache, 39 zCache_MemoryUsed (database)

AddIn12 xai_zCache_Clear(Args12(XLL_T("Q"), XLL_PROCEDURE("?zCache_Clear", xll_zCache_Clear), XLL_T("zCache_Clear"))
                             .Arg(XLL_T("A"), XLL_T(""), XLL_T("No argument required. "))
                             .Category(zorvane)
                             .FunctionHelp(XLL_T("Clears current cached data.")));

AddIn12 xai_zClearCache(Args12(XLL_PROCEDURE("?zmClear_Cache", xll_zmClear_Cache), XLL_T("zClearCache")));

AddIn12 xai_zCache_MemoryUsed(Args12(XLL_T("Q"), XLL_PROCEDURE("?zCache_MemoryUsed", xll_zCache_MemoryUsed), XLL_T("zCache_MemoryUsed"))
                                  .Arg(XLL_T("A"), XLL_T(""), XLL_T("No argument required. "))
                                  .Category(zorvane)
                                  .FunctionHelp(XLL_T("Approximate size of memory used by cache expressed in bytes.")));

// 40 zClearMsg, 41 zShowLoadMsg (load messages)

AddIn12 xai_zClearMsg(Args12(XLL_PROCEDURE("?xll_ClearMsg", xll_ClearMsg), XLL_T("zClearMsg")));
AddIn12 xai_zShowLoadMsg(Args12(XLL_PROCEDURE("?xll_macro", xll_macro), XLL_T("zShowLoadMsg")));

// 42 zQuery (database): after every other registration, which it leaves as they are. Its argument
// names hold no blanks, so XLL.PASTE.CREATE can name the cells it lays out. Asynchronous where the
// host runs such functions, with a procedure of its own.

AddIn12 xai_zQuery(
    Args12(XLL_T("Q"), XLL_PROCEDURE("?zQuery", xll_zQuery), XLL_T("zQuery"))
        .Arg(XLL_T("C%"), XLL_T("Connection"), XLL_T("An ODBC connection string. "))
        .Arg(XLL_T("C%"), XLL_T("Statement"), XLL_T("A SQL statement with a ? marker where each value goes. "))
        .Arg(XLL_T("Q"), XLL_T("Parameters"),
             XLL_T("The values for the markers: a value, or a range or array read row by row. An empty cell is NULL. "))
        .Arg(XLL_T("A"), XLL_T("Headers"), XLL_T("Optional. By default is FALSE. "))
        .Category(zorvane)
        .FunctionHelp(XLL_T("Runs a SQL statement with cell values bound to its ? markers; no value becomes part of the SQL text."))
        .asynchronous(XLL_PROCEDURE("?zQueryAsync", xll_zQueryAsync)));

// 43, 44 the commands that hear the calculation's events for zQuery's waiting cells (database)

AddIn12 xai_zQuery_canceled(Args12(XLL_PROCEDURE("?zQueryCalculationCanceled", xll_zQueryCalculationCanceled),
                                   XLL_T("zQuery.CalculationCanceled")));
AddIn12 xai_zQuery_ended(Args12(XLL_PROCEDURE("?zQueryCalculationEnded", xll_zQueryCalculationEnded),
                                XLL_T("zQuery.CalculationEnded")));

// ---- callbacks and host-event bindings --------------------------------------------------------
// Auto<OpenAfter12>: the load message (load messages)
Auto<OpenAfter12> xao_load_message(show_load_message);
// On<Key>: "^+B" XLL.PASTE.BASIC, "^+C" XLL.PASTE.CREATE (paste macros)
On<xll::Key> xok_paste_basic(key_binding("^+B", "XLL.PASTE.BASIC"));
On<xll::Key> xok_paste_create(key_binding("^+C", "XLL.PASTE.CREATE"));

} // namespace
