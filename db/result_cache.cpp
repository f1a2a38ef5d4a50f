#include "db/result_cache.h"

#include "db/run_text.h"

namespace db {

namespace {

// What the cell shows of a run, and the cache keeps: its rows, or its failure's text.
xll::OPER12 shown(QueryResult&& run)
{
    return run.status == QueryStatus::ok ? std::move(run.value) : failure_value(run.failure);
}

bool same_parameters(const std::optional<QueryParameters>& kept, const QueryParameters* asked)
{
    if (!asked)
        return !kept;
    return kept && *kept == *asked;
}

} // namespace

ResultCache& ResultCache::instance()
{
    static ResultCache cache;
    return cache;
}

void ResultCache::settle() const noexcept
{
    if (lent_ && !entries_.empty())
        entries_.back().result = std::move(answer_);
    lent_ = false;
}

const xll::OPER12* ResultCache::find(xll::xstring_view connection_string, xll::xstring_view statement, int headers,
                                     const QueryParameters* parameters) const
{
    settle();
    for (const auto& e : entries_)
        if (e.headers == headers && e.statement == statement && e.connection_string == connection_string &&
            same_parameters(e.parameters, parameters))
            return &e.result;
    return nullptr;
}

bool ResultCache::admits(const QueryResult& run)
{
    return run.status == QueryStatus::ok || lasting(run.kind);
}

void ResultCache::append(const QueryResult& run, xll::OPER12 result, xll::xstring_view connection_string,
                         xll::xstring_view statement, int headers, double time_stamp,
                         const QueryParameters* parameters)
{
    settle();
    CacheEntry e;
    e.connection_string = connection_string;
    e.statement = statement;
    e.headers = headers;
    if (parameters)
        e.parameters = *parameters;
    e.time_stamp = time_stamp;
    e.result = std::move(result);
    e.elapsed_ms = run.elapsed_ms;
    e.last_row = run.last_row;
    e.last_column = run.last_column;
    entries_.push_back(std::move(e));
}

void ResultCache::store(QueryResult&& run, xll::xstring_view connection_string, xll::xstring_view statement,
                        int headers, double time_stamp, const QueryParameters* parameters)
{
    if (!admits(run))
        return;
    xll::OPER12 result = shown(std::move(run));
    append(run, std::move(result), connection_string, statement, headers, time_stamp, parameters);
}

LPXLOPER12 ResultCache::answer(xll::OPER12 value) noexcept
{
    settle();
    answer_ = std::move(value);
    return &answer_;
}

LPXLOPER12 ResultCache::answer_kept(const xll::OPER12& kept) noexcept
{
    settle();
    answer_.release();
    return const_cast<xll::OPER12*>(&kept);
}

LPXLOPER12 ResultCache::answer_and_store(QueryResult&& run, xll::xstring_view connection_string,
                                       xll::xstring_view statement, int headers, double time_stamp,
                                       const QueryParameters* parameters)
{
    answer(shown(std::move(run)));
    if (admits(run)) {
        append(run, xll::OPER12(), connection_string, statement, headers, time_stamp, parameters);
        lent_ = true;
    }
    return &answer_;
}

} // namespace db
