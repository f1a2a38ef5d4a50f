#include "host/result_store.h"

namespace zorvane::host {

void ResultStore::hand_out(const Value& value, XLOPER12& result)
{
    OwnedXloper12 owned(value);
    result = owned.record();
    if (const void* key = owned.storage_key()) {
        result.xltype |= xlbitXLFree;
        held_.insert_or_assign(key, std::move(owned));
    }
}

void ResultStore::hand_out(const Value& value, XLOPER& result)
{
    OwnedXloper owned(value);
    result = owned.record();
    if (const void* key = owned.storage_key()) {
        result.xltype |= xlbitXLFree;
        held_.insert_or_assign(key, std::move(owned));
    }
}

void ResultStore::release(XLOPER12& record)
{
    const unsigned type = record.xltype & ~(xlbitXLFree | xlbitDLLFree);
    const void* key = type == xltypeMulti ? static_cast<const void*>(record.val.array.lparray)
                      : type == xltypeStr ? static_cast<const void*>(record.val.str)
                                          : nullptr;
    if (key != nullptr && held_.erase(key) > 0)
        record.xltype = xltypeNil;
}

void ResultStore::release(XLOPER& record)
{
    const unsigned type = record.xltype & ~(xlbitXLFree | xlbitDLLFree);
    const void* key = type == xltypeMulti ? static_cast<const void*>(record.val.array.lparray)
                      : type == xltypeStr ? static_cast<const void*>(record.val.str)
                                          : nullptr;
    if (key != nullptr && held_.erase(key) > 0)
        record.xltype = xltypeNil;
}

} // namespace zorvane::host
