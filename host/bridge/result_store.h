// Values the host hands to the add-in as callback results. Their storage stays with the host,
// keyed by the pointer the record carries, until the add-in gives the record back with xlFree.
#pragma once

#include "host/bridge/value_record.h"
#include "host/engine/value.h"

#include <unordered_map>
#include <variant>

namespace zorvane::host {

class ResultStore {
public:
    // Writes the value into *result with xlbitXLFree set (when it points to storage) and keeps
    // that storage.
    template <class X> void hand_out(const Value& value, X& result);

    // Frees what a record handed out earlier points to. Records that own nothing or that the host
    // did not hand out are left alone, so a double xlFree cannot free twice.
    template <class X> void release(X& record);

    std::size_t outstanding() const { return held_.size(); }

private:
    std::unordered_map<const void*, std::variant<OwnedXloper12, OwnedXloper>> held_;
};

} // namespace zorvane::host
