// Functions only the paste tests need, added to the add-in's own: array defaults in each width and
// an optional argument. Both answer how many values their first argument holds.
#include "xll/xll.h"

using namespace xll;

extern "C" {

__attribute__((visibility("default"))) LPXLOPER12 tCountRow12(LPXLOPER12 values, LPXLOPER12)
{
    static OPER12 result;
    result = static_cast<double>(size(*values));
    return &result;
}

__attribute__((visibility("default"))) LPXLOPER tCountRow8(LPXLOPER values, LPXLOPER)
{
    static OPER result;
    result = static_cast<double>(size(*values));
    return &result;
}
}

namespace {

AddIn12 xai_count_row12(Args12(XLL_T("Q"), XLL_T("tCountRow12"), XLL_T("tCountRow12"))
                            .Arg(XLL_T("Q"), XLL_T("Values"), XLL_T("Counted. "), OPER12(XLL_T("={1,2,3}")))
                            .Arg(XLL_T("Q"), XLL_T("_Label"), XLL_T("Ignored. "), OPER12(7))
                            .Category(XLL_T("Paste tests"))
                            .FunctionHelp(XLL_T("Counts its values.")));

AddIn xai_count_row8(Args("P", "tCountRow8", "tCountRow8")
                         .Arg("P", "Values", "Counted. ", OPER("={1,2;3,4}"))
                         .Arg("P", "_Label", "Ignored. ", OPER("x"))
                         .Category("Paste tests")
                         .FunctionHelp("Counts its values."));

} // namespace
