// The host's status bar: a text of ours on it, or the host's own text back. Through the checked
// call, so a refusal throws.
#pragma once

#include "xll/oper.h"

namespace xll {

void show_status_text(const OPER12& text);
// With FALSE the host drops our text and shows its own again; the second argument is then ignored.
void give_back_status_bar();

} // namespace xll
