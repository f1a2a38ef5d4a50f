#include "host/bridge/host.h"

#include "host/bridge/addin_message_box.h"
#include "host/engine/cell_address.h"
#include "host/engine/errors.h"
#include "host/engine/evaluator.h"
#include "host/engine/formula_parser.h"
#include "host/engine/utf.h"
#include "host/engine/utf8_path.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <ostream>

namespace zorvane::host {

namespace {
// Read by the callbacks on any thread (an add-in's worker gives its values back through them).
std::atomic<Host*> active_host{nullptr};

// An add-in function that evaluates a formula calling itself would otherwise recurse until the
// stack runs out; past this depth the inner call shows #VALUE!.
constexpr int max_call_depth = 64;

class CallDepth {
public:
    explicit CallDepth(int& depth) : depth_(depth) { ++depth_; }
    ~CallDepth() { --depth_; }
    CallDepth(const CallDepth&) = delete;
    CallDepth& operator=(const CallDepth&) = delete;
    bool too_deep() const { return depth_ > max_call_depth; }

private:
    int& depth_;
};

enum : int { id_ok = 1, id_cancel = 2, id_yes = 6, id_no = 7 };
enum : unsigned { mb_ok = 0, mb_ok_cancel = 1, mb_abort_retry_ignore = 2, mb_yes_no_cancel = 3, mb_yes_no = 4, mb_retry_cancel = 5 };

// The cells of a circle of references, each followed by the one it refers to; a long circle is
// cut short.
std::string circle_text(const std::vector<CellAddress>& circle)
{
    constexpr std::size_t shown = 20;
    std::string text;
    for (std::size_t i = 0; i < circle.size() && i < shown; ++i)
        text += cell_name(circle[i]) + " -> ";
    if (circle.size() > shown)
        text += "... (" + std::to_string(circle.size()) + " cells) -> ";
    return text + cell_name(circle.front());
}

} // namespace

Host::Host(HostOptions options, std::ostream& alerts)
    : options_(options), messages_(alerts), ui_(alerts), now_(options.start_time), random_(std::random_device{}()),
      previous_active_(active_host)
{
    ui_.set_default_alert_answer(options.default_alert);
    // The cells of a circle show #REF!; which cells they are is said once, where the user sees it.
    sheet_.on_circular_reference([this](const std::vector<CellAddress>& circle) {
        messages_ << "zorvane: circular reference " << circle_text(circle) << "; its cells show #REF!\n";
        messages_.flush();
    });
    active_host = this;
}

Host::~Host()
{
    close_addins();
    active_host = previous_active_;
}

Host* Host::active()
{
    return active_host;
}

Host::Module* Host::find_module(const std::string& path)
{
    const std::string absolute = absolute_path(path);
    const std::filesystem::path given = path_from_utf8(path);
    const bool bare = !given.has_parent_path();
    for (auto& m : modules_)
        if (m->path == absolute || m->path == path || (bare && path_from_utf8(m->path).filename() == given))
            return m.get();
    // A name the 8-bit interface handed out (xlGetName) comes back in Latin-1, any other letter of
    // its folders as '?': still the same module, not another file to load.
    for (auto& m : modules_)
        if (utf16_to_utf8(latin1_to_utf16(utf16_to_latin1(utf8_to_utf16(m->path)))) == path)
            return m.get();
    return nullptr;
}

Host::Module& Host::module_for(const std::string& path)
{
    if (Module* m = find_module(path))
        return *m;
    auto module = std::make_unique<Module>();
    module->path = absolute_path(path);
    module->library = DynamicLibrary(module->path);
    script_message_boxes(module->library);
    module->free.free12 = reinterpret_cast<void(XLL_CALL*)(XLOPER12*)>(module->library.symbol("xlAutoFree12"));
    module->free.free8 = reinterpret_cast<void(XLL_CALL*)(XLOPER*)>(module->library.symbol("xlAutoFree"));
    modules_.push_back(std::move(module));
    return *modules_.back();
}

void Host::load_addin(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path_from_utf8(path), ec))
        throw LoadError("cannot load the add-in " + path + ": no such file");
    Module& module = module_for(path);
    if (module.open)
        return;
    auto open = reinterpret_cast<int(XLL_CALL*)()>(module.library.symbol("xlAutoOpen"));
    if (open == nullptr)
        throw LoadError("cannot load the add-in " + path + ": it exports no xlAutoOpen");
    module.open = true;
    try {
        open();
    } catch (...) {
        throw LoadError("the add-in " + path + " let an exception out of xlAutoOpen");
    }
}

void Host::close_addins()
{
    for (auto it = modules_.rbegin(); it != modules_.rend(); ++it) {
        Module& module = **it;
        if (!module.open)
            continue;
        module.open = false;
        if (auto close = reinterpret_cast<int(XLL_CALL*)()>(module.library.symbol("xlAutoClose"))) {
            try {
                close();
            } catch (...) {
                ui_.show_alert("Error", "the add-in " + module.path + " let an exception out of xlAutoClose");
            }
        }
    }
    // Registrations point into the libraries; they go first, and the events they were for.
    event_commands_.clear();
    while (!registry_.all().empty())
        registry_.remove(registry_.all().front().id);
    modules_.clear();
}

std::string Host::addin_path() const
{
    return modules_.empty() ? std::string() : modules_.front()->path;
}

// Called for every cell that calls a registered function: a registration carries its module's own
// path, so an exact match finds it without resolving paths on the file system again.
AddinFree Host::free_for(const Registration& registration)
{
    for (const auto& m : modules_)
        if (m->path == registration.module)
            return m->free;
    return {};
}

Value Host::dereference(const Ref& ref)
{
    return sheet_.range_value(ref, *this);
}

double Host::random()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(random_);
}

Value Host::evaluate_text(std::u16string_view formula)
{
    NodePtr ast;
    try {
        ast = parse_formula(formula);
        check_calls(*ast, *this, UnknownNames::allow);
    } catch (const UsageError&) {
        return ErrorCode::value; // EVALUATE of text that is no valid formula
    }
    return host::evaluate_formula(*ast, *this);
}

std::optional<int> Host::registered_arity(std::string_view name)
{
    if (const Registration* r = registry_.find_name(name))
        return static_cast<int>(r->types.formula_arguments());
    return std::nullopt;
}

Value Host::call_registered(std::string_view name, std::vector<Value> args)
{
    const Registration* found = registry_.find_name(name);
    if (found == nullptr)
        return ErrorCode::name;
    // A copy: the procedure may register or unregister while it runs.
    const Registration registration = *found;
    CallDepth depth(call_depth_);
    if (depth.too_deep())
        return ErrorCode::value;
    if (registration.types.is_async())
        return call_async(registration, std::move(args));
    // A formula waiting for an asynchronous value calls nothing more of the add-in until the
    // value is there and the formula is calculated again.
    if (caller_waits())
        return ErrorCode::getting_data;
    return call_registration(registration, std::move(args), *this, free_for(registration), results_);
}

Value Host::name_value(std::string_view name)
{
    if (auto defined = sheet_.name(name))
        return *defined;
    // A registered function's name stands for its register id, as the spreadsheet defines it.
    if (const Registration* r = registry_.find_name(name))
        return r->id;
    return ErrorCode::name;
}

Value Host::evaluate_formula(std::string_view text)
{
    const NodePtr ast = parse_formula(text);
    check_calls(*ast, *this);
    Value value;
    evaluate_formulas({ast.get()}, [&](std::size_t, const Value& v) { value = v; });
    return value;
}

std::string Host::version_text() const
{
    if (!options_.version12) // the last version before the wide interface
        return "11.0";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", options_.excel_version);
    return text;
}

Value Host::run_macro(const std::string& name)
{
    // A name may come qualified by its book, as "Book1!macro" or "'My book'!macro".
    const auto bang = name.rfind('!');
    const std::string bare = bang == std::string::npos ? name : name.substr(bang + 1);
    const Registration* found = registry_.find_name(bare);
    if (found == nullptr)
        for (const auto& r : registry_.all())
            if (r.procedure == bare)
                found = &r;
    if (found == nullptr)
        throw UsageError("unknown macro " + name);
    const Registration registration = *found;
    CallDepth depth(call_depth_);
    if (depth.too_deep())
        return ErrorCode::value;
    return resolve_result(call_registration(registration, {}, *this, free_for(registration), results_), *this);
}

void Host::advance(double seconds)
{
    schedule_.advance(now_, now_ + seconds / 86400.0, [this](const std::string& macro) {
        try {
            run_macro(macro);
        } catch (const UsageError&) {
            ui_.show_alert("Error", "cannot run the macro '" + macro + "'");
        }
    });
}

bool Host::press_key(const std::string& key)
{
    const std::string upper = ascii_upper(key);
    for (const auto& [bound, macro] : key_bindings_) {
        if (ascii_upper(bound) == upper && !macro.empty()) {
            run_macro(macro);
            return true;
        }
    }
    return false;
}

int Host::message_box(const char* text, const char* caption, unsigned type)
{
    ui_.show_alert(caption ? caption : "", text ? text : "");
    const bool ok = ui_.next_alert_answer() == AlertAnswer::ok;
    switch (type & 0xF) {
    case mb_yes_no:
        return ok ? id_yes : id_no;
    case mb_yes_no_cancel:
        return ok ? id_yes : id_cancel;
    default:
        return ok ? id_ok : id_cancel;
    }
}

} // namespace zorvane::host
