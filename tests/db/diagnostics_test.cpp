// How failed ODBC calls become the texts users read in their cells.
#include <gtest/gtest.h>

#include <vector>

#include "databases.h"
#include "db/statement_run.h"
#include "db/sql_diagnostics.h"
#include "db_test.h"

using namespace test;
using db::DiagRecord;

namespace {

struct FakeRecord {
    SQLRETURN rc;
    std::string state;
    SQLINTEGER native;
    std::string message;
};

// A diagnostic source that answers record n from a list and counts the reads.
struct FakeDiagnostics {
    std::vector<FakeRecord> records;
    int reads = 0;

    db::DiagReader reader()
    {
        return [this](SQLSMALLINT n, DiagRecord& r) -> SQLRETURN {
            ++reads;
            if (n < 1 || static_cast<size_t>(n) > records.size())
                return SQL_NO_DATA;
            const FakeRecord& f = records[static_cast<size_t>(n) - 1];
            xll::xstring state = u(f.state), message = u(f.message);
            std::copy(state.begin(), state.end(), r.state);
            std::copy(message.begin(), message.end(), r.message);
            r.native = f.native;
            return f.rc;
        };
    }
};

std::string thrown_text(const std::function<void()>& f)
{
    try {
        f();
    }
    catch (const db::SqlError& e) {
        return s(e.text());
    }
    return "<nothing thrown>";
}

TEST(Diagnostics, ResultCodesMapToTheirFixedTexts)
{
    for (SQLRETURN ok : {SQL_SUCCESS, SQL_SUCCESS_WITH_INFO, SQL_NO_DATA})
        EXPECT_NO_THROW(db::check_sql_result(ok));
    EXPECT_EQ(thrown_text([] { db::check_sql_result(SQL_ERROR); }), "#SQL Error");
    EXPECT_EQ(thrown_text([] { db::check_sql_result(SQL_INVALID_HANDLE); }), "#SQL Invalid Handle");
    EXPECT_EQ(thrown_text([] { db::check_sql_result(SQL_STILL_EXECUTING); }), "#SQL Unknown Error");
    EXPECT_EQ(thrown_text([] { db::check_sql_result(SQL_NEED_DATA); }), "#SQL Unknown Error");
    // Only the bare SQL_ERROR, which came without records to tell why, may well pass a second try.
    auto transient = [](SQLRETURN rc) {
        try {
            db::check_sql_result(rc);
        }
        catch (const db::SqlError& e) {
            return e.transient();
        }
        return false;
    };
    EXPECT_TRUE(transient(SQL_ERROR));
    EXPECT_FALSE(transient(SQL_INVALID_HANDLE));
    EXPECT_FALSE(transient(SQL_NEED_DATA));
}

// Whether a failure passes is read from its records, by state and, per engine, native code.
TEST(Diagnostics, TheKindOfAFailureComesFromItsRecords)
{
    using db::FailureKind;
    db::DriverFamily sqlite, postgres, mariadb, other;
    sqlite.engine = db::DatabaseEngine::sqlite;
    postgres.engine = db::DatabaseEngine::postgresql;
    mariadb.engine = db::DatabaseEngine::mariadb;
    struct Case {
        const db::DriverFamily& family;
        const char* state;
        long native;
        FailureKind kind;
    };
    const Case cases[] = {
        {other, "08S01", 0, FailureKind::transient},    {other, "08001", 101, FailureKind::transient},
        {other, "HYT00", 0, FailureKind::transient},    {postgres, "57P01", 7, FailureKind::transient},
        {postgres, "57P03", 7, FailureKind::transient}, {mariadb, "HY000", 2013, FailureKind::transient},
        {mariadb, "HY000", 2006, FailureKind::transient}, {sqlite, "HY000", 5, FailureKind::transient},
        {other, "HY000", 5, FailureKind::statement},    {postgres, "57014", 7, FailureKind::cancelled},
        {other, "HY008", 0, FailureKind::cancelled},    {mariadb, "70100", 1317, FailureKind::cancelled},
        {postgres, "42P01", 7, FailureKind::statement}, {mariadb, "42S02", 1146, FailureKind::statement},
        {postgres, "23505", 7, FailureKind::statement}, {postgres, "28P01", 7, FailureKind::statement},
    };
    for (const auto& c : cases)
        EXPECT_EQ(db::failure_kind(c.family, {{1, u(c.state), c.native, u("message")}}), c.kind)
            << c.state << " " << c.native;
}

TEST(Diagnostics, EveryRecordIsOneLineNumberedFromOne)
{
    FakeDiagnostics d{{{SQL_SUCCESS, "42S02", -204, "no such table"},
                       {SQL_SUCCESS, "01000", 0, "general warning"},
                       {SQL_SUCCESS, "HY000", 7, "Müller ärgert sich"}}};
    xll::xstring text = u("#SQL Error ");
    db::append_diagnostics(text, d.reader());
    EXPECT_EQ(s(text), "#SQL Error 42S02:1:-204:no such table\n01000:2:0:general warning\nHY000:3:7:Müller ärgert sich\n");
    EXPECT_EQ(d.reads, 4); // the fourth answered SQL_NO_DATA
}

TEST(Diagnostics, ACutMessageIsTheLastRecordRead)
{
    std::string long_message(255, 'm');
    FakeDiagnostics d{{{SQL_SUCCESS, "S1000", 1, "first"},
                       {SQL_SUCCESS_WITH_INFO, "S1000", 2, long_message},
                       {SQL_SUCCESS, "S1000", 3, "never read"}}};
    xll::xstring text;
    db::append_diagnostics(text, d.reader());
    EXPECT_EQ(s(text), "S1000:1:1:first\nS1000:2:2:" + long_message + "\n");
    EXPECT_EQ(d.reads, 2);
}

TEST(Diagnostics, AFailedReadEndsTheWalkWithoutALine)
{
    FakeDiagnostics d{{{SQL_ERROR, "HY000", 1, "ignored"}}};
    xll::xstring text;
    db::append_diagnostics(text, d.reader());
    EXPECT_TRUE(text.empty());
}

TEST(Diagnostics, TheTextStaysWithinItsFourThousandBytes)
{
    FakeDiagnostics d;
    for (int i = 0; i < 40; ++i)
        d.records.push_back({SQL_SUCCESS, "HY000", i, std::string(200, 'x')});
    xll::xstring text = u("#SQL Error ");
    db::append_diagnostics(text, d.reader());
    EXPECT_EQ(text.size(), db::max_error_text);
    EXPECT_LT(d.reads, 40); // no record is read once the text is full
}

TEST(Diagnostics, FailureWithoutRecordsIsTheBareText)
{
    db::OdbcStatement none;
    EXPECT_EQ(thrown_text([&] { db::check_sql_diagnostics(SQL_ERROR, none, SQL_NULL_HDBC); }), "#SQL Error ");
    EXPECT_NO_THROW(db::check_sql_diagnostics(SQL_NO_DATA, none, SQL_NULL_HDBC)); // an update that touched nothing
}

std::string query_text(const std::string& cs, const std::string& sql)
{
    StubCalendar calendar;
    return show(test::run_query(u(cs), u(sql), false, calendar).value);
}

TEST(Diagnostics, ConnectionFailuresCarryTheConnectionsRecords)
{
    // Nothing to connect with: the statement cannot even be allocated.
    std::string empty = query_text("", "SELECT 1");
    EXPECT_EQ(empty.rfind("#SQL Error 08003:1:", 0), 0u) << empty;
    std::string unknown = query_text("Driver=No Such Driver;Database=x", "SELECT 1");
    EXPECT_EQ(unknown.rfind("#SQL Error ", 0), 0u) << unknown;
    EXPECT_NE(unknown.find(":1:"), std::string::npos) << unknown;
    EXPECT_EQ(unknown.back(), '\n');
}

TEST(Diagnostics, ADriversLongMessageIsCutTo255Characters)
{
    std::string name = "no_such_" + std::string(300, 'q');
    std::string text = query_text(SqliteDb::fresh_connection_string(), "SELECT * FROM " + name);
    ASSERT_EQ(text.rfind("#SQL Error ", 0), 0u) << text;
    std::string line = text.substr(11);
    ASSERT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << text;
    size_t third = line.find(':', line.find(':', line.find(':') + 1) + 1);
    EXPECT_EQ(line.size() - third - 2, 255u) << line;
}

TEST(Diagnostics, NonAsciiInADriversMessageSurvives)
{
    std::string text = query_text(SqliteDb::fresh_connection_string(), "SELECT * FROM Größe_日本");
    EXPECT_NE(text.find("Größe_日本"), std::string::npos) << text;
}

} // namespace
