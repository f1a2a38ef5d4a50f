// One session of the spreadsheet the host plays: the loaded add-in, its registrations, the sheet,
// the clock and the user's scripted answers. The exported callbacks reach the active session.
#pragma once

#include "host/bridge/addin_call.h"
#include "host/bridge/async_calls.h"
#include "host/bridge/dynamic_library.h"
#include "host/bridge/registry.h"
#include "host/bridge/result_store.h"
#include "host/engine/eval_context.h"
#include "host/engine/formula_ast.h"
#include "host/sheet/on_time_schedule.h"
#include "host/sheet/sheet.h"
#include "host/sheet/ui_script.h"
#include "xll/xlcall.h"

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace zorvane::host {

struct HostOptions {
    double start_time = 0;          // the clock's start, a date serial
    AlertAnswer default_alert = AlertAnswer::ok;
    bool version12 = true;          // report the wide interface; off plays an older host
    bool show_status = false;       // tell every change of the status bar on the alert stream
    double excel_version = 14;      // the version played: asynchronous functions from 14 on
};

class Host final : public EvalContext {
public:
    Host(HostOptions options, std::ostream& alerts);
    ~Host() override;
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The session the exported callbacks talk to, or null.
    static Host* active();

    // Loads the add-in and calls its xlAutoOpen. Throws LoadError.
    void load_addin(const std::string& path);
    // Calls xlAutoClose of every loaded add-in (once) and unloads them.
    void close_addins();

    // The callbacks, behind the exported C functions.
    int callback12(int xlfn, int count, XLOPER12** args, XLOPER12* result);
    int callback8(int xlfn, XLOPER* result, int count, XLOPER** args);
    int message_box(const char* text, const char* caption, unsigned type);
    int callback_version() const { return wide_interface() ? 0x0C00 : 0x0B00; }
    // Whether the version played offers asynchronous functions and their events.
    bool async_functions() const { return wide_interface() && options_.excel_version >= 14; }
    // The version as GET.WORKSPACE(2) tells it, such as "14.0".
    std::string version_text() const;

    // Parses, checks and evaluates formula text; the result is what a cell would show.
    // Throws UsageError (parse error, unknown function, argument count).
    Value evaluate_formula(std::string_view text);

    // A calculation: every cell that needs it (or, recalculating, every formula), the sheet going
    // on while asynchronous calls are pending and calculating what waits for them as their values
    // come back, until none waits or Esc stops it. Esc raises CalculationCanceled, and the cells
    // still waiting then show #N/A until the next calculation. Either way CalculationEnded follows.
    void calculate();
    void recalculate();
    // Formulas outside cells (eval, print =FORMULA) calculated the same way, after the sheet's own
    // calculation: `ready` gets each value, in order, as soon as it and those before it are known.
    using FormulaReady = std::function<void(std::size_t index, const Value& value)>;
    void evaluate_formulas(const std::vector<const Node*>& formulas, const FormulaReady& ready);
    std::size_t pending_async_calls() const { return async_.pending(); }
    // Runs a registered command (or function) by name. Throws UsageError for an unknown name.
    Value run_macro(const std::string& name);
    // Moves the clock forward, running the timed macros that fall due.
    void advance(double seconds);
    void set_clock(double serial) { now_ = serial; }
    // The key bound with OnKey runs its macro; false when no macro is bound.
    bool press_key(const std::string& key);

    Sheet& sheet() { return sheet_; }
    const Registry& registry() const { return registry_; }
    UiScript& ui() { return ui_; }
    const std::u16string& status_bar() const { return status_bar_; }
    // ECHO's setting: on unless a macro switched it off.
    bool screen_updating() const { return screen_updating_; }
    std::size_t outstanding_results() const { return results_.outstanding(); }
    std::string addin_path() const;

    // EvalContext
    Value dereference(const Ref& ref) override;
    double now() override { return now_; }
    double random() override;
    Value evaluate_text(std::u16string_view formula) override;
    std::optional<int> registered_arity(std::string_view name) override;
    Value call_registered(std::string_view name, std::vector<Value> args) override;
    Value name_value(std::string_view name) override;

    // One callback by function number with host values; the return code of the C interface.
    // Public so the callbacks can be tested without the value records around them.
    int dispatch(int xlfn, std::vector<Value>& args, Value& result);

private:
    template <class X> int callback(int xlfn, int count, X** args, X* result);
    bool wide_interface() const { return options_.version12 && options_.excel_version >= 12; }
    struct Module {
        std::string path; // absolute
        DynamicLibrary library;
        AddinFree free;
        bool open = false;
    };

    Module* find_module(const std::string& path);
    Module& module_for(const std::string& path);
    Value register_function(std::vector<Value>& args);
    Value register_id(std::vector<Value>& args);
    Value unregister(const Value& which);
    Value alert(const std::vector<Value>& args);
    Value message(const std::vector<Value>& args);
    void show_status(const std::u16string& text);
    Value on_time(const std::vector<Value>& args);
    Value on_key(const std::vector<Value>& args);
    std::optional<Value> coerce(const std::vector<Value>& args); // nullopt: cannot be converted

    // Macro commands and functions on the sheet (sheet_commands.cpp); nullopt for other numbers.
    std::optional<int> sheet_command(int xlfn, std::vector<Value>& args, Value& result);
    // A reference given as such, or as R1C1 text relative to the active cell, A1 text or a name.
    std::optional<Ref> macro_reference(const Value& value) const;
    int select(const std::vector<Value>& args, Value& result);
    int set_values(const std::vector<Value>& args, Value& result);
    int cell_info(const std::vector<Value>& args, Value& result);
    int enter(const std::vector<Value>& args, Value& result);
    int align(const std::vector<Value>& args, Value& result);
    int define_name(const std::vector<Value>& args, Value& result);
    int define_style(const std::vector<Value>& args, Value& result);
    int apply_style(const std::vector<Value>& args, Value& result);
    AddinFree free_for(const Registration& registration);

    // Asynchronous functions and their events (async_calculation.cpp).
    // One calculation's passes over what it calculates: cells or formulas outside them.
    struct CalculationPass {
        std::function<Sheet::Progress()> calculate;
        std::function<void(const std::function<bool(const AsyncCaller&)>& ready)> resume;
        std::function<void()> interrupt;
    };
    void run_calculation(const CalculationPass& pass);
    // The sheet's calculation, starting with `first_pass` (everything marked, or every formula).
    void calculate_sheet(const std::function<Sheet::Progress()>& first_pass);
    Value call_async(const Registration& registration, std::vector<Value> args);
    std::optional<AsyncCaller> async_caller() const;
    bool caller_waits() const;
    void caller_waits_for_result();
    void show_pending(std::size_t count);
    int async_return(int count, XLOPER12** args, XLOPER12* result);
    Value register_event(const std::vector<Value>& args);
    void raise_event(int event);

    HostOptions options_;
    std::ostream& messages_; // the host's own word to the user, beside the alerts
    UiScript ui_;
    Registry registry_;
    ResultStore results_;
    Sheet sheet_;
    OnTimeSchedule schedule_;
    std::map<std::string, std::string> key_bindings_; // key text as given → macro
    std::vector<std::unique_ptr<Module>> modules_;
    std::u16string status_bar_;
    bool screen_updating_ = true;
    double now_ = 0;
    int call_depth_ = 0; // registered functions running inside one another
    AsyncCalls async_;
    std::map<int, std::vector<std::string>> event_commands_; // event → commands, in registration order
    bool calculating_ = false;     // a calculation is under way
    bool cancelled_ = false;       // Esc stopped it: no asynchronous call starts any more
    std::size_t formula_ = 0;      // the formula outside cells being calculated (from 1), or 0
    bool formula_waits_ = false;   // it waits for an asynchronous result
    std::size_t shown_pending_ = 0; // the count of pending calls last told (--status)
    std::thread::id thread_ = std::this_thread::get_id(); // the spreadsheet's thread: the callbacks' own
    std::mt19937_64 random_;
    Host* previous_active_ = nullptr;
};

} // namespace zorvane::host
