#include "db/driver_family.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "db/driver_text.h"

namespace db {

namespace {

DriverFamily sqlite()
{
    DriverFamily f;
    f.engine = DatabaseEngine::sqlite;
    f.rollback = XLL_T("ROLLBACK");
    f.cancel = CancelWay::abandon;
    f.file_database = true;
    f.positions_in_blocks = false;
    f.connects_alone = false;
    return f;
}

DriverFamily postgresql()
{
    DriverFamily f;
    f.engine = DatabaseEngine::postgresql;
    f.check = XLL_T("SELECT 1");
    f.typed_time_stamps = true;
    f.typed_dates = true;
    f.stamp_stand_ins = true;
    return f;
}

DriverFamily mariadb()
{
    DriverFamily f;
    f.engine = DatabaseEngine::mariadb;
    f.cancel = CancelWay::kill_query;
    f.session_query = XLL_T("SELECT CONNECTION_ID()");
    // Positioned within a block, its connector reads the block's first row, or nothing at all
    // once one value has been read so.
    f.positions_in_blocks = false;
    f.typed_time_stamps = true;
    f.typed_dates = true;
    f.null_fields_may_be_dates = true;
    return f;
}

std::string lower_ascii(xll::xstring_view text)
{
    std::string out;
    for (XCHAR c : text)
        out += c < 128 ? static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c) : '?';
    return out;
}

bool state_is(const xll::xstring& state, std::string_view ascii)
{
    return state.size() == ascii.size() && std::equal(ascii.begin(), ascii.end(), state.begin());
}

// The client library's numbers for a session that is gone or never came: can't connect (2002,
// 2003), server gone away (2006), lost during a query (2013, 2055).
bool mariadb_lost(long native) { return native == 2002 || native == 2003 || native == 2006 || native == 2013 || native == 2055; }

} // namespace

DriverFamily family_of_driver(xll::xstring_view connection_string)
{
    const std::string driver = lower_ascii(DriverText::attribute(connection_string, "DRIVER"));
    if (driver.find("sqlite") != std::string::npos)
        return sqlite();
    if (driver.find("postgres") != std::string::npos || driver.find("psql") != std::string::npos)
        return postgresql();
    if (driver.find("mariadb") != std::string::npos || driver.find("mysql") != std::string::npos)
        return mariadb();
    return {};
}

DriverFamily family_of_server(SQLHDBC connection)
{
    SQLWCHAR name[64] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, SQL_DBMS_NAME, name, sizeof name, &length)))
        return {};
    const std::u16string_view dbms(reinterpret_cast<const char16_t*>(name));
    if (dbms == u"SQLite")
        return sqlite();
    if (dbms == u"PostgreSQL")
        return postgresql();
    if (dbms == u"MariaDB" || dbms == u"MySQL") {
        DriverFamily f = mariadb();
        // MySQL's connector learns of a lost session only by using it.
        if (dbms == u"MySQL")
            f.check = XLL_T("SELECT 1");
        return f;
    }
    DriverFamily f;
    if (dbms == u"Microsoft SQL Server")
        f.check = XLL_T("SELECT 1");
    else if (dbms == u"Oracle")
        f.check = XLL_T("SELECT 1 FROM DUAL");
    return f;
}

xll::xstring kill_statement(long long session)
{
    xll::xstring text = XLL_T("KILL QUERY ");
    for (char c : std::to_string(session))
        text += static_cast<XCHAR>(c);
    return text;
}

FailureKind failure_kind(const DriverFamily& family, const std::vector<DiagnosticRecord>& records)
{
    bool cancelled = false;
    for (const auto& r : records) {
        const auto& s = r.state;
        // Class 08 (the connection), the timeouts, and PostgreSQL's administrator shutdown, crash
        // shutdown and cannot-connect-now.
        if ((s.size() == 5 && s[0] == '0' && s[1] == '8') || state_is(s, "HYT00") || state_is(s, "HYT01") ||
            state_is(s, "57P01") || state_is(s, "57P02") || state_is(s, "57P03"))
            return FailureKind::transient;
        if (family.engine == DatabaseEngine::mariadb && mariadb_lost(r.native))
            return FailureKind::transient;
        // SQLITE_BUSY and SQLITE_LOCKED: another connection holds the file or the table.
        if (family.engine == DatabaseEngine::sqlite && (r.native == 5 || r.native == 6))
            return FailureKind::transient;
        // The driver's cancel (HY008), PostgreSQL's query_canceled, MariaDB's interrupted query.
        if (state_is(s, "HY008") || state_is(s, "57014") || (family.engine == DatabaseEngine::mariadb && r.native == 1317))
            cancelled = true;
    }
    return cancelled ? FailureKind::cancelled : FailureKind::statement;
}

} // namespace db
