// Host values as value records of either width: reading a record the add-in passes, and building
// one (with all the storage it points to) to pass or return to the add-in. The 8-bit width carries
// Latin-1 texts of at most classic_text_length bytes and small arrays; what does not fit is cut
// when built.
#pragma once

#include "host/engine/value.h"
#include "xll/xlcall.h"

#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

namespace zorvane::host {

// A value record whose type or structure is not valid (the callbacks answer xlretInvXloper).
struct InvalidValueRecord : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Copies the record (XLOPER12 or XLOPER) into a host value; throws InvalidValueRecord for a
// malformed one.
template <class X> Value value_from_record(const X& x);

// The pointer that identifies a record's storage when it comes back in xlFree (text or array), or
// null when the record points to nothing.
template <class X> const void* storage_of(const X& record);

// A record together with the text and array storage it points to. The record itself moves with
// the object, the storage does not, so pointers into it stay valid when the holder moves.
template <class X> class OwnedRecord {
public:
    using Char = std::remove_pointer_t<decltype(std::declval<X>().val.str)>;

    OwnedRecord();
    explicit OwnedRecord(const Value& value);
    OwnedRecord(OwnedRecord&&) noexcept = default;
    OwnedRecord& operator=(OwnedRecord&&) noexcept = default;
    OwnedRecord(const OwnedRecord&) = delete;
    OwnedRecord& operator=(const OwnedRecord&) = delete;

    X* get() { return &record_; }
    const X& record() const { return record_; }
    const void* storage_key() const { return storage_of(record_); }

private:
    void fill(X& target, const Value& value);
    void fill(X& target, CellView element);
    X record_{};
    std::vector<std::unique_ptr<Char[]>> texts_;
    std::unique_ptr<X[]> elements_;
};

using OwnedXloper12 = OwnedRecord<XLOPER12>;
using OwnedXloper = OwnedRecord<XLOPER>;

extern template class OwnedRecord<XLOPER12>;
extern template class OwnedRecord<XLOPER>;

} // namespace zorvane::host
