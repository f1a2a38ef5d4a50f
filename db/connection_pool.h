// Connections kept open between queries, so that a sheet of queries against one data source pays
// for its connections once. A kept connection serves the next query with exactly the same
// connection string (every code unit, as the result cache compares); a string may have several,
// one for each of its queries that ran at once. The add-in keeps them itself:
// the driver manager's own pooling would change every other ODBC user in the host's process.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "db/limits.h"
#include "db/odbc_connection.h"

namespace db {

class ConnectionPool {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    explicit ConnectionPool(size_t capacity = kept_connections,
                            std::chrono::steady_clock::duration idle_limit = kept_idle_limit,
                            Clock clock = std::chrono::steady_clock::now,
                            std::chrono::steady_clock::duration trusted = trusted_idle);
    ~ConnectionPool() { clear(); }
    ConnectionPool(const ConnectionPool&) = delete;
    ConnectionPool& operator=(const ConnectionPool&) = delete;

    // The process-wide pool of the query functions, emptied when the add-in closes (xlAutoClose).
    // Never destroyed: at process exit, or an unload without xlAutoClose, its connections are
    // left to the operating system rather than closed under the loader lock. Shared with the
    // workers that keep connections in it.
    static const std::shared_ptr<ConnectionPool>& instance();

    struct Lent {
        std::unique_ptr<OdbcConnection> connection; // null when none is kept for the string
        bool trusted = false; // used moments ago: sent a statement without the check
    };
    // The most recently used connection kept for exactly this string, now the caller's, and
    // whether it was idle no longer than the pool trusts. Connections idle past the limit are
    // closed first.
    Lent lend(xll::xstring_view connection_string);
    std::unique_ptr<OdbcConnection> take(xll::xstring_view connection_string)
    {
        return lend(connection_string).connection;
    }
    // Keeps a connection for its string, closing the least recently used one beyond the capacity.
    void keep(xll::xstring_view connection_string, std::unique_ptr<OdbcConnection> connection);
    // Closes every kept connection.
    void clear();

    size_t size() const;

private:
    struct Kept {
        xll::xstring connection_string;
        std::unique_ptr<OdbcConnection> connection;
        std::chrono::steady_clock::time_point last_used;
    };

    size_t capacity_;
    std::chrono::steady_clock::duration idle_limit_;
    Clock clock_;
    std::chrono::steady_clock::duration trusted_;
    mutable std::mutex lock_;
    std::vector<Kept> kept_; // least recently used first
};

} // namespace db
