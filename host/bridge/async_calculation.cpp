// Calculation with asynchronous functions, as the spreadsheet does it: a pass starts every
// asynchronous call whose arguments are ready and goes on with what does not wait for one; each
// formula that waits shows #GETTING_DATA and is calculated again once its values came back through
// xlAsyncReturn, finding them instead of calling again. The host's thread waits for values while
// reading Esc; Esc raises CalculationCanceled (the add-in may still give values back while its
// command runs), then what still waits shows #N/A. CalculationEnded closes every calculation.
#include "host/bridge/host.h"
#include "host/bridge/value_record.h"
#include "host/engine/coerce.h"
#include "host/engine/errors.h"
#include "host/engine/evaluator.h"
#include "host/engine/sheet_limits.h"
#include "host/engine/utf.h"
#include "host/sheet/escape_key.h"

#include <algorithm>
#include <utility>

namespace zorvane::host {

namespace {

// How often the waiting thread looks at Esc: well within the second the user may wait.
constexpr std::chrono::milliseconds escape_poll{50};

bool holds_getting_data(const Value& value)
{
    if (value.is_array())
        return std::any_of(value.array().begin(), value.array().end(),
                           [](const CellView cell) { return cell.is_error() && cell.error() == ErrorCode::getting_data; });
    return value.is_error() && value.error() == ErrorCode::getting_data;
}

unsigned base_type(const XLOPER12& record)
{
    return record.xltype & ~(xlbitXLFree | xlbitDLLFree);
}

// The handle and value pairs of xlAsyncReturn: one handle and its value, or an array of handles
// with an array of as many values, paired in order. Throws InvalidValueRecord for anything else.
std::vector<std::pair<AsyncCalls::Handle, Value>> async_answers(const XLOPER12& handles, const XLOPER12& values)
{
    auto handle = [](const XLOPER12& record) {
        const auto h = async_handle_of(record);
        if (!h)
            throw InvalidValueRecord("no asynchronous handle");
        return *h;
    };
    if (base_type(handles) != xltypeMulti)
        return {{handle(handles), value_from_record(values)}};
    auto count = [](const XLOPER12& array) {
        const long long n = static_cast<long long>(array.val.array.rows) * array.val.array.columns;
        if (base_type(array) != xltypeMulti || array.val.array.rows <= 0 || array.val.array.columns <= 0 || n > max_range_cells ||
            array.val.array.lparray == nullptr)
            throw InvalidValueRecord("malformed array");
        return static_cast<std::size_t>(n);
    };
    const std::size_t n = count(handles);
    if (count(values) != n)
        throw InvalidValueRecord("as many values as handles");
    std::vector<std::pair<AsyncCalls::Handle, Value>> answers;
    answers.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        answers.emplace_back(handle(handles.val.array.lparray[i]), value_from_record(values.val.array.lparray[i]));
    return answers;
}

// Ends the calculation however it is left: what is still pending is refused from now on.
class CalculationScope {
public:
    CalculationScope(bool& calculating, bool& cancelled, AsyncCalls& calls) : calculating_(calculating), cancelled_(cancelled), calls_(calls)
    {
        calculating_ = true;
        cancelled_ = false;
    }
    ~CalculationScope()
    {
        calls_.clear();
        calculating_ = cancelled_ = false;
    }
    CalculationScope(const CalculationScope&) = delete;
    CalculationScope& operator=(const CalculationScope&) = delete;

private:
    bool& calculating_;
    bool& cancelled_;
    AsyncCalls& calls_;
};

} // namespace

void Host::run_calculation(const CalculationPass& pass)
{
    if (calculating_) {
        // Asked for from inside a calculation (by a macro): the outer one does the waiting, and a
        // formula here cannot wait for it.
        if (pass.calculate().waiting > 0)
            pass.interrupt();
        return;
    }
    bool calculated = false;
    {
        CalculationScope scope(calculating_, cancelled_, async_);
        const auto ready = [this](const AsyncCaller& caller) { return async_.all_answered(caller); };
        Sheet::Progress progress = pass.calculate();
        calculated = progress.completed + progress.waiting > 0;
        while (progress.waiting > 0) {
            if (progress.completed == 0) {
                // Nothing went on in the last pass: only values can change that, still to come or
                // come while the pass ran (after it had read them).
                if (cancelled_ || !async_.values_to_come()) {
                    pass.interrupt();
                    break;
                }
                show_pending(async_.pending());
                if (!async_.wait_for_answer([] { return escape_pressed(true); }, escape_poll)) {
                    cancelled_ = true;
                    raise_event(xleventCalculationCanceled);
                    async_.refuse_pending();
                }
            }
            pass.resume(ready);
            progress = pass.calculate();
        }
        show_pending(0);
    }
    if (calculated)
        raise_event(xleventCalculationEnded);
}

void Host::calculate()
{
    calculate_sheet([this] { return sheet_.calculate(*this); });
}

void Host::recalculate()
{
    calculate_sheet([this] { return sheet_.recalculate(*this); });
}

void Host::calculate_sheet(const std::function<Sheet::Progress()>& first_pass)
{
    bool started = false;
    run_calculation({[&] { return std::exchange(started, true) ? sheet_.calculate(*this) : first_pass(); },
                     [this](const auto& ready) { sheet_.resume([&](CellAddress at) { return ready(AsyncCaller{at, 0}); }); },
                     [this] { sheet_.interrupt_waiting(); }});
}

void Host::evaluate_formulas(const std::vector<const Node*>& formulas, const FormulaReady& ready)
{
    calculate();
    struct Formula {
        Value value;
        bool done = false;
        bool waiting = false;
    };
    std::vector<Formula> states(formulas.size());
    std::size_t told = 0;
    auto tell = [&] {
        for (; told < states.size() && states[told].done; ++told)
            ready(told, states[told].value);
    };
    auto pass = [&] {
        Sheet::Progress progress;
        for (std::size_t i = 0; i < formulas.size(); ++i) {
            Formula& state = states[i];
            if (state.done || state.waiting)
                continue;
            formula_ = i + 1;
            formula_waits_ = false;
            Value value;
            try {
                value = host::evaluate_formula(*formulas[i], *this);
            } catch (...) {
                formula_ = 0;
                throw;
            }
            formula_ = 0;
            if (formula_waits_) {
                state.waiting = true;
            } else {
                state.value = std::move(value);
                state.done = true;
                ++progress.completed;
                tell();
            }
        }
        progress.waiting = static_cast<std::size_t>(std::count_if(states.begin(), states.end(), [](const Formula& f) { return f.waiting; }));
        return progress;
    };
    auto resume = [&](const std::function<bool(const AsyncCaller&)>& is_ready) {
        for (std::size_t i = 0; i < states.size(); ++i)
            if (states[i].waiting && is_ready(AsyncCaller{{-1, -1}, i + 1}))
                states[i].waiting = false;
    };
    auto interrupt = [&] {
        for (Formula& state : states) {
            if (!state.waiting)
                continue;
            state.waiting = false;
            state.done = true;
            state.value = ErrorCode::na;
        }
        tell();
    };
    run_calculation({pass, resume, interrupt});
}

std::optional<AsyncCaller> Host::async_caller() const
{
    if (!calculating_)
        return std::nullopt;
    if (auto at = sheet_.calculating())
        return AsyncCaller{*at, 0};
    if (formula_ > 0)
        return AsyncCaller{{-1, -1}, formula_};
    return std::nullopt;
}

bool Host::caller_waits() const
{
    if (sheet_.calculating())
        return sheet_.calculating_cell_waits();
    return formula_ > 0 && formula_waits_;
}

void Host::caller_waits_for_result()
{
    if (sheet_.calculating())
        sheet_.wait_for_result();
    else if (formula_ > 0)
        formula_waits_ = true;
}

Value Host::call_async(const Registration& registration, std::vector<Value> args)
{
    const auto caller = async_caller();
    if (!caller)
        return ErrorCode::na; // run as a macro, or outside any calculation: nothing could wait for it
    // A call is told from another by the values it is given, references read.
    for (auto& arg : args)
        if (arg.is_ref())
            arg = dereference(arg.ref());
    Value value;
    switch (async_.look_up(*caller, registration.id, args, value)) {
    case AsyncCalls::State::answered:
        return value;
    case AsyncCalls::State::waiting:
        caller_waits_for_result();
        return ErrorCode::getting_data;
    case AsyncCalls::State::unknown:
        break;
    }
    if (cancelled_ || (caller_waits() && std::any_of(args.begin(), args.end(), holds_getting_data))) {
        // After Esc nothing new starts; and arguments still to come are not ready.
        caller_waits_for_result();
        return ErrorCode::getting_data;
    }
    const AsyncCalls::Handle handle = async_.start(*caller, registration.id, args);
    XLOPER12 record = async_handle_record(handle);
    Value returned = call_registration(registration, args, *this, free_for(registration), results_, &record);
    // Not called (an argument it cannot take), or failed: that is its value.
    if (!returned.is_missing())
        async_.answer({{handle, std::move(returned)}});
    // It may have given its value back before returning.
    if (async_.look_up(*caller, registration.id, args, value) == AsyncCalls::State::answered)
        return value;
    caller_waits_for_result();
    return ErrorCode::getting_data;
}

void Host::show_pending(std::size_t count)
{
    if (count == shown_pending_)
        return;
    shown_pending_ = count;
    if (options_.show_status)
        ui_.show_pending(count);
}

int Host::async_return(int count, XLOPER12** args, XLOPER12* result)
{
    try {
        if (!async_functions())
            return xlretInvXlfn;
        if (count != 2)
            return xlretInvCount;
        if (args == nullptr || args[0] == nullptr || args[1] == nullptr)
            return xlretInvXloper;
        // Copied now: the add-in may free its value as soon as the call returns.
        const auto answers = async_answers(*args[0], *args[1]);
        const bool taken = async_.answer(answers) == answers.size();
        if (result != nullptr) {
            *result = XLOPER12{};
            result->xltype = xltypeBool;
            result->val.xbool = taken ? 1 : 0;
        }
        return taken ? xlretSuccess : xlretInvAsynchronousContext;
    } catch (const InvalidValueRecord&) {
        return xlretInvXloper;
    } catch (...) {
        return xlretFailed;
    }
}

Value Host::register_event(const std::vector<Value>& args)
{
    const Value& name = first_element(args[0]);
    const Value& event = first_element(args[1]);
    if (!name.is_text() || name.text().empty() || !event.is_number())
        return false;
    const double n = event.number();
    if (n != static_cast<double>(xleventCalculationEnded) && n != static_cast<double>(xleventCalculationCanceled))
        return false;
    const int which = static_cast<int>(n);
    auto& commands = event_commands_[which];
    const std::string command = utf16_to_utf8(name.text());
    if (std::find(commands.begin(), commands.end(), command) == commands.end())
        commands.push_back(command);
    return true;
}

void Host::raise_event(int event)
{
    auto it = event_commands_.find(event);
    if (it == event_commands_.end())
        return;
    const std::vector<std::string> commands = it->second; // a command may register another
    for (const auto& command : commands) {
        try {
            run_macro(command);
        } catch (const UsageError&) {
            ui_.show_alert("Error", "cannot run the macro '" + command + "'");
        }
    }
}

} // namespace zorvane::host
