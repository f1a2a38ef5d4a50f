// What the add-in says about itself: its version texts and where its file lives.
#include "xll/xll.h"

using namespace xll;

XLL_EXPORT(LPXLOPER12, xll_zVersion, (LPXLOPER12))
{
    static OPER12 result;
    return guarded(error_in(result, xlerr::Value), [] {
        OPER12 version(2, 1);
        version(0, 0) = XLL_T("Zorvane.xll 1.0.0.3 May of 2014 - Zorvane add-in for spreadsheet SQL, text and web functions");
        version(1, 0) = XLL_T("Zorvane.xll 1.0.0.3");
        result = std::move(version);
        return &result;
    });
}

XLL_EXPORT(LPXLOPER12, xll_zFileLocation, (LPXLOPER12))
{
    static OPER12 result;
    return guarded(error_in(result, xlerr::Value), [] {
        result = Excel12(xlGetName).copy();
        return &result;
    });
}
