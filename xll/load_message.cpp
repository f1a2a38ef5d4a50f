// The load message on the status bar, cleared again through the host's clock, so the user sees
// the add-in arrive without a dialog to dismiss.
#include "xll/load_message.h"

#include "xll/status_bar.h"
#include "xll/xll.h"

namespace xll {

namespace {

// Ten seconds as a fraction of the host's day number.
constexpr double clearing_delay = 0.00011574074074074075;

const OPER12& load_message()
{
    static const OPER12 text(XLL_T("Zorvane.xll 1.0.0.3 - Add-in has been successfully loaded."));
    return text;
}

const OPER12& clearing_macro()
{
    static const OPER12 name(XLL_T("zClearMsg"));
    return name;
}

// The load message's answer to a failure, for its handler and for zShowLoadMsg alike: 0, the
// failure told in an Error alert.
const fixed_answer<int> load_failed = answer(0, alerting("The load message could not be shown."));

} // namespace

int show_status_message(const OPER12& text)
{
    show_status_text(text);
    double now = Excel12(xlfNow).to_number();
    Excel12(xlcOnTime, OPER12(now + clearing_delay), clearing_macro());
    return 1;
}

int show_load_message() { return show_status_message(load_message()); }

} // namespace xll

// 1 when the message was shown.
XLL_EXPORT(int, xai_LoadedMsg, (void)) { return xll::guarded(xll::load_failed, xll::show_load_message); }

XLL_EXPORT(int, xll_ClearMsg, (void))
{
    return xll::guarded(xll::answer(0, xll::alerting("The status bar could not be cleared.")), [] {
        xll::give_back_status_bar();
        return 1;
    });
}

XLL_EXPORT(int, xll_macro, (void)) { return xll::guarded(xll::load_failed, xll::show_load_message); }
