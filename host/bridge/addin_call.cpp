#include "host/bridge/addin_call.h"

#include "host/bridge/dyncall.h"
#include "host/bridge/value_record.h"
#include "host/engine/coerce.h"
#include "host/engine/errors.h"
#include "host/engine/sheet_limits.h"
#include "host/engine/utf.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>

namespace zorvane::host {

namespace {

// Storage of the converted arguments; lives until the call returns. Each piece is allocated on
// its own so pointers handed to the procedure stay put.
struct ArgumentStorage {
    std::vector<std::unique_ptr<OwnedXloper12>> records12;
    std::vector<std::unique_ptr<OwnedXloper>> records8;
    std::vector<std::unique_ptr<XCHAR[]>> wide_texts;
    std::vector<std::unique_ptr<char[]>> narrow_texts;
    std::vector<std::unique_ptr<double>> reals;
};

struct ErrorResult {
    ErrorCode code;
};

template <class T>
T take(const Converted<T>& converted)
{
    if (failed(converted))
        throw ErrorResult{std::get<ErrorCode>(converted)};
    return std::get<T>(converted);
}

std::int64_t whole_number(const Value& v, double low, double high)
{
    const double n = std::trunc(take(to_number(v)));
    if (n < low || n > high)
        throw ErrorResult{ErrorCode::num};
    return static_cast<std::int64_t>(n);
}

DynArg convert(ArgType type, const Value& arg, EvalContext& ctx, ArgumentStorage& storage)
{
    Value value = arg.is_ref() ? ctx.dereference(arg.ref()) : arg;
    const bool omitted = value.is_missing();
    switch (type) {
    case ArgType::oper12:
    case ArgType::ref12: // references arrive as their values until the sheet offers more
        storage.records12.push_back(std::make_unique<OwnedXloper12>(value));
        return DynArg::pointer(storage.records12.back()->get());
    case ArgType::oper8:
    case ArgType::ref8:
        storage.records8.push_back(std::make_unique<OwnedXloper>(value));
        return DynArg::pointer(storage.records8.back()->get());
    default:
        break;
    }
    const Value& v = first_element(value);
    switch (type) {
    case ArgType::real:
        return DynArg::real(omitted ? 0.0 : take(to_number(v)));
    case ArgType::real_pointer:
        storage.reals.push_back(std::make_unique<double>(omitted ? 0.0 : take(to_number(v))));
        return DynArg::pointer(storage.reals.back().get());
    case ArgType::boolean_short:
        return DynArg::signed_integer(omitted ? 0 : (take(to_bool(v)) ? 1 : 0));
    case ArgType::short_int:
        return DynArg::signed_integer(
            omitted ? 0 : whole_number(v, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
    case ArgType::unsigned_short:
        return DynArg::signed_integer(omitted ? 0 : whole_number(v, 0, std::numeric_limits<std::uint16_t>::max()));
    case ArgType::int32:
        return DynArg::signed_integer(omitted ? 0 : whole_number(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    case ArgType::text16:
    case ArgType::counted16: {
        const std::u16string text = omitted ? std::u16string() : take(to_text(v));
        const std::size_t length = std::min<std::size_t>(text.size(), type == ArgType::counted16 ? max_text_length : text.size());
        auto buffer = std::make_unique<XCHAR[]>(length + 1);
        if (type == ArgType::counted16) {
            buffer[0] = static_cast<XCHAR>(length);
            std::copy_n(text.data(), length, buffer.get() + 1);
        } else {
            std::copy_n(text.data(), length, buffer.get());
            buffer[length] = 0;
        }
        storage.wide_texts.push_back(std::move(buffer));
        return DynArg::pointer(storage.wide_texts.back().get());
    }
    case ArgType::text8:
    case ArgType::counted8: {
        const std::string bytes = utf16_to_latin1(omitted ? std::u16string() : take(to_text(v)));
        const std::size_t length = std::min<std::size_t>(bytes.size(), classic_text_length);
        auto buffer = std::make_unique<char[]>(length + 1);
        if (type == ArgType::counted8) {
            buffer[0] = static_cast<char>(static_cast<unsigned char>(length));
            std::memcpy(buffer.get() + 1, bytes.data(), length);
        } else {
            std::memcpy(buffer.get(), bytes.data(), length);
            buffer[length] = '\0';
        }
        storage.narrow_texts.push_back(std::move(buffer));
        return DynArg::pointer(storage.narrow_texts.back().get());
    }
    default:
        throw ErrorResult{ErrorCode::value};
    }
}

Value number_result(double x)
{
    if (!std::isfinite(x))
        return ErrorCode::num;
    return x;
}

Value convert_result(ArgType type, const DynResult& r, const AddinFree& free, ResultStore& store)
{
    const auto pointer = reinterpret_cast<void*>(static_cast<std::uintptr_t>(r.integer));
    switch (type) {
    case ArgType::real:
        return number_result(r.floating);
    case ArgType::boolean_short:
        return (r.integer & 0xFFFF) != 0;
    case ArgType::short_int:
        return static_cast<double>(static_cast<std::int16_t>(r.integer & 0xFFFF));
    case ArgType::unsigned_short:
        return static_cast<double>(r.integer & 0xFFFF);
    case ArgType::int32:
        return static_cast<double>(static_cast<std::int32_t>(r.integer & 0xFFFFFFFFu));
    case ArgType::real_pointer:
        return pointer ? number_result(*static_cast<double*>(pointer)) : Value(ErrorCode::num);
    case ArgType::text16: {
        if (!pointer)
            return ErrorCode::num;
        const auto* p = static_cast<const XCHAR*>(pointer);
        return std::u16string(p, p + std::char_traits<XCHAR>::length(p)); // XCHAR is wchar_t on Windows
    }
    case ArgType::counted16: {
        if (!pointer)
            return ErrorCode::num;
        const auto* p = static_cast<const XCHAR*>(pointer);
        return std::u16string(p + 1, p + 1 + static_cast<unsigned short>(p[0]));
    }
    case ArgType::text8:
        return pointer ? Value(latin1_to_utf16(static_cast<const char*>(pointer))) : Value(ErrorCode::num);
    case ArgType::counted8: {
        if (!pointer)
            return ErrorCode::num;
        const auto* p = static_cast<const char*>(pointer);
        return latin1_to_utf16(std::string_view(p + 1, static_cast<unsigned char>(p[0])));
    }
    case ArgType::oper12:
    case ArgType::ref12:
        return pointer ? take_returned_record(*static_cast<XLOPER12*>(pointer), free, store) : Value(ErrorCode::num);
    case ArgType::oper8:
    case ArgType::ref8:
        return pointer ? take_returned_record(*static_cast<XLOPER*>(pointer), free, store) : Value(ErrorCode::num);
    case ArgType::nothing:
        return Missing{};
    case ArgType::async_handle:
        break;
    }
    return ErrorCode::value;
}

template <class X> Value take_record(X& record, void(XLL_CALL* free)(X*), ResultStore& store)
{
    Value value;
    try {
        value = value_from_record(record);
    } catch (const InvalidValueRecord&) {
        value = ErrorCode::value;
    } catch (const std::bad_alloc&) {
        // No room for the cell's copy of a large result: the cell tells it as the host tells a
        // range too large to hold, and the add-in still gets its record back to free.
        value = ErrorCode::num;
    }
    if ((record.xltype & xlbitDLLFree) && free)
        free(&record);
    else if (record.xltype & xlbitXLFree)
        store.release(record);
    return value;
}

} // namespace

Value take_returned_record(XLOPER12& record, const AddinFree& free, ResultStore& store)
{
    return take_record(record, free.free12, store);
}

Value take_returned_record(XLOPER& record, const AddinFree& free, ResultStore& store)
{
    return take_record(record, free.free8, store);
}

Value call_registration(const Registration& registration, std::vector<Value> args, EvalContext& ctx, const AddinFree& free,
                        ResultStore& store, XLOPER12* async_handle)
{
    const auto& types = registration.types.args;
    const std::size_t given = registration.types.formula_arguments();
    if (args.size() > given)
        throw UsageError(registration.function_text + " takes at most " + std::to_string(given) + " argument" + (given == 1 ? "" : "s") +
                         ", not " + std::to_string(args.size()));
    args.resize(given, Missing{});
    if (registration.address == nullptr)
        return ErrorCode::name;
    if (registration.types.is_async() && async_handle == nullptr)
        return ErrorCode::na;

    ArgumentStorage storage;
    std::vector<DynArg> call_args;
    call_args.reserve(types.size());
    try {
        std::size_t next = 0; // the next of the formula's arguments; the handle is none of them
        for (const ArgType type : types)
            call_args.push_back(type == ArgType::async_handle ? DynArg::pointer(async_handle) : convert(type, args[next++], ctx, storage));
    } catch (const ErrorResult& e) {
        return e.code;
    }
    const DynReturn returns = registration.types.result == ArgType::real ? DynReturn::floating : DynReturn::integer;
    DynResult result;
    try {
        result = dyn_call(registration.address, call_args, returns);
    } catch (...) {
        // The add-in must not let exceptions out; if one does, the cell shows an error rather
        // than the host going down.
        return ErrorCode::value;
    }
    return convert_result(registration.types.result, result, free, store);
}

} // namespace zorvane::host
