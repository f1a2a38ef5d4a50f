// A failure of the query road, carried as data: its head ("#SQL Error "), the driver's diagnostic
// records and what kind of failure it is. What the add-in does with a failure (keep it in the
// cache, keep the connection) asks the kind; only the cell's text, made in one place, reads the
// records. what() carries the same text in UTF-8 for anyone catching std::exception.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "xll/text.h"

namespace db {

enum class FailureKind {
    statement, // the statement's own failure (syntax, a missing table, a constraint): it fails again
    transient, // the connection's or the server's state (a lost session, a timeout, a busy file):
               // the next try may well succeed
    cancelled, // stopped by the user's Esc, or by the server on the driver's cancel
    limit,     // a limit of the worksheet or the add-in (a result past the sheet's rows)
};

// Whether a failure of this kind is kept as the result of its query.
constexpr bool lasting(FailureKind kind) { return kind == FailureKind::statement || kind == FailureKind::limit; }

// One diagnostic record of the driver, its texts already worksheet text.
struct DiagnosticRecord {
    int number = 0; // from 1, per handle, as the driver manager counts them
    xll::xstring state;
    long native = 0;
    xll::xstring message;
};

class SqlError : public std::runtime_error {
public:
    // A failure the add-in tells in a text of its own (a value that cannot be bound).
    explicit SqlError(xll::xstring text, FailureKind kind = FailureKind::statement)
        : SqlError(std::move(text), {}, kind)
    {
    }
    SqlError(xll::xstring head, std::vector<DiagnosticRecord> records, FailureKind kind);

    const xll::xstring& head() const noexcept { return head_; }
    const std::vector<DiagnosticRecord>& records() const noexcept { return records_; }
    FailureKind kind() const noexcept { return kind_; }
    // A second try may well not repeat the failure, so its outcome is not kept.
    bool transient() const noexcept { return !lasting(kind_); }
    // The cell's text: the head, then one "STATE:n:native:message" line per record.
    xll::xstring text() const;

private:
    xll::xstring head_;
    std::vector<DiagnosticRecord> records_;
    FailureKind kind_;
};

// What a failed run's cell will say, as data: the run, the waiting and the cache pass this along,
// and only the edge makes its text (failure_value, db/run_text.h).
struct Failure {
    enum class Cause {
        error,              // `error` tells it: the driver's records, or the add-in's own text
        message,            // `message` tells it: what a failure outside the database said (UTF-8)
        stopped,            // the user's Esc, after `rows` rows
        stopped_connecting, // the user's Esc before the run had its connection
        changes_kept,       // Esc stopped a statement that may have changed data, after `rows` rows
        out_of_memory,      // memory ran out after `rows` rows
        unknown,            // not even room to say what
    };
    Cause cause = Cause::unknown;
    size_t rows = 0;
    std::optional<SqlError> error;
    std::string message;
};

} // namespace db
