// Every registration of the add-in, in registration order. The order is part of the interface:
// registration stops at the first refused record, so it decides what exists after a failure.
#include "xll/xll.h"

using namespace xll;

namespace {

// ---- 8-bit list: framework macros -----------------------------------------------------------

AddIn xai_alert_filter(Args("_xll_alert_filter@0", "ALERT.FILTER"));

// ---- wide list --------------------------------------------------------------------------------

const XCHAR* const zorvane = XLL_T("Zorvane");

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

} // namespace
