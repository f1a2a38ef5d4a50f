#include "host/bridge/registry.h"

#include "host/engine/utf.h"

namespace zorvane::host {

std::vector<std::string> Registration::argument_names() const
{
    std::vector<std::string> names;
    if (argument_text.empty())
        return names;
    std::string current;
    for (char c : argument_text) {
        if (c == ',') {
            names.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    names.push_back(current);
    for (auto& name : names) {
        while (!name.empty() && name.front() == ' ')
            name.erase(name.begin());
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
    }
    return names;
}

double Registry::add(Registration registration)
{
    for (auto& entry : entries_) {
        if (entry.module == registration.module && entry.procedure == registration.procedure &&
            ascii_upper(entry.function_text) == ascii_upper(registration.function_text)) {
            registration.id = entry.id;
            entry = std::move(registration);
            return entry.id;
        }
    }
    registration.id = next_id_++;
    entries_.push_back(std::move(registration));
    return entries_.back().id;
}

bool Registry::remove(double id)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->id == id) {
            entries_.erase(it);
            return true;
        }
    }
    return false;
}

const Registration* Registry::find_id(double id) const
{
    for (const auto& entry : entries_)
        if (entry.id == id)
            return &entry;
    return nullptr;
}

const Registration* Registry::find_procedure(std::string_view module, std::string_view procedure) const
{
    for (const auto& entry : entries_)
        if (entry.module == module && entry.procedure == procedure)
            return &entry;
    return nullptr;
}

const Registration* Registry::find_name(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    const std::string upper = ascii_upper(name);
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (ascii_upper(it->function_text) == upper)
            return &*it;
    return nullptr;
}

} // namespace zorvane::host
