// Every result zStatement and zQuery produced, keyed by the exact connection string, statement and
// headers flag, and for zQuery its parameters, so that recalculating an unchanged formula never
// reaches the database again. Entries live until the user clears the cache.
#pragma once

#include <optional>
#include <vector>

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
    const xll::OPER12* Find(xll::xstring_view connection_string, xll::xstring_view statement, int headers,
                            const QueryParameters* parameters = nullptr) const;

    // Whether a result is kept at all: everything but the plain "#SQL Error" of a failed value
    // read, which a second try may well not repeat.
    static bool Admits(const xll::OPER12& result);

    // Appends a deep copy of the result when it is admitted.
    void Store(const xll::OPER12& result, xll::xstring_view connection_string, xll::xstring_view statement, int headers,
               double elapsed_ms, int last_row, int last_column, double time_stamp,
               const QueryParameters* parameters = nullptr);

    // Like Store, but the entry's result stays lent to `holder` (a worksheet function's own
    // result, which the host copies as soon as the function returns) and is moved into the entry
    // the next time the cache is used. A large result is then never copied just to be kept.
    // Whoever writes to the holder must call Settle first.
    void StoreLent(xll::OPER12& holder, xll::xstring_view connection_string, xll::xstring_view statement, int headers,
                   double elapsed_ms, int last_row, int last_column, double time_stamp,
                   const QueryParameters* parameters = nullptr);
    // Takes a lent result back into its entry.
    void Settle() const;

    void Clear()
    {
        lent_ = nullptr;
        entries_.clear();
    }

    // Oldest first.
    const std::vector<CacheEntry>& entries() const
    {
        Settle();
        return entries_;
    }

private:
    mutable std::vector<CacheEntry> entries_;
    mutable xll::OPER12* lent_ = nullptr; // holds the newest entry's result while lent
};

} // namespace db
