// The user the host plays: the answers it gives to message boxes and dialog boxes, queued by the
// sheet or the command line, and the record of every alert shown.
#pragma once

#include "host/engine/value.h"

#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace zorvane::host {

enum class AlertAnswer { ok, cancel };

// How the user leaves a dialog box: Cancel, or the button of item row `item` (0 = the default
// OK button) after typing `values` into the item rows named.
struct DialogAnswer {
    bool cancel = false;
    int item = 0;
    std::vector<std::pair<int, std::u16string>> values;
};

class UiScript {
public:
    explicit UiScript(std::ostream& shown_to) : out_(shown_to) {}

    void set_default_alert_answer(AlertAnswer answer) { default_alert_ = answer; }
    void queue_alert_answer(AlertAnswer answer) { alert_answers_.push_back(answer); }
    void queue_dialog_answer(DialogAnswer answer) { dialog_answers_.push_back(std::move(answer)); }

    // Shows "caption: text" on the error stream and records it.
    void show_alert(const std::string& caption, const std::string& text);
    // Shows the status bar's new text as "Status: text" on the error stream ("Status:" when the
    // host's own, empty bar is back).
    void show_status(const std::string& text);
    // Shows how many asynchronous calls a calculation waits for: "Pending: 3 asynchronous calls".
    void show_pending(std::size_t calls);
    // The next queued answer, or the default.
    AlertAnswer next_alert_answer();
    std::optional<DialogAnswer> next_dialog_answer();

    const std::vector<std::string>& alerts() const { return alerts_; }

private:
    std::ostream& out_;
    AlertAnswer default_alert_ = AlertAnswer::ok;
    std::deque<AlertAnswer> alert_answers_;
    std::deque<DialogAnswer> dialog_answers_;
    std::vector<std::string> alerts_;
};

} // namespace zorvane::host
