#include "db/query_watch.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "xll/failure_texts.h"
#include "xll/text.h"

namespace db {

namespace {

void append_ascii(xll::xstring& out, std::string_view ascii)
{
    for (char c : ascii)
        out += static_cast<XCHAR>(c);
}

// The count as the status text shows it: thousands set apart by commas, "1 row", "2 rows".
void append_rows(xll::xstring& out, size_t rows)
{
    const std::string digits = std::to_string(rows);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    append_ascii(out, grouped);
    append_ascii(out, rows == 1 ? " row" : " rows");
}

// Nothing may leave the worker thread: whatever the work throws becomes the run's failure, which
// the waiting thread hands on as a value.
QueryResult run_guarded(const std::function<QueryResult(QueryRun&)>& work, QueryRun& run) noexcept
{
    QueryResult r;
    try {
        return work(run);
    }
    catch (const std::exception& e) {
        r.value = xll::xstring_view(xll::widen_text(e.what()));
    }
    catch (...) {
        r.value = xll::xlerr::Value;
    }
    r.status = QueryStatus::failed;
    return r;
}

} // namespace

xll::xstring progress_text(xll::xstring_view label, QueryRun::Phase phase, size_t rows, bool stopping)
{
    xll::xstring text(label);
    append_ascii(text, ": ");
    if (stopping) {
        append_ascii(text, "cancelling");
        return text;
    }
    switch (phase) {
    case QueryRun::Phase::connecting: append_ascii(text, "connecting"); break;
    case QueryRun::Phase::executing: append_ascii(text, "executing"); break;
    case QueryRun::Phase::fetching: append_rows(text, rows); break;
    }
    append_ascii(text, " (Esc to cancel)");
    return text;
}

xll::xstring cancelled_text(size_t rows)
{
    xll::xstring text;
    append_ascii(text, xll::failure_texts::cancelled);
    append_ascii(text, " after ");
    append_rows(text, rows);
    return text;
}

WatchedQuery watch_query(const std::function<QueryResult(QueryRun&)>& work, WatchHost& host, xll::xstring_view label,
                         const WatchTimes& times)
{
    using clock = std::chrono::steady_clock;
    WatchedQuery out;
    QueryRun run;
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    std::thread worker;
    try {
        worker = std::thread([&] {
            QueryResult r = run_guarded(work, run);
            std::lock_guard<std::mutex> hold(lock);
            out.result = std::move(r);
            done = true;
            ended.notify_one(); // under the lock: the waiting side cannot be gone yet
        });
    }
    catch (const std::system_error&) {
        out.result = run_guarded(work, run);
        out.rows = run.rows();
        return out;
    }

    auto next_status = clock::now() + times.quiet;
    bool stopping = false, shown = false;
    xll::xstring shown_text;
    std::unique_lock<std::mutex> hold(lock);
    while (!ended.wait_for(hold, times.poll, [&] { return done; })) {
        hold.unlock();
        if (!stopping)
            stopping = host.escape_pressed();
        if (stopping)
            run.stop();
        const auto now = clock::now();
        if (now >= next_status) {
            try {
                xll::xstring text = progress_text(label, run.phase(), run.rows(), stopping);
                if (text != shown_text) {
                    host.show_status(text);
                    shown_text = std::move(text);
                    shown = true;
                }
            }
            catch (...) { // no memory for a status text: the query goes on without one
            }
            next_status = now + times.status_every;
        }
        hold.lock();
    }
    hold.unlock();
    worker.join();
    if (shown)
        host.give_back_status();
    if (stopping) {
        out.result.status = QueryStatus::cancelled;
        out.result.value.release();
    }
    out.rows = run.rows();
    return out;
}

} // namespace db
