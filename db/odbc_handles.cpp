#include "db/odbc_handles.h"

#include "db/driver_text.h"

namespace db {

OdbcEnvironment::OdbcEnvironment()
{
    // A failed allocation leaves the null handle; the calls that follow report it in-band.
    if (SQLAllocEnv(&handle_) != SQL_SUCCESS && handle_ != SQL_NULL_HENV) {
        SQLFreeHandle(SQL_HANDLE_ENV, handle_);
        handle_ = SQL_NULL_HENV;
    }
}

OdbcEnvironment::~OdbcEnvironment()
{
    if (handle_ != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, handle_);
}

OdbcConnectionHandle::OdbcConnectionHandle(const OdbcEnvironment& env)
{
    SQLHANDLE h = SQL_NULL_HDBC;
    const DriverText::Narrowing narrowing; // the manager's narrowing is fixed here
    if (env.get() != SQL_NULL_HENV && SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env.get(), &h)))
        handle_ = h;
}

OdbcConnectionHandle::~OdbcConnectionHandle()
{
    if (handle_ == SQL_NULL_HDBC)
        return;
    if (connected_) {
        // With autocommit off, a transaction still open makes the disconnect fail and the session,
        // with its locks, would outlive the handle: it is rolled back first. Only then: a
        // rollback may wait for the server, and kept connections (autocommit on, each call's
        // transaction already ended) are also closed on the spreadsheet's thread.
        SQLUINTEGER autocommit = SQL_AUTOCOMMIT_OFF;
        if (!SQL_SUCCEEDED(SQLGetConnectAttr(handle_, SQL_ATTR_AUTOCOMMIT, &autocommit, 0, nullptr)) ||
            autocommit != SQL_AUTOCOMMIT_ON)
            SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_ROLLBACK);
        SQLDisconnect(handle_);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, handle_);
}

void OdbcStatement::adopt(SQLHANDLE handle) noexcept
{
    release();
    std::lock_guard<std::mutex> hold(lock_);
    handle_ = handle;
}

void OdbcStatement::release() noexcept
{
    std::lock_guard<std::mutex> hold(lock_);
    if (handle_ != SQL_NULL_HSTMT) {
        SQLFreeHandle(SQL_HANDLE_STMT, handle_);
        handle_ = SQL_NULL_HSTMT;
    }
}

void OdbcStatement::cancel() noexcept
{
    std::lock_guard<std::mutex> hold(lock_);
    if (handle_ != SQL_NULL_HSTMT)
        SQLCancel(handle_);
}

} // namespace db
