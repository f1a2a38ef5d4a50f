#include "db/odbc_connection.h"

#include <condition_variable>
#include <mutex>
#include <string>

#include "db/limits.h"
#include "db/sql_diagnostics.h"

namespace db {

namespace {

bool is_attribute(xll::xstring_view attribute, std::string_view keyword)
{
    const size_t equals = attribute.find(XCHAR('='));
    xll::xstring_view key = attribute.substr(0, equals);
    while (!key.empty() && key.front() == ' ')
        key.remove_prefix(1);
    while (!key.empty() && key.back() == ' ')
        key.remove_suffix(1);
    if (key.size() != keyword.size())
        return false;
    for (size_t i = 0; i < key.size(); ++i) {
        XCHAR c = key[i] >= 'a' && key[i] <= 'z' ? static_cast<XCHAR>(key[i] - 32) : key[i];
        XCHAR k = static_cast<XCHAR>(keyword[i]);
        if (c != (k >= 'a' && k <= 'z' ? static_cast<XCHAR>(k - 32) : k))
            return false;
    }
    return true;
}

// A connect of a driver whose connects take turns (DriverFamily::connects_alone) waits until no
// other such connect is under way, or connect_turn_wait has passed.
class ConnectTurn {
public:
    explicit ConnectTurn(bool wanted) : wanted_(wanted)
    {
        if (!wanted_)
            return;
        Turns& t = turns();
        std::unique_lock<std::mutex> hold(t.lock);
        t.ended.wait_for(hold, connect_turn_wait, [&] { return t.under_way == 0; });
        ++t.under_way;
    }
    ConnectTurn(const ConnectTurn&) = delete;
    ConnectTurn& operator=(const ConnectTurn&) = delete;
    ~ConnectTurn()
    {
        if (!wanted_)
            return;
        Turns& t = turns();
        {
            std::lock_guard<std::mutex> hold(t.lock);
            --t.under_way;
        }
        t.ended.notify_all();
    }

private:
    struct Turns {
        std::mutex lock;
        std::condition_variable ended;
        int under_way = 0;
    };
    static Turns& turns()
    {
        static Turns t;
        return t;
    }

    const bool wanted_;
};

} // namespace

long whole_attribute(xll::xstring_view connection_string, std::string_view keyword)
{
    const xll::xstring value = DriverText::attribute(connection_string, keyword);
    if (value.empty() || value.size() > 6)
        return -1;
    long number = 0;
    for (XCHAR c : value) {
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

std::chrono::seconds login_timeout_of(xll::xstring_view connection_string)
{
    const long seconds = whole_attribute(connection_string, login_timeout_keyword);
    return seconds > 0 ? std::chrono::seconds(seconds) : login_timeout;
}

xll::xstring without_own_attributes(xll::xstring_view connection_string)
{
    xll::xstring out;
    size_t start = 0;
    while (start < connection_string.size()) {
        // An attribute ends at the first semicolon outside braces.
        size_t end = start;
        for (bool braced = false; end < connection_string.size(); ++end) {
            const XCHAR c = connection_string[end];
            if (c == '{')
                braced = true;
            else if (c == '}')
                braced = false;
            else if (c == ';' && !braced)
                break;
        }
        const xll::xstring_view attribute = connection_string.substr(start, end - start);
        if (!is_attribute(attribute, login_timeout_keyword) && !is_attribute(attribute, max_queries_keyword)) {
            out += attribute;
            if (end < connection_string.size())
                out += XCHAR(';');
        }
        start = end + 1;
    }
    return out;
}

OdbcConnection::OdbcConnection(xll::xstring_view connection_string)
    : connection_(environment_), connection_string_(connection_string)
{
    connect();
}

SQLRETURN OdbcConnection::driver_connect(const xll::xstring& connection_string)
{
    // The completed connection string is offered room and discarded.
    constexpr SQLSMALLINT completed_room = 255;
    SQLWCHAR completed[completed_room + 1] = {};
    SQLSMALLINT completed_length = 0;
    return SQLDriverConnectW(connection_.get(), nullptr, sql_text(connection_string.c_str()), SQL_NTS, completed,
                             completed_room, &completed_length, SQL_DRIVER_NOPROMPT);
}

SQLRETURN OdbcConnection::connect()
{
    if (connection_string_.empty())
        return SQL_SUCCESS;
    family_ = family_of_driver(connection_string_);
    // Without it an unreachable host holds the worker for the operating system's two minutes. A
    // driver that has no such timeout (SQLite's, with nothing to reach) refuses it harmlessly.
    const auto seconds = static_cast<SQLULEN>(login_timeout_of(connection_string_).count());
    SQLSetConnectAttrW(connection_.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(seconds), 0);
    const xll::xstring given = without_own_attributes(connection_string_);
    // The connection string takes the road its driver reads: sent through the manager's Latin-1
    // narrowing first, a non-ASCII file name would have opened (and created) another file.
    text_ = DriverText::before_connecting(environment_.get(), given);
    SQLRETURN rc = SQL_ERROR;
    {
        ConnectTurn turn(family_.connects_alone);
        rc = driver_connect(text_.outgoing(given));
    }
    connected_ = sql_succeeded(rc);
    connection_.set_connected(connected_);
    if (connected_) {
        family_ = family_of_server(connection_.get());
        text_ = DriverText::probe(connection_.get(), family_.engine);
        if (family_.file_database) {
            file_ = DriverText::attribute(given, "DATABASE");
            file_identity_ = file_identity(file_);
        }
        if (family_.session_query)
            session_ = read_session();
    }
    return rc;
}

long long OdbcConnection::read_session()
{
    OdbcStatement statement;
    SQLHANDLE handle = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection_.get(), &handle)))
        return -1;
    statement.adopt(handle);
    SQLBIGINT id = -1;
    SQLLEN indicator = 0;
    if (SQL_SUCCEEDED(SQLExecDirectW(statement.get(), sql_text(family_.session_query), SQL_NTS)) &&
        SQL_SUCCEEDED(SQLFetch(statement.get())) &&
        SQL_SUCCEEDED(SQLGetData(statement.get(), 1, SQL_C_SBIGINT, &id, sizeof id, &indicator)) &&
        indicator != SQL_NULL_DATA)
        return static_cast<long long>(id);
    return -1;
}

bool OdbcConnection::same_file() const
{
    if (!family_.file_database)
        return true;
    const auto now = file_identity(file_);
    return now && file_identity_ && *now == *file_identity_;
}

void OdbcConnection::execute(xll::xstring_view statement_text, OdbcStatement& statement)
{
    allocate_statement(statement);
    execute_direct(statement_text, statement);
}

void OdbcConnection::allocate_statement(OdbcStatement& statement)
{
    // A refused connection reports its own records (a wrong password, an unreachable server):
    // left to the statement allocation, they would be replaced by "Connection not open".
    if (!connected_) {
        SQLRETURN rc = connect();
        if (!sql_succeeded(rc))
            check_sql_diagnostics(rc, statement, connection_.get(), text_, family_);
    }
    SQLHANDLE handle = SQL_NULL_HSTMT;
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, connection_.get(), &handle);
    statement.adopt(handle);
    check_sql_diagnostics(rc, statement, connection_.get(), text_, family_);
}

void OdbcConnection::execute_direct(xll::xstring_view statement_text, OdbcStatement& statement)
{
    xll::xstring text = text_.outgoing(statement_text);
    check_sql_diagnostics(SQLExecDirectW(statement.get(), sql_text(text.c_str()), SQL_NTS), statement,
                          connection_.get(), text_, family_);
}

void OdbcConnection::prepare(xll::xstring_view statement_text, OdbcStatement& statement)
{
    xll::xstring text = text_.outgoing(statement_text);
    check_sql_diagnostics(SQLPrepareW(statement.get(), sql_text(text.c_str()), SQL_NTS), statement, connection_.get(),
                          text_, family_);
}

} // namespace db
