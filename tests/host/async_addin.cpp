// An add-in of asynchronous functions for the hosts' tests, built for Linux and for both Windows
// builds, so that each host's handles, xlAsyncReturn from the add-in's own threads and the
// calculation events are exercised under the calling convention that host has. Its functions:
//   tAsyncAfter(seconds, value)    answers {value, value*10} from a thread of its own after the
//                                  delay; tAsyncPeak() tells how many such calls were running at
//                                  once (the most), which shows whether they overlapped
//   tAsyncNow(value)               answers its value within the call, on the host's thread
//   tAsyncHold(answer_on_cancel)   answers only on CalculationCanceled, with "cancelled", and only
//                                  when asked to; the others are answered late, after
//                                  CalculationEnded, from a thread, and tRefused() counts the
//                                  answers the host refused
//   tAsyncRelease(value)           answers every held call with "released", then itself with its
//                                  value, all within the call
//   tAsyncBatch(value, count)      holds calls until `count` are held, then a thread answers them
//                                  all with one xlAsyncReturn of arrays
//   tEvents()                      the events seen, as "canceled ended ended ..."
// A spreadsheet older than 14.0 (GET.WORKSPACE(2)), which has no asynchronous functions, gets
// tAsyncNow as an ordinary function instead, as an add-in falls back, and none of the others.
#include "host_callback.h"
#include "xll/xlcall.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using XString = std::basic_string<XCHAR>;

// A counted text (XCHAR is wchar_t on Windows); the record points into the object, which stays put.
struct Text {
    XString buffer;
    XLOPER12 x{};
    explicit Text(std::u16string_view s)
    {
        buffer.push_back(static_cast<XCHAR>(s.size()));
        for (char16_t c : s)
            buffer.push_back(static_cast<XCHAR>(c));
        x.xltype = xltypeStr;
        x.val.str = buffer.data();
    }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
};

XLOPER12 number(double d)
{
    XLOPER12 x{};
    x.xltype = xltypeNum;
    x.val.num = d;
    return x;
}

XLOPER12 row_of(XLOPER12* cells, int count)
{
    XLOPER12 x{};
    x.xltype = xltypeMulti;
    x.val.array.lparray = cells;
    x.val.array.rows = 1;
    x.val.array.columns = count;
    return x;
}

int call(int xlfn, XLOPER12* result, std::vector<XLOPER12*> args)
{
    static const EXCEL12PROC excel = host_callback12();
    return excel ? excel(xlfn, static_cast<int>(args.size()), args.data(), result) : xlretFailed;
}

// Whether the host took the value for the handle.
bool async_return(XLOPER12 handle, XLOPER12 value)
{
    XLOPER12 taken{};
    return call(xlAsyncReturn, &taken, {&handle, &value}) == xlretSuccess && taken.xltype == xltypeBool && taken.val.xbool;
}

struct Held {
    XLOPER12 handle;
    bool answer_on_cancel;
};

std::mutex mutex;
std::vector<std::thread> workers;
std::vector<Held> held;
std::vector<std::pair<XLOPER12, double>> batch;
int running = 0;
int peak = 0;
std::string events;
std::atomic<int> refused{0};

void start_worker(std::function<void()> work)
{
    std::lock_guard lock(mutex);
    workers.emplace_back(std::move(work));
}

void register_one(XLOPER12& module, std::u16string_view procedure, std::u16string_view type, std::u16string_view arguments, int macro_type,
                  std::u16string_view function_name = {})
{
    Text name(procedure), types(type), function(function_name.empty() ? procedure : function_name), argument_text(arguments),
        category(u"Test");
    XLOPER12 kind = number(macro_type);
    XLOPER12 id{};
    call(xlfRegister, &id, {&module, &name.x, &types.x, &function.x, &argument_text.x, &kind, &category.x});
}

void register_event(std::u16string_view command, int event)
{
    Text name(command);
    XLOPER12 which{};
    which.xltype = xltypeInt;
    which.val.w = event;
    XLOPER12 done{};
    call(xlEventRegister, &done, {&name.x, &which});
}

// Whether the spreadsheet's version, as GET.WORKSPACE(2) tells it, is 14 or later.
bool has_async_functions()
{
    XLOPER12 type = number(2), version{};
    if (call(xlfGetWorkspace, &version, {&type}) != xlretSuccess)
        return false;
    int major = 0;
    if ((version.xltype & xltypeStr) != 0 && version.val.str != nullptr)
        for (int i = 1; i <= version.val.str[0] && version.val.str[i] >= '0' && version.val.str[i] <= '9'; ++i)
            major = major * 10 + (version.val.str[i] - '0');
    call(xlFree, nullptr, {&version});
    return major >= 14;
}

} // namespace

extern "C" int XLL_CALL xlAutoOpen()
{
    {
        std::lock_guard lock(mutex);
        running = peak = 0;
        events.clear();
        refused = 0;
    }
    XLOPER12 module{};
    if (call(xlGetName, &module, {}) != xlretSuccess)
        return 0;
    if (has_async_functions()) {
        register_one(module, u"tAsyncAfter", u">BBX", u"seconds,value", 1);
        register_one(module, u"tAsyncNow", u">QX", u"value", 1);
        register_one(module, u"tAsyncHold", u">AX", u"answer_on_cancel", 1);
        register_one(module, u"tAsyncRelease", u">QX", u"value", 1);
        register_one(module, u"tAsyncBatch", u">BBX", u"value,count", 1);
        register_one(module, u"tOnCanceled", u"J", u"", 2);
        register_one(module, u"tOnEnded", u"J", u"", 2);
        register_event(u"tOnCanceled", xleventCalculationCanceled);
        register_event(u"tOnEnded", xleventCalculationEnded);
    } else {
        register_one(module, u"tSyncNow", u"QQ", u"value", 1, u"tAsyncNow");
    }
    register_one(module, u"tAsyncPeak", u"B", u"", 1);
    register_one(module, u"tEvents", u"Q", u"", 1);
    register_one(module, u"tRefused", u"B", u"", 1);
    call(xlFree, nullptr, {&module});
    return 1;
}

// The host unloads the add-in after this: no thread of ours may still run.
extern "C" int XLL_CALL xlAutoClose()
{
    std::vector<std::thread> ending;
    {
        std::lock_guard lock(mutex);
        ending.swap(workers);
        held.clear();
        batch.clear();
    }
    for (auto& worker : ending)
        worker.join();
    return 1;
}

extern "C" void XLL_CALL tAsyncAfter(double seconds, double value, XLOPER12* handle)
{
    const XLOPER12 h = *handle; // the record itself is the host's only during the call
    {
        std::lock_guard lock(mutex);
        peak = std::max(peak, ++running);
    }
    start_worker([h, seconds, value] {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        {
            std::lock_guard lock(mutex);
            --running;
        }
        // Storage of our own, gone as soon as the host has answered.
        auto cells = std::make_unique<XLOPER12[]>(2);
        cells[0] = number(value);
        cells[1] = number(value * 10);
        async_return(h, row_of(cells.get(), 2));
    });
}

extern "C" void XLL_CALL tAsyncNow(XLOPER12* value, XLOPER12* handle)
{
    async_return(*handle, *value);
}

extern "C" XLOPER12* XLL_CALL tSyncNow(XLOPER12* value)
{
    static XLOPER12 result; // the host reads it before its argument's storage goes
    result = *value;
    return &result;
}

extern "C" void XLL_CALL tAsyncHold(short answer_on_cancel, XLOPER12* handle)
{
    std::lock_guard lock(mutex);
    held.push_back({*handle, answer_on_cancel != 0});
}

extern "C" void XLL_CALL tAsyncRelease(XLOPER12* value, XLOPER12* handle)
{
    std::vector<Held> releasing;
    {
        std::lock_guard lock(mutex);
        releasing.swap(held);
    }
    Text released(u"released");
    for (const Held& h : releasing)
        async_return(h.handle, released.x);
    async_return(*handle, *value);
}

extern "C" void XLL_CALL tAsyncBatch(double value, double count, XLOPER12* handle)
{
    std::vector<std::pair<XLOPER12, double>> full;
    {
        std::lock_guard lock(mutex);
        batch.emplace_back(*handle, value);
        if (static_cast<double>(batch.size()) >= count)
            full.swap(batch);
    }
    if (full.empty())
        return;
    start_worker([full] {
        std::vector<XLOPER12> handles, values;
        for (const auto& [h, v] : full) {
            handles.push_back(h);
            values.push_back(number(v));
        }
        const int n = static_cast<int>(full.size());
        XLOPER12 all_handles = row_of(handles.data(), n), all_values = row_of(values.data(), n), taken{};
        call(xlAsyncReturn, &taken, {&all_handles, &all_values});
    });
}

extern "C" double XLL_CALL tAsyncPeak()
{
    std::lock_guard lock(mutex);
    return peak;
}

extern "C" XLOPER12* XLL_CALL tEvents()
{
    static std::unique_ptr<Text> text;
    static XLOPER12 result;
    std::u16string shown(events.begin(), events.end());
    while (!shown.empty() && shown.back() == u' ')
        shown.pop_back();
    text = std::make_unique<Text>(shown);
    result = text->x;
    return &result;
}

extern "C" double XLL_CALL tRefused()
{
    return refused;
}

extern "C" int XLL_CALL tOnCanceled()
{
    events += "canceled ";
    std::vector<Held> answering;
    {
        std::lock_guard lock(mutex);
        const auto keep = std::stable_partition(held.begin(), held.end(), [](const Held& h) { return !h.answer_on_cancel; });
        answering.assign(keep, held.end());
        held.erase(keep, held.end());
    }
    Text cancelled(u"cancelled");
    for (const Held& h : answering)
        async_return(h.handle, cancelled.x);
    return 1;
}

extern "C" int XLL_CALL tOnEnded()
{
    events += "ended ";
    std::vector<Held> late;
    {
        std::lock_guard lock(mutex);
        late.swap(held);
    }
    if (!late.empty())
        std::thread([&late] {
            for (const Held& h : late)
                if (!async_return(h.handle, number(0)))
                    ++refused;
        }).join();
    return 1;
}
