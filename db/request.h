// What a query cell asks for: the connection string, the statement, zQuery's values and the
// headers flag. Two equal requests are one query: the cache keeps one answer for them, and a run
// of one is the run of the other.
#pragma once

#include <optional>

#include "db/statement_run.h"
#include "db/query_parameters.h"

namespace db {

struct Request {
    xll::xstring connection_string;
    xll::xstring statement;
    std::optional<QueryParameters> parameters; // zQuery's; none for a statement given whole
    bool headers = false;

    bool operator==(const Request& other) const
    {
        return headers == other.headers && statement == other.statement &&
               connection_string == other.connection_string && parameters == other.parameters;
    }

    // Executed directly, or prepared with the values bound.
    StatementExecution execution() const;
    // The function's name, for the status bar.
    xll::xstring_view label() const;
    // Whether the statement may change data (see db/statement_kind.h).
    bool changes_data() const;
};

} // namespace db
