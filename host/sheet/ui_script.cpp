#include "host/sheet/ui_script.h"

namespace zorvane::host {

void UiScript::show_alert(const std::string& caption, const std::string& text)
{
    std::string line = caption + ": " + text;
    out_ << line << '\n';
    out_.flush();
    alerts_.push_back(std::move(line));
}

void UiScript::show_status(const std::string& text)
{
    out_ << (text.empty() ? std::string("Status:") : "Status: " + text) << '\n';
    out_.flush();
}

void UiScript::show_pending(std::size_t calls)
{
    out_ << "Pending: " << calls << " asynchronous call" << (calls == 1 ? "" : "s") << '\n';
    out_.flush();
}

AlertAnswer UiScript::next_alert_answer()
{
    if (alert_answers_.empty())
        return default_alert_;
    const AlertAnswer answer = alert_answers_.front();
    alert_answers_.pop_front();
    return answer;
}

std::optional<DialogAnswer> UiScript::next_dialog_answer()
{
    if (dialog_answers_.empty())
        return std::nullopt;
    DialogAnswer answer = std::move(dialog_answers_.front());
    dialog_answers_.pop_front();
    return answer;
}

} // namespace zorvane::host
