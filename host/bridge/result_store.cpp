#include "host/bridge/result_store.h"

namespace zorvane::host {

template <class X> void ResultStore::hand_out(const Value& value, X& result)
{
    OwnedRecord<X> owned(value);
    result = owned.record();
    if (const void* key = owned.storage_key()) {
        result.xltype |= xlbitXLFree;
        held_.insert_or_assign(key, std::move(owned));
    }
}

template <class X> void ResultStore::release(X& record)
{
    const void* key = storage_of(record);
    if (key != nullptr && held_.erase(key) > 0)
        record.xltype = xltypeNil;
}

template void ResultStore::hand_out(const Value&, XLOPER12&);
template void ResultStore::hand_out(const Value&, XLOPER&);
template void ResultStore::release(XLOPER12&);
template void ResultStore::release(XLOPER&);

} // namespace zorvane::host
