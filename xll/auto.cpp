// The entry points the host calls.
#include "xll/auto.h"

#include <string>

#include "xll/alert.h"
#include "xll/export.h"
#include "xll/guarded.h"
#include "xll/register.h"

namespace xll {

// Not the add-in's edge: a binding the host refuses is told here and yields 0, which fails the
// entry point's step with its own text; anything stranger goes on to the entry point's guard.
template <class T> int On<T>::Open()
{
    try {
        for (const auto& entry : List()) {
            int command = static_cast<int>(entry[0].to_number());
            switch (entry.size()) {
            case 3: Excel4(command, entry[1], entry[2]); break;
            case 4: Excel4(command, entry[1], entry[2], entry[3]); break;
            case 5: Excel4(command, entry[1], entry[2], entry[3], entry[4]); break;
            default: break;
            }
        }
        return 1;
    }
    catch (const std::exception& e) {
        xll_alert_error(e.what());
    }
    return 0;
}

template <class T> int On<T>::Close()
{
    try {
        for (const auto& entry : List())
            if (entry.size() > 1)
                Excel4(static_cast<int>(entry[0].to_number()), entry[1]);
        return 1;
    }
    catch (const std::exception& e) {
        xll_alert_error(e.what());
    }
    return 0;
}

template class On<Data>;
template class On<Doubleclick>;
template class On<Entry>;
template class On<Key>;
template class On<Recalc>;
template class On<Sheet>;
template class On<Time>;
template class On<Window>;

} // namespace xll

namespace {

using namespace xll;

// A step of an entry point that yields 0 fails it with this text.
void step(int result, CheckLocation at, const char* function, const char* condition)
{
    ensure(result != 0, at, function, condition);
}

// Entry points report through the host's own alert, 8-bit as the host may not speak wide yet.
void tell_host(const char* text) noexcept { host_alert<XLOPER>(std::string_view(text)); }

// What an entry point answers when a step failed: 0, the failure told to the host.
fixed_answer<int> entry_failure(const char* unknown) { return answer(0, telling{tell_host, unknown}); }

// Registers the record with the lowest register id whose name matches; the answer is kept in
// a static of the width and handed out by address.
template <class X> X* auto_register(const X* name, XOPER<X>& answer)
{
    if (name) {
        for (const auto& [id, args] : RegisterIds<X>()) {
            if (equal<X>((*args)[slot_function_text], *name)) {
                answer = Register(*args, 0);
                break;
            }
        }
    }
    return &answer;
}

// No value of ours carries xlbitDLLFree; one that does is emptied rather than trusted further.
template <class X> void auto_free(X* x) noexcept
{
    if (x && (x->xltype & xlbitDLLFree)) {
        x->xltype &= ~xlbitDLLFree;
        static_cast<XOPER<X>*>(x)->release();
    }
}

} // namespace

XLL_EXPORT(int, xlAutoOpen, (void))
{
    return guarded(entry_failure("xlAutoOpen: unknown failure"), [] {
        const char* fn = "xlAutoOpen";
        step(Auto<xll::Open>::Call(), checks::open_auto, fn, "Auto<Open>::Call()");
        step(AddIn::RegisterAll(), checks::open_register, fn, "AddIn::RegisterAll()");
        step(Auto<OpenAfter>::Call(), checks::open_after, fn, "Auto<OpenAfter>::Call()");
        if (host_has_wide_interface()) {
            step(Auto<Open12>::Call(), checks::open_auto12, fn, "Auto<Open12>::Call()");
            step(AddIn12::RegisterAll(), checks::open_register12, fn, "AddIn12::RegisterAll()");
            step(Auto<OpenAfter12>::Call(), checks::open_after12, fn, "Auto<OpenAfter12>::Call()");
        }
        step(On<Data>::Open(), checks::open_on_data, fn, "On<Data>::Open()");
        step(On<Doubleclick>::Open(), checks::open_on_doubleclick, fn, "On<Doubleclick>::Open()");
        step(On<Entry>::Open(), checks::open_on_entry, fn, "On<Entry>::Open()");
        step(On<xll::Key>::Open(), checks::open_on_key, fn, "On<Key>::Open()");
        step(On<Recalc>::Open(), checks::open_on_recalc, fn, "On<Recalc>::Open()");
        step(On<Sheet>::Open(), checks::open_on_sheet, fn, "On<Sheet>::Open()");
        step(On<Time>::Open(), checks::open_on_time, fn, "On<Time>::Open()");
        step(On<Window>::Open(), checks::open_on_window, fn, "On<Window>::Open()");
        return 1;
    });
}

XLL_EXPORT(int, xlAutoClose, (void))
{
    return guarded(entry_failure("xlAutoClose: unknown failure"), [] {
        const char* fn = "xlAutoClose";
        step(Auto<Close>::Call(), checks::close_auto, fn, "Auto<Close>::Call()");
        if (host_has_wide_interface())
            step(Auto<Close12>::Call(), checks::close_auto12, fn, "Auto<Close12>::Call()");
        return 1;
    });
}

XLL_EXPORT(int, xlAutoAdd, (void))
{
    return guarded(entry_failure("xlAutoAdd: unknown failure"), [] {
        const char* fn = "xlAutoAdd";
        step(Auto<Add>::Call(), checks::add_auto, fn, "Auto<Add>::Call()");
        if (host_has_wide_interface())
            step(Auto<Add12>::Call(), checks::add_auto12, fn, "Auto<Add12>::Call()");
        return 1;
    });
}

XLL_EXPORT(int, xlAutoRemove, (void))
{
    return guarded(entry_failure("xlAutoRemove: unknown failure"), [] {
        const char* fn = "xlAutoRemove";
        step(Auto<RemoveBefore>::Call(), checks::remove_before, fn, "Auto<RemoveBefore>::Call()");
        step(AddIn::UnregisterAll(), checks::remove_unregister, fn, "AddIn::UnregisterAll()");
        step(Auto<Remove>::Call(), checks::remove_auto, fn, "Auto<Remove>::Call()");
        if (host_has_wide_interface()) {
            step(Auto<RemoveBefore12>::Call(), checks::remove_before12, fn, "Auto<RemoveBefore12>::Call()");
            step(AddIn12::UnregisterAll(), checks::remove_unregister12, fn, "AddIn12::UnregisterAll()");
            step(Auto<Remove12>::Call(), checks::remove_auto12, fn, "Auto<Remove12>::Call()");
        }
        step(On<Data>::Close(), checks::remove_on_data, fn, "On<Data>::Close()");
        step(On<Doubleclick>::Close(), checks::remove_on_doubleclick, fn, "On<Doubleclick>::Close()");
        step(On<Entry>::Close(), checks::remove_on_entry, fn, "On<Entry>::Close()");
        step(On<xll::Key>::Close(), checks::remove_on_key, fn, "On<Key>::Close()");
        step(On<Recalc>::Close(), checks::remove_on_recalc, fn, "On<Recalc>::Close()");
        step(On<Sheet>::Close(), checks::remove_on_sheet, fn, "On<Sheet>::Close()");
        step(On<Time>::Close(), checks::remove_on_time, fn, "On<Time>::Close()");
        step(On<Window>::Close(), checks::remove_on_window, fn, "On<Window>::Close()");
        return 1;
    });
}

// A failure is #VALUE!, its text told in an Error alert.
XLL_EXPORT(LPXLOPER12, xlAutoRegister12, (LPXLOPER12 name))
{
    static OPER12 result;
    return guarded(error_in(result, xlerr::Value, alerting()), [&] { return auto_register<XLOPER12>(name, result); });
}

XLL_EXPORT(LPXLOPER, xlAutoRegister, (LPXLOPER name))
{
    static OPER result;
    return guarded(error_in(result, xlerr::Value, alerting()), [&] { return auto_register<XLOPER>(name, result); });
}

XLL_EXPORT(void, xlAutoFree12, (LPXLOPER12 x)) { guarded(quietly, [x] { auto_free(x); }); }

XLL_EXPORT(void, xlAutoFree, (LPXLOPER x)) { guarded(quietly, [x] { auto_free(x); }); }
