#include "xll/alert.h"

#include <optional>

#include "xll/export.h"
#include "xll/guarded.h"
#include "xll/host_call.h"
#include "xll/platform.h"
#include "xll/registry.h"

namespace {

constexpr uint32_t default_filter = xll::alert_error | xll::alert_warning;
constexpr const char* subkey = "Software\\TEVO\\xll";
constexpr const wchar_t* subkey_w = L"Software\\TEVO\\xll";

// The stored filter and its UTF-16 twin, read once while the library loads. A store that cannot
// be opened leaves the filter in memory only: alerts must keep working whatever the registry does.
struct Filter {
    std::optional<Reg::Setting<char>> setting;
    std::optional<Reg::Setting<wchar_t>> setting12;
    uint32_t value = default_filter;

    Filter()
    {
        try {
            setting.emplace(xll::platform::reg_current_user(), subkey, "xll_alert_level", default_filter);
            value = setting->value();
        }
        catch (const std::exception&) {
        }
        try {
            setting12.emplace(xll::platform::reg_current_user(), subkey_w, L"xll_alert_level12", default_filter);
        }
        catch (const std::exception&) {
        }
    }

    void store(uint32_t v)
    {
        value = v;
        if (setting) {
            setting->set(v);
            setting->Write();
        }
    }
};

Filter& filter()
{
    static Filter f;
    return f;
}

// Read at load, before the host calls any entry point.
const bool filter_loaded = (filter(), true);

// The dialog definition of ALERT.FILTER: 7 items of 7 columns (type, x, y, width, height, text,
// initial value); nil where the host's defaults apply.
xll::OPER filter_dialog(uint32_t f)
{
    using xll::OPER;
    OPER table(7, 7);
    auto row = [&](int r, OPER type, OPER x, OPER y, OPER w, OPER h, const char* text, OPER init) {
        table(r, 0) = type;
        table(r, 1) = x;
        table(r, 2) = y;
        table(r, 3) = w;
        table(r, 4) = h;
        table(r, 5) = text;
        table(r, 6) = init;
    };
    OPER nil;
    row(0, nil, 10, 10, 230, 90, "Alert Filter", nil);
    row(1, 14, 10, 10, 95, 70, "Show alerts:", nil);
    row(2, 13, nil, nil, nil, nil, "Error", static_cast<double>(f & xll::alert_error));
    row(3, 13, nil, nil, nil, nil, "Warning", static_cast<double>(f & xll::alert_warning));
    row(4, 13, nil, nil, nil, nil, "Info", static_cast<double>(f & xll::alert_info));
    row(5, 3, 135, 20, nil, nil, "OK", nil);
    row(6, 2, 135, 55, nil, nil, "Cancel", nil);
    return table;
}

constexpr int ok_button_item = 5;

} // namespace

namespace xll {

uint32_t alert_filter() { return filter().value; }

void set_alert_filter(uint32_t f) { filter().store(f); }

int xll_alert(const char* text, const char* caption, uint32_t level, unsigned style)
{
    if (!(filter().value & level))
        return 0;
    int answer = platform::message_box(text, caption, style | mb_okcancel);
    if (answer == id_cancel)
        filter().store(filter().value & ~level);
    return answer;
}

int xll_alert_error(const char* text) { return xll_alert(text, "Error", alert_error, mb_iconerror); }

int xll_alert_warning(const char* text) { return xll_alert(text, "Warning", alert_warning, mb_iconwarning); }

void alert_error_quietly(const char* text) noexcept
{
    try {
        xll_alert_error(text);
    }
    catch (...) {
    }
}

} // namespace xll

// A failure of the dialog is told in an Error alert; one without a text goes untold.
XLL_EXPORT(int, xll_alert_filter, (void))
{
    return xll::guarded(xll::answer(0, xll::alerting()), [] {
        xll::OPER answer = xll::Excel4(xlfDialogBox, filter_dialog(xll::alert_filter())).copy();
        bool table = answer.is(xltypeMulti) && answer(0, 0).is(xltypeNil);
        const xll::OPER& chosen = table ? answer(0, 6) : answer[0];
        if (chosen.to_number() == ok_button_item) {
            const struct {
                int row;
                uint32_t bit;
            } boxes[] = {{2, xll::alert_error}, {3, xll::alert_warning}, {4, xll::alert_info}};
            for (const auto& box : boxes) {
                const xll::OPER& v = answer.is(xltypeMulti) ? answer(box.row, 6) : answer;
                uint32_t f = xll::alert_filter();
                xll::set_alert_filter(v.to_number() != 0 ? (f | box.bit) : (f & ~box.bit));
            }
        }
        return 1;
    });
}
