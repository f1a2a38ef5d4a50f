// The callbacks' side of the session: the function numbers the add-in may call, with their
// argument counts, and the host services behind them. Built-in worksheet functions come from the
// shared table.
#include "host/bridge/host.h"
#include "host/bridge/value_record.h"
#include "host/engine/builtins.h"
#include "host/engine/coerce.h"
#include "host/engine/errors.h"
#include "host/engine/sheet_limits.h"
#include "host/engine/utf.h"
#include "host/sheet/dialog_box.h"
#include "host/sheet/escape_key.h"
#include "xll/export_name.h"

#include <cmath>

namespace zorvane::host {

namespace {

bool count_in(const std::vector<Value>& args, std::size_t low, std::size_t high)
{
    return args.size() >= low && args.size() <= high;
}

std::string text_of(const Value& v)
{
    auto t = to_text(v);
    return failed(t) ? std::string() : utf16_to_utf8(std::get<std::u16string>(t));
}

bool is_text_arg(const std::vector<Value>& args, std::size_t i)
{
    return i < args.size() && first_element(args[i]).is_text();
}

} // namespace

// Both widths take the same road: check the arguments, read them as host values, dispatch, and
// hand the answer out as a record the add-in gives back with xlFree.
template <class X> int Host::callback(int xlfn, int count, X** args, X* result)
{
    // The session is the spreadsheet's thread's alone; other threads may only give asynchronous
    // values back (callback12).
    if (std::this_thread::get_id() != thread_)
        return xlretNotThreadSafe;
    try {
        if (count < 0 || count > max_arguments)
            return xlretInvCount;
        if (count > 0 && args == nullptr)
            return xlretInvXloper;
        const int fn = xlfn & ~(xlIntl | xlPrompt);
        if (fn == xlFree) {
            for (int i = 0; i < count; ++i)
                if (args[i] != nullptr)
                    results_.release(*args[i]);
            return xlretSuccess;
        }
        std::vector<Value> values;
        values.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            if (args[i] == nullptr)
                return xlretInvXloper;
            values.push_back(value_from_record(*args[i]));
        }
        Value out;
        const int rc = dispatch(fn, values, out);
        if (rc == xlretSuccess && result != nullptr)
            results_.hand_out(out, *result);
        return rc;
    } catch (const InvalidValueRecord&) {
        return xlretInvXloper;
    } catch (...) {
        return xlretFailed;
    }
}

int Host::callback12(int xlfn, int count, XLOPER12** args, XLOPER12* result)
{
    if ((xlfn & ~(xlIntl | xlPrompt)) == xlAsyncReturn)
        return async_return(count, args, result);
    return callback<XLOPER12>(xlfn, count, args, result);
}

int Host::callback8(int xlfn, XLOPER* result, int count, XLOPER** args)
{
    return callback<XLOPER>(xlfn, count, args, result);
}

int Host::dispatch(int xlfn, std::vector<Value>& args, Value& result)
{
    switch (xlfn) {
    case xlfRegister:
        if (!count_in(args, 2, max_arguments))
            return xlretInvCount;
        result = register_function(args);
        return xlretSuccess;
    case xlfRegisterId:
        if (!count_in(args, 2, 3))
            return xlretInvCount;
        result = register_id(args);
        return xlretSuccess;
    case xlfUnregister:
        if (!count_in(args, 1, 1))
            return xlretInvCount;
        result = unregister(args[0]);
        return xlretSuccess;
    case xlGetName:
        if (!args.empty())
            return xlretInvCount;
        result = utf8_to_utf16(addin_path());
        return xlretSuccess;
    case xlcAlert:
        if (!count_in(args, 1, 3))
            return xlretInvCount;
        result = alert(args);
        return xlretSuccess;
    case xlfDialogBox: {
        if (!count_in(args, 1, 1))
            return xlretInvCount;
        const Value table = args[0].is_ref() ? dereference(args[0].ref()) : args[0];
        result = answer_dialog(table, ui_.next_dialog_answer());
        return xlretSuccess;
    }
    case xlcMessage:
        if (!count_in(args, 1, 2))
            return xlretInvCount;
        result = message(args);
        return xlretSuccess;
    case xlcOnTime:
        if (!count_in(args, 2, 4))
            return xlretInvCount;
        result = on_time(args);
        return xlretSuccess;
    case xlcOnKey:
        if (!count_in(args, 1, 2))
            return xlretInvCount;
        result = on_key(args);
        return xlretSuccess;
    case xlCoerce: {
        if (!count_in(args, 1, 2))
            return xlretInvCount;
        auto converted = coerce(args);
        if (!converted)
            return xlretFailed;
        result = std::move(*converted);
        return xlretSuccess;
    }
    case xlGetInst:
    case xlGetHwnd:
        if (!args.empty())
            return xlretInvCount;
        result = 0.0; // no window and no instance handle in a headless host
        return xlretSuccess;
    case xlAbort: {
        if (!count_in(args, 0, 1))
            return xlretInvCount;
        // FALSE asks to let go of the key; omitted or TRUE only looks.
        bool let_go = false;
        if (!args.empty() && !args[0].is_missing()) {
            auto keep = to_bool(args[0]);
            if (failed(keep))
                return xlretFailed;
            let_go = !std::get<bool>(keep);
        }
        result = escape_pressed(let_go);
        return xlretSuccess;
    }
    case xlEventRegister:
        if (!async_functions())
            return xlretInvXlfn;
        if (!count_in(args, 2, 2))
            return xlretInvCount;
        result = register_event(args);
        return xlretSuccess;
    case xlfGetWorkspace: {
        // Of the workspace only the version is known here, which tells an add-in what it may use.
        if (!count_in(args, 1, 1))
            return xlretInvCount;
        const Value& type = first_element(args[0]);
        if (!type.is_number() || type.number() != 2)
            return xlretFailed;
        result = utf8_to_utf16(version_text());
        return xlretSuccess;
    }
    case xlStack:
        if (!args.empty())
            return xlretInvCount;
        result = 65536.0;
        return xlretSuccess;
    case xlfEcho: {
        // Nothing is drawn, but the setting is kept so that a macro leaving it off shows.
        if (!count_in(args, 0, 1))
            return xlretInvCount;
        const Value& on = args.empty() ? Value(Missing{}) : first_element(args[0]);
        screen_updating_ = on.is_bool() ? on.boolean() : on.is_number() ? on.number() != 0 : !screen_updating_;
        result = true;
        return xlretSuccess;
    }
    default:
        if (auto rc = sheet_command(xlfn, args, result))
            return *rc;
        break;
    }
    if (xlfn & (xlCommand | xlSpecial))
        return xlretInvXlfn;
    const Builtin* builtin = find_builtin_number(xlfn);
    if (builtin == nullptr)
        return xlretInvXlfn;
    const int count = static_cast<int>(args.size());
    if (count < builtin->min_args || count > builtin->max_args)
        return xlretInvCount;
    result = plain(call_builtin(*builtin, *this, std::move(args)));
    return xlretSuccess;
}

Value Host::register_function(std::vector<Value>& args)
{
    if (!is_text_arg(args, 0) || !is_text_arg(args, 1))
        return ErrorCode::value;
    const std::string module_path = text_of(args[0]);
    const std::string procedure = text_of(args[1]);
    Module* module = nullptr;
    try {
        module = &module_for(module_path);
    } catch (const LoadError&) {
        return ErrorCode::value;
    }
    const std::string type_text = args.size() > 2 ? text_of(args[2]) : std::string();
    const std::string function_text = args.size() > 3 ? text_of(args[3]) : std::string();
    MacroType macro_type = MacroType::function;
    if (args.size() > 5 && !args[5].is_missing() && !args[5].is_nil()) {
        auto n = to_number(args[5]);
        if (failed(n) || std::get<double>(n) < 0 || std::get<double>(n) > 2)
            return ErrorCode::value;
        macro_type = static_cast<MacroType>(static_cast<int>(std::get<double>(n)));
    }
    if (type_text.empty() && function_text.empty() && args.size() <= 3) {
        // Module and procedure alone: the add-in registers the procedure itself through
        // xlAutoRegister12.
        auto auto_register = reinterpret_cast<XLOPER12*(XLL_CALL*)(XLOPER12*)>(module->library.symbol("xlAutoRegister12"));
        if (auto_register == nullptr)
            return ErrorCode::value;
        OwnedXloper12 name{Value(utf8_to_utf16(procedure))};
        XLOPER12* answer = nullptr;
        try {
            answer = auto_register(name.get());
        } catch (...) {
            return ErrorCode::value;
        }
        if (answer == nullptr)
            return ErrorCode::value;
        return take_returned_record(*answer, module->free, results_);
    }
    // A command may leave its type text out: it takes nothing and returns an int.
    if (type_text.empty() && macro_type != MacroType::command)
        return ErrorCode::value;
    auto types = type_text.empty() ? std::optional<TypeText>(TypeText{}) : parse_type_text(type_text);
    if (!types || (types->is_async() && !async_functions()))
        return ErrorCode::value; // an older spreadsheet knows no asynchronous function

    void* address = module->library.symbol(xll::export_symbol_name(procedure));
    if (address == nullptr)
        return ErrorCode::value; // the add-in does not export this procedure

    Registration r;
    r.module = module->path;
    r.procedure = procedure;
    r.type_text = type_text;
    r.types = *types;
    r.address = address;
    auto slot = [&](std::size_t i) { return i < args.size() ? text_of(args[i]) : std::string(); };
    r.function_text = function_text;
    r.argument_text = slot(4);
    r.macro_type = macro_type;
    r.category = slot(6);
    r.shortcut = slot(7);
    r.help_topic = slot(8);
    r.function_help = slot(9);
    for (std::size_t i = 10; i < args.size(); ++i)
        r.argument_help.push_back(text_of(args[i]));
    return registry_.add(std::move(r));
}

Value Host::register_id(std::vector<Value>& args)
{
    if (!is_text_arg(args, 0) || !is_text_arg(args, 1))
        return ErrorCode::value;
    const Module* module = find_module(text_of(args[0]));
    if (module != nullptr)
        if (const Registration* r = registry_.find_procedure(module->path, text_of(args[1])))
            return r->id;
    // Not yet registered: with a type text it is registered now, without a name.
    if (args.size() < 3 || !is_text_arg(args, 2))
        return ErrorCode::value;
    return register_function(args);
}

Value Host::unregister(const Value& which)
{
    const Value& v = first_element(which);
    if (v.is_number())
        return registry_.remove(v.number());
    if (v.is_text())
        if (const Registration* r = registry_.find_name(utf16_to_utf8(v.text())))
            return registry_.remove(r->id);
    return false;
}

Value Host::alert(const std::vector<Value>& args)
{
    ui_.show_alert("Alert", text_of(args[0]));
    // Type 1 asks OK or Cancel; the others only inform.
    const double type = args.size() > 1 && first_element(args[1]).is_number() ? first_element(args[1]).number() : 2;
    if (type == 1)
        return ui_.next_alert_answer() == AlertAnswer::ok;
    return true;
}

Value Host::message(const std::vector<Value>& args)
{
    auto show = to_bool(args[0]);
    if (failed(show))
        return ErrorCode::value;
    if (std::get<bool>(show) && args.size() > 1) {
        auto text = to_text(args[1]);
        if (failed(text))
            return ErrorCode::value;
        show_status(std::get<std::u16string>(text));
    } else {
        show_status(u""); // the host's own status bar, which says nothing
    }
    return true;
}

void Host::show_status(const std::u16string& text)
{
    if (text == status_bar_)
        return;
    status_bar_ = text;
    if (options_.show_status)
        ui_.show_status(utf16_to_utf8(text));
}

Value Host::on_time(const std::vector<Value>& args)
{
    auto when = to_number(args[0]);
    if (failed(when) || !is_text_arg(args, 1))
        return ErrorCode::value;
    double time = std::get<double>(when);
    if (time < 1) // a time of day means today
        time += std::floor(now_);
    const std::string macro = text_of(args[1]);
    bool insert = true;
    if (args.size() > 3 && !args[3].is_missing()) {
        auto b = to_bool(args[3]);
        if (failed(b))
            return ErrorCode::value;
        insert = std::get<bool>(b);
    }
    if (insert) {
        schedule_.schedule(time, macro);
        return true;
    }
    if (!schedule_.cancel(time, macro))
        return ErrorCode::value;
    return true;
}

Value Host::on_key(const std::vector<Value>& args)
{
    if (!is_text_arg(args, 0))
        return ErrorCode::value;
    const std::string key = text_of(args[0]);
    for (auto it = key_bindings_.begin(); it != key_bindings_.end(); ++it) {
        if (ascii_upper(it->first) == ascii_upper(key)) {
            key_bindings_.erase(it);
            break;
        }
    }
    if (args.size() > 1 && !args[1].is_missing())
        key_bindings_[key] = text_of(args[1]); // "" disables the key
    return true;
}

std::optional<Value> Host::coerce(const std::vector<Value>& args)
{
    const Value value = args[0].is_ref() ? dereference(args[0].ref()) : args[0];
    if (args.size() < 2 || args[1].is_missing())
        return plain(value);
    auto mask_number = to_number(args[1]);
    if (failed(mask_number))
        return std::nullopt;
    const auto mask = static_cast<unsigned>(std::get<double>(mask_number));
    const bool is_array = value.is_array();
    if ((is_array && (mask & xltypeMulti)) || (value.is_number() && (mask & xltypeNum)) || (value.is_text() && (mask & xltypeStr)) ||
        (value.is_bool() && (mask & xltypeBool)) || (value.is_error() && (mask & xltypeErr)) || (value.is_nil() && (mask & xltypeNil)) ||
        (value.is_missing() && (mask & xltypeMissing)))
        return value;
    const Value& v = first_element(value);
    if (mask & xltypeMulti) {
        Array single(1, 1);
        single.set(0, 0, v);
        return single;
    }
    if (v.is_error() && (mask & xltypeErr))
        return v;
    if (mask & xltypeNum) {
        auto n = to_number(v);
        if (!failed(n))
            return std::get<double>(n);
    }
    if (mask & xltypeStr) {
        auto t = to_text(v);
        if (!failed(t))
            return std::get<std::u16string>(t);
    }
    if (mask & xltypeBool) {
        auto b = to_bool(v);
        if (!failed(b))
            return std::get<bool>(b);
    }
    return std::nullopt;
}

} // namespace zorvane::host
