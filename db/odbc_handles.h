// Owners of the three ODBC handles one query uses. Each frees its handle when it goes, so no
// failure path, exception or early return can leak a driver connection.
#pragma once

#include <mutex>

#include "db/odbc_api.h"

namespace db {

// The environment, allocated the ODBC 2.x way: no version attribute is ever set, so the driver
// manager reports date and time columns with the 2.x codes 9, 10 and 11.
class OdbcEnvironment {
public:
    OdbcEnvironment();
    ~OdbcEnvironment();
    OdbcEnvironment(const OdbcEnvironment&) = delete;
    OdbcEnvironment& operator=(const OdbcEnvironment&) = delete;

    SQLHENV get() const { return handle_; }

private:
    SQLHENV handle_ = SQL_NULL_HENV;
};

// A connection on an environment; rolled back and disconnected before it is freed when it was
// connected.
class OdbcConnectionHandle {
public:
    explicit OdbcConnectionHandle(const OdbcEnvironment& env);
    ~OdbcConnectionHandle();
    OdbcConnectionHandle(const OdbcConnectionHandle&) = delete;
    OdbcConnectionHandle& operator=(const OdbcConnectionHandle&) = delete;

    SQLHDBC get() const { return handle_; }
    void set_connected(bool connected) { connected_ = connected; }

private:
    SQLHDBC handle_ = SQL_NULL_HDBC;
    bool connected_ = false;
};

// A statement handle; empty until allocated into, and releasable early (a failed execution frees
// it before its diagnostics travel up). While its owner works with it on one thread, another may
// ask the driver to stop that work: the handle changes only under the lock the request takes.
class OdbcStatement {
public:
    OdbcStatement() = default;
    ~OdbcStatement() { release(); }
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    SQLHSTMT get() const { return handle_; }
    // Takes a freshly allocated handle; whatever it held is released first.
    void adopt(SQLHANDLE handle) noexcept;
    void release() noexcept;
    // SQLCancel on the handle, if there is one. Safe from another thread than the owner's.
    void cancel() noexcept;

private:
    SQLHANDLE handle_ = SQL_NULL_HSTMT;
    std::mutex lock_;
};

} // namespace db
