// Host values in the wide interface: reading an XLOPER12 the add-in passes, and building one
// (with all the storage it points to) to pass or return to the add-in.
#pragma once

#include "host/value.h"
#include "xll/xlcall.h"

#include <memory>
#include <stdexcept>
#include <vector>

namespace zorvane::host {

// A value record whose type or structure is not valid (the callbacks answer xlretInvXloper).
struct InvalidValueRecord : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Copies the record into a host value; throws InvalidValueRecord for a malformed one.
Value value_from_xloper12(const XLOPER12& x);

// An XLOPER12 together with the text and array storage it points to. The record itself moves
// with the object, the storage does not, so pointers into it stay valid when the holder moves.
class OwnedXloper12 {
public:
    OwnedXloper12();
    explicit OwnedXloper12(const Value& value);
    OwnedXloper12(OwnedXloper12&&) noexcept = default;
    OwnedXloper12& operator=(OwnedXloper12&&) noexcept = default;
    OwnedXloper12(const OwnedXloper12&) = delete;
    OwnedXloper12& operator=(const OwnedXloper12&) = delete;

    XLOPER12* get() { return &record_; }
    const XLOPER12& record() const { return record_; }
    // The pointer that identifies this storage when it comes back in xlFree (text or array), or
    // null when the record points to nothing.
    const void* storage_key() const;

private:
    void fill(XLOPER12& target, const Value& value, bool nested);
    XLOPER12 record_{};
    std::vector<std::unique_ptr<XCHAR[]>> texts_;
    std::unique_ptr<XLOPER12[]> elements_;
};

} // namespace zorvane::host
