// One connection: an environment and a connection opened with the user's connection string
// without any dialog, within a login timeout, and the statements executed on it.
#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "db/driver_family.h"
#include "db/driver_text.h"
#include "db/file_identity.h"
#include "db/odbc_handles.h"
#include "xll/traits.h"

namespace db {

class OdbcConnection {
public:
    // Allocates the environment and the connection; connects only when the text is not empty.
    explicit OdbcConnection(xll::xstring_view connection_string = {});
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    void set_connection_string(xll::xstring_view connection_string) { connection_string_ = connection_string; }

    // Connects without prompting; an empty connection string calls nothing and returns 0. The
    // connected flag follows the outcome; nothing is thrown.
    SQLRETURN connect();

    // Connects when not yet connected, allocates the statement into the caller's owner and
    // executes the text directly. Failures, a refused connection included, throw the texts of
    // check_sql_diagnostics, with the statement already released.
    void execute(xll::xstring_view statement_text, OdbcStatement& statement);

    // The two halves of execute, for callers that do something between them (prepare and bind,
    // or look whether the user still wants the statement sent).
    void allocate_statement(OdbcStatement& statement);
    void execute_direct(xll::xstring_view statement_text, OdbcStatement& statement);
    // Prepares the text on an allocated statement, for binding and SQLExecute; failures throw as
    // execute_direct's do.
    void prepare(xll::xstring_view statement_text, OdbcStatement& statement);

    bool connected() const { return connected_; }
    SQLHDBC handle() const { return connection_.get(); }
    // How this connection's text travels; known once connected.
    const DriverText& text() const { return text_; }
    // The engine behind the driver: guessed from the connection string before connecting, asked
    // of the server once connected.
    const DriverFamily& family() const { return family_; }
    // The server's number for this session, where the family stops statements by it; else -1.
    long long session() const { return session_; }
    // For a file database, whether its path still names the file that was opened (a file renamed
    // over it, or deleted, is another database); true for everything else.
    bool same_file() const;

private:
    SQLRETURN driver_connect(const xll::xstring& connection_string);
    long long read_session();

    OdbcEnvironment environment_;
    OdbcConnectionHandle connection_;
    xll::xstring connection_string_;
    bool connected_ = false;
    DriverText text_;
    DriverFamily family_;
    long long session_ = -1;
    xll::xstring file_;
    std::optional<FileIdentity> file_identity_;
};

// The add-in's own attributes of a connection string, which drivers never see: the seconds a
// connect may take, and how many queries of the source run at once (db/query_scheduler.h).
inline constexpr std::string_view login_timeout_keyword = "LoginTimeout";
inline constexpr std::string_view max_queries_keyword = "MaxQueries";

// The whole number (at most six digits) an attribute gives, or -1 for none.
long whole_attribute(xll::xstring_view connection_string, std::string_view keyword);
// The seconds a connect may take: the connection string's LoginTimeout when it gives a whole
// number of seconds, else the default.
std::chrono::seconds login_timeout_of(xll::xstring_view connection_string);
// The connection string without the add-in's own attributes, as the driver is given it.
xll::xstring without_own_attributes(xll::xstring_view connection_string);

} // namespace db
