#include "xll/host_call.h"

#include "xll/export.h"
#include "xll/guarded.h"
#include "xll/platform.h"

namespace xll {

namespace {

// Found once, at the first wide call or when the host hands it over.
EXCEL12PROC wide_entry = nullptr;

} // namespace

const char* return_code_text(int code)
{
    switch (code) {
    case xlretSuccess: return "";
    case xlretAbort: return "Excel returned macro halted";
    case xlretInvXlfn: return "Excel returned invalid function number";
    case xlretInvCount: return "Excel returned invalid number of arguments";
    case xlretInvXloper: return "Excel returned invalid OPER structure";
    case xlretStackOvfl: return "Excel returned stack overflow";
    case xlretFailed: return "Excel returned command failed";
    case xlretUncalced: return "Excel returned uncalced cell";
    case xlretNotThreadSafe: return "Excel returned not allowed during multi-threaded calc";
    case xlretInvAsynchronousContext: return "Excel returned invalid asynchronous function handle";
    case xlretNotClusterSafe: return "Excel returned not supported on cluster";
    default: return "Excel returned an unknown error! This should never happen";
    }
}

void check_return_code(int code)
{
    if (code != xlretSuccess)
        throw std::runtime_error(return_code_text(code));
}

int Excel12v(int xlfn, LPXLOPER12 result, int count, LPXLOPER12 opers[])
{
    if (!wide_entry)
        wide_entry = platform::find_host_callback();
    if (!wide_entry)
        return xlretFailed;
    return wide_entry(xlfn, count, opers, result);
}

int Excel4v(int xlfn, LPXLOPER result, int count, LPXLOPER opers[])
{
    return platform::host_excel4v(xlfn, result, count, opers);
}

int XLCallVer() { return platform::host_xlcallver(); }

} // namespace xll

// The host library's version query, re-exported by the add-in.
XLL_EXPORT(int, xll_XLCallVer, (void)) { return xll::guarded(xll::answer(0), xll::XLCallVer); }

// Lets a host hand its wide callback over; the one found in the host process wins.
XLL_EXPORT(void, xll_SetExcel12EntryPt, (EXCEL12PROC entry))
{
    xll::guarded(xll::quietly, [entry] {
        if (xll::wide_entry)
            return;
        xll::wide_entry = xll::platform::find_host_callback();
        if (!xll::wide_entry)
            xll::wide_entry = entry;
    });
}
