#include "xll/status_bar.h"

#include "xll/host_call.h"

namespace xll {

void show_status_text(const OPER12& text) { Excel12(xlcMessage, OPER12(true), text); }

void give_back_status_bar() { Excel12(xlcMessage, OPER12(false), OPER12(true)); }

} // namespace xll
