#include "db/result_cache.h"

namespace db {

ResultCache& ResultCache::instance()
{
    static ResultCache cache;
    return cache;
}

void ResultCache::Settle() const
{
    if (lent_ && !entries_.empty())
        entries_.back().result = std::move(*lent_);
    lent_ = nullptr;
}

namespace {

bool same_parameters(const std::optional<QueryParameters>& kept, const QueryParameters* asked)
{
    if (!asked)
        return !kept;
    return kept && *kept == *asked;
}

} // namespace

const xll::OPER12* ResultCache::Find(xll::xstring_view connection_string, xll::xstring_view statement, int headers,
                                     const QueryParameters* parameters) const
{
    Settle();
    for (const auto& e : entries_)
        if (e.headers == headers && e.statement == statement && e.connection_string == connection_string &&
            same_parameters(e.parameters, parameters))
            return &e.result;
    return nullptr;
}

bool ResultCache::Admits(const xll::OPER12& result)
{
    static const xll::OPER12 plain_error(XLL_T("#SQL Error"));
    // The value comparison of texts ignores letter case, as the admission rule does.
    return !(result.is(xltypeStr) && result.text().size() == 10 && result == plain_error);
}

void ResultCache::Store(const xll::OPER12& result, xll::xstring_view connection_string, xll::xstring_view statement,
                        int headers, double elapsed_ms, int last_row, int last_column, double time_stamp,
                        const QueryParameters* parameters)
{
    if (!Admits(result))
        return;
    Settle();
    CacheEntry e;
    e.connection_string = connection_string;
    e.statement = statement;
    e.headers = headers;
    if (parameters)
        e.parameters = *parameters;
    e.time_stamp = time_stamp;
    e.result = result;
    e.elapsed_ms = elapsed_ms;
    e.last_row = last_row;
    e.last_column = last_column;
    entries_.push_back(std::move(e));
}

} // namespace db

namespace db {

void ResultCache::StoreLent(xll::OPER12& holder, xll::xstring_view connection_string, xll::xstring_view statement,
                            int headers, double elapsed_ms, int last_row, int last_column, double time_stamp,
                            const QueryParameters* parameters)
{
    if (!Admits(holder))
        return;
    Store(xll::OPER12(), connection_string, statement, headers, elapsed_ms, last_row, last_column, time_stamp,
          parameters);
    lent_ = &holder;
}

} // namespace db
