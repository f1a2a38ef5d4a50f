// Host values in the 8-bit interface: texts are counted Latin-1 bytes (at most 255), rows and
// columns are small.
#pragma once

#include "host/value.h"
#include "host/xloper12_value.h"
#include "xll/xlcall.h"

#include <memory>
#include <vector>

namespace zorvane::host {

// Copies the record into a host value; throws InvalidValueRecord for a malformed one.
Value value_from_xloper(const XLOPER& x);

// An XLOPER with the storage it points to; texts longer than 255 bytes are cut there.
class OwnedXloper {
public:
    OwnedXloper();
    explicit OwnedXloper(const Value& value);
    OwnedXloper(OwnedXloper&&) noexcept = default;
    OwnedXloper& operator=(OwnedXloper&&) noexcept = default;
    OwnedXloper(const OwnedXloper&) = delete;
    OwnedXloper& operator=(const OwnedXloper&) = delete;

    XLOPER* get() { return &record_; }
    const XLOPER& record() const { return record_; }
    const void* storage_key() const;

private:
    void fill(XLOPER& target, const Value& value, bool nested);
    XLOPER record_{};
    std::vector<std::unique_ptr<char[]>> texts_;
    std::unique_ptr<XLOPER[]> elements_;
};

} // namespace zorvane::host
