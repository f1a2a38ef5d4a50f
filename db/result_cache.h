// Every result zStatement and zQuery produced, keyed by the exact connection string, statement and
// headers flag, and for zQuery its parameters, so that recalculating an unchanged formula never
// reaches the database again. Entries live until the user clears the cache.
#pragma once

#include <optional>
#include <vector>

#include "db/statement_run.h"
#include "db/query_parameters.h"
#include "xll/oper.h"

namespace db {

struct CacheEntry {
    xll::xstring connection_string;
    xll::xstring statement;
    int headers = 0;
    // zQuery's values, by kind and value; none for a statement given whole, which is another
    // entry than the same text run by zQuery without parameters.
    std::optional<QueryParameters> parameters;
    double time_stamp = 0; // local date-time number of the moment it was stored
    xll::OPER12 result;
    double elapsed_ms = 0;
    int last_row = -1;    // counted from 0, header row included
    int last_column = -1; // counted from 0
};

class ResultCache {
public:
    // The process-wide cache the worksheet functions share.
    static ResultCache& instance();

    // The result of the oldest entry whose keys equal these exactly (every code unit, case and
    // blanks included, at any length; parameters by kind and value), or null.
    const xll::OPER12* find(xll::xstring_view connection_string, xll::xstring_view statement, int headers,
                            const QueryParameters* parameters = nullptr) const;

    // Whether a run is kept at all: every finished run, its failures included, but not one the
    // user cancelled nor a failure that a second try may well not repeat (the connection's or
    // the server's state rather than the statement's).
    static bool admits(const QueryResult& run);

    // Appends the run itself when it is admitted, a failure as its text: a result nobody else holds
    // is never copied.
    void store(QueryResult&& run, xll::xstring_view connection_string, xll::xstring_view statement, int headers,
               double time_stamp, const QueryParameters* parameters = nullptr);

    // The query road's answer to the host, held here until the next answer (the host copies it as
    // soon as the function returns).
    LPXLOPER12 answer(xll::OPER12 value) noexcept;
    // A kept result as the answer, lent where it is kept: the host copies it as soon as the
    // function returns, and nothing changes the cache before then, so no copy is made here.
    LPXLOPER12 answer_kept(const xll::OPER12& kept) noexcept;
    // Answers the run's value (a failure's text) and, when it is admitted, keeps it as the newest entry. The entry's
    // result stays lent to the answer and is moved into the entry the next time the cache is used:
    // a large result is then never copied just to be kept.
    LPXLOPER12 answer_and_store(QueryResult&& run, xll::xstring_view connection_string, xll::xstring_view statement,
                              int headers, double time_stamp, const QueryParameters* parameters = nullptr);

    void clear()
    {
        lent_ = false;
        entries_.clear();
    }

    // Oldest first.
    const std::vector<CacheEntry>& entries() const
    {
        settle();
        return entries_;
    }

private:
    // Takes a lent result back into its entry. Every use of the cache, and every new answer,
    // settles first: nothing can write over a result the newest entry still lends.
    void settle() const noexcept;
    void append(const QueryResult& run, xll::OPER12 result, xll::xstring_view connection_string,
                xll::xstring_view statement, int headers, double time_stamp, const QueryParameters* parameters);

    mutable std::vector<CacheEntry> entries_;
    mutable xll::OPER12 answer_;
    mutable bool lent_ = false; // the answer holds the newest entry's result
};

} // namespace db
