// Calling a registered procedure with worksheet values: each argument is converted the way its
// type code asks, the procedure is called through the dynamic-call layer, and its result is
// copied back into a host value (and given back to the add-in when it asks to free it).
#pragma once

#include "host/bridge/registry.h"
#include "host/bridge/result_store.h"
#include "host/engine/eval_context.h"
#include "host/engine/value.h"
#include "xll/xlcall.h"

#include <vector>

namespace zorvane::host {

// The add-in's own release functions (xlAutoFree12, xlAutoFree); either may be null.
struct AddinFree {
    void(XLL_CALL* free12)(XLOPER12*) = nullptr;
    void(XLL_CALL* free8)(XLOPER*) = nullptr;
};

// A record the add-in returned, as a host value (#VALUE! when it is malformed), then given back:
// to the add-in's free function when it carries xlbitDLLFree, to the store when the host handed
// it out.
Value take_returned_record(XLOPER12& record, const AddinFree& free, ResultStore& store);
Value take_returned_record(XLOPER& record, const AddinFree& free, ResultStore& store);

// Calls the registration's procedure. Missing trailing arguments are passed as omitted ones.
// Rules for values that do not fit a code: a scalar code given an array takes its top-left
// element; an error value given to a non-record code is the result, without calling; a null
// record or pointer returned shows as #NUM!. Throws UsageError for more arguments than
// registered. An asynchronous function gets `async_handle` where it takes its handle (#N/A
// without one, not called) and gives Missing when it was called: its value comes later.
Value call_registration(const Registration& registration, std::vector<Value> args, EvalContext& ctx, const AddinFree& free,
                        ResultStore& store, XLOPER12* async_handle = nullptr);

} // namespace zorvane::host
