// The functions and commands the add-in registered, as a function wizard and the formula
// evaluator see them.
#pragma once

#include "host/bridge/type_text.h"

#include <string>
#include <string_view>
#include <vector>

namespace zorvane::host {

enum class MacroType { hidden = 0, function = 1, command = 2 };

struct Registration {
    double id = 0;
    std::string module;    // the add-in's path as the registration named it
    std::string procedure; // the export name as registered ('@' kept)
    std::string type_text;
    TypeText types;
    std::string function_text; // the name formulas use; may be empty for a hidden entry
    std::string argument_text;
    MacroType macro_type = MacroType::function;
    std::string category;
    std::string shortcut;
    std::string help_topic;
    std::string function_help;
    std::vector<std::string> argument_help;
    void* address = nullptr;

    bool is_command() const { return macro_type == MacroType::command; }
    // The argument names, from the comma-separated argument text.
    std::vector<std::string> argument_names() const;
};

class Registry {
public:
    // Keeps the registration and returns its id. Registering the same module, procedure and
    // function text again replaces the earlier entry and keeps its id; one procedure may be
    // registered under several names, each with its own id.
    double add(Registration registration);
    bool remove(double id);

    const Registration* find_id(double id) const;
    const Registration* find_procedure(std::string_view module, std::string_view procedure) const;
    // By function text, case-insensitive; the most recent registration of a name wins.
    const Registration* find_name(std::string_view name) const;

    const std::vector<Registration>& all() const { return entries_; }

private:
    std::vector<Registration> entries_;
    double next_id_ = 1;
};

} // namespace zorvane::host
