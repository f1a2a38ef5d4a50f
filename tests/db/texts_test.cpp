// Texts the subsystem writes or reads itself: the builders' SQL, the listings, the timestamp
// text of drivers, the byte road of 8-bit drivers, and the pieces of long values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "db/column_reader.h"
#include "db/driver_text.h"
#include "db/statement_builders.h"
#include "db/timestamp_text.h"
#include "db/value_text.h"
#include "db_test.h"

using namespace test;

namespace {

std::string select(const std::string& sel, const std::string& from, const std::string& where = "",
                   const std::string& group = "", const std::string& order = "")
{
    return s(db::select_statement(u(sel), u(from), u(where), u(group), u(order)));
}

TEST(Select, KeywordsAreAddedUnlessTheClauseHasThem)
{
    EXPECT_EQ(select("*", "Orders"), "SELECT * FROM Orders");
    EXPECT_EQ(select("SELECT TOP 5 *", "FROM Orders"), "SELECT TOP 5 * FROM Orders");
    EXPECT_EQ(select("a", "t", "Price>5"), "SELECT a FROM t WHERE Price>5");
    EXPECT_EQ(select("a", "t", "WHERE Price>5"), "SELECT a FROM t WHERE Price>5");
    // The search is case-sensitive.
    EXPECT_EQ(select("a", "t", "where Price>5"), "SELECT a FROM t WHERE where Price>5");
    EXPECT_EQ(select("a", "t", "", "a", "a DESC"), "SELECT a FROM t GROUP BY a ORDER BY a DESC");
    EXPECT_EQ(select("a", "t", "", "GROUP BY a", "ORDER BY 1"), "SELECT a FROM t GROUP BY a ORDER BY 1");
    // A subquery's own SELECT counts: nothing is put in front.
    EXPECT_EQ(select("(SELECT 1) AS x", "t"), "(SELECT 1) AS x FROM t");
    EXPECT_EQ(select("a", ""), "SELECT a FROM ");
    EXPECT_EQ(select("a", "t", "name = 'Müller'"), "SELECT a FROM t WHERE name = 'Müller'");
}

std::string execute(const std::string& proc, std::array<std::string, 10> p)
{
    std::array<xll::xstring, 10> wide;
    std::array<xll::xstring_view, 10> views;
    for (size_t i = 0; i < 10; ++i) {
        wide[i] = u(p[i]);
        views[i] = wide[i];
    }
    return s(db::execute_statement(u(proc), views));
}

TEST(Execute, EmptyParametersAreSkippedAndSeparatorsFollowPositions)
{
    EXPECT_EQ(execute("P", {"1", "'a'", "", "4"}), "EXEC P 1, 'a', 4");
    EXPECT_EQ(execute("P", {"", "2"}), "EXEC P, 2");
    EXPECT_EQ(execute("P", {}), "EXEC P");
    EXPECT_EQ(execute("P", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}), "EXEC P 1, 2, 3, 4, 5, 6, 7, 8, 9, 10");
}

// The exact listing texts are checked end to end, as sent (e2e_test.cpp).
TEST(Listings, ColumnsPrefixIsFollowedByTheNameAsTyped)
{
    EXPECT_EQ(xll::xstring(db::list_columns_prefix).size(), 169u);
    EXPECT_EQ(s(db::list_columns_statement(u("O'Brien"))).substr(169), "O'Brien'");
}

std::string parse_failure(const std::string& text)
{
    try {
        db::parse_timestamp_text(text);
    }
    catch (const std::exception& e) {
        return e.what();
    }
    return "<parsed>";
}

TEST(TimestampText, PartsAreReadAtTheirPositions)
{
    auto p = db::parse_timestamp_text("2014-03-05 13:45:10.25");
    EXPECT_EQ(p.year, 2014);
    EXPECT_EQ(p.month, 3);
    EXPECT_EQ(p.day, 5);
    EXPECT_EQ(p.hour, 13);
    EXPECT_EQ(p.minute, 45);
    EXPECT_EQ(p.second, 10.25);
    EXPECT_EQ(db::parse_timestamp_text("2014-03-05 13:45:10.123456").second, 10.123456); // microseconds stay
    EXPECT_EQ(db::parse_timestamp_text("2014-03-05 13:45:10.5+01").second, 10.5);        // a zone is not seconds
}

TEST(TimestampText, FailuresKeepTheirTexts)
{
    EXPECT_EQ(parse_failure("2014-03-05"), "invalid string position");
    EXPECT_EQ(parse_failure("2014-03-05 13:45"), "invalid string position");
    EXPECT_EQ(parse_failure("2014-03-05 13:45:"), "invalid stod argument");
    EXPECT_EQ(parse_failure("yyyy-03-05 13:45:10"), "invalid stol argument");
    EXPECT_EQ(parse_failure("2014-03-05 13:45:1e999"), "stod argument out of range");
    EXPECT_EQ(parse_failure(""), "invalid stol argument");
}

// Numbers are read from the database's text: the nearest double of exactly that text, or nothing.
TEST(ValueText, DecimalNumbersAreTheNearestDoubleOfTheWholeText)
{
    auto n = [](const char* t) { return db::decimal_number(t); };
    EXPECT_EQ(n("150000000000"), 150000000000.0);
    EXPECT_EQ(n("-9000000000000"), -9000000000000.0);
    EXPECT_EQ(n("9223372036854775807"), 9223372036854775808.0);
    EXPECT_EQ(n("-9223372036854775808"), -9223372036854775808.0);
    EXPECT_EQ(n("18446744073709551615"), 18446744073709551616.0);
    EXPECT_EQ(n("9007199254740993"), 9007199254740992.0); // 2^53+1: its nearest double, ties to even
    EXPECT_EQ(n("12345678901.1234567890"), 12345678901.123456789);
    EXPECT_EQ(n("0.30000000000000004"), 0.1 + 0.2);
    EXPECT_EQ(n("1.0e+308"), 1e308);
    EXPECT_EQ(n("1.7976931348623157E308"), 1.7976931348623157e308);
    EXPECT_EQ(n("5e-324"), 5e-324); // the least subnormal is a value, not an underflow
    EXPECT_EQ(n("1e-400"), 0.0);
    EXPECT_EQ(n("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(n("-1e400"), -std::numeric_limits<double>::infinity());
    auto negative_zero = n("-0");
    ASSERT_TRUE(negative_zero);
    EXPECT_TRUE(std::signbit(*negative_zero));
    EXPECT_TRUE(std::signbit(*n("-0.0")));

    for (const char* t : {"", "-", "+5", " 12", "12 ", "12abc", "0x1A", "007", ".5", "5.", "1e", "1e+", "1,5",
                          "NaN", "Inf", "$12.50", "1 000"})
        EXPECT_FALSE(n(t)) << t;
    for (const char* t : {"NaN", "Infinity", "-Infinity", "Inf", "-Inf"})
        EXPECT_TRUE(db::names_non_finite(t)) << t;
    for (const char* t : {"nan", "inf", "Infinite", "infinity"})
        EXPECT_FALSE(db::names_non_finite(t)) << t;
}

TEST(ValueText, DatesAndTimesOnlyInTheirExactForms)
{
    std::string_view rest;
    auto d = db::leading_date("2000-02-29", rest);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->year * 10000 + d->month * 100 + d->day, 20000229);
    EXPECT_TRUE(rest.empty());
    ASSERT_TRUE(db::leading_date("9999-12-31 23:59:59", rest));
    EXPECT_EQ(rest, " 23:59:59");
    for (const char* t : {"1900-02-29", "2014-02-30", "2014-13-01", "2014-00-10", "2014-5-3", "2014/05/31",
                          "20140531", "0000-00-00", "not a date", ""})
        EXPECT_FALSE(db::leading_date(t, rest)) << t;
    EXPECT_FALSE(db::in_worksheet_calendar(1899));
    EXPECT_TRUE(db::in_worksheet_calendar(1900));
    EXPECT_TRUE(db::in_worksheet_calendar(9999));
    EXPECT_FALSE(db::in_worksheet_calendar(10000));

    auto clock = db::clock_time("13:45:10.123456");
    ASSERT_TRUE(clock);
    EXPECT_EQ(clock->hour, 13);
    EXPECT_EQ(clock->minute, 45);
    EXPECT_EQ(clock->second, 10.123456);
    EXPECT_EQ(db::clock_time("23:59:59.999999")->second, 59.999999);
    EXPECT_EQ(db::clock_time("12:34")->minute, 34); // SQLite's driver takes times without seconds
    for (const char* t : {"24:00:00", "-838:59:59", "12:60:00", "12:00:60", "12:00:00.", "12:00:00x", "1:02:03"})
        EXPECT_FALSE(db::clock_time(t)) << t;
}

// SQLite's affinity rules, read from the name a column was declared with.
TEST(ValueText, SqliteTypeNamesThatNameNumbers)
{
    for (const char* n : {"DECIMAL", "numeric", "INT8", "MEDIUMINT", "Float", "DOUBLE", "REAL", "money_num"})
        EXPECT_TRUE(db::names_a_number_type(n)) << n;
    for (const char* n : {"varchar", "TEXT", "CLOB", "CHARINT", "BLOB", "", "DATE", "BOOLEAN"})
        EXPECT_FALSE(db::names_a_number_type(n)) << n;
}

xll::xstring units(const std::string& bytes)
{
    xll::xstring out;
    for (char c : bytes)
        out += static_cast<XCHAR>(static_cast<unsigned char>(c));
    return out;
}

TEST(DriverText, EightBitDriversGetAndGiveUtf8Bytes)
{
    auto bytes = db::DriverText::bytes_as_units();
    EXPECT_EQ(bytes.outgoing(u("Müller 日本")), units("Müller 日本"));
    xll::xstring scratch;
    EXPECT_EQ(s(bytes.incoming(units("Søren 日本商事"), scratch)), "Søren 日本商事");
    // Bytes that are not UTF-8 keep their one-character-per-byte reading.
    EXPECT_EQ(bytes.incoming(units("Caf\xE9"), scratch), units("Caf\xE9"));
    // Only a text known to be cut loses a character split at its end.
    EXPECT_EQ(s(bytes.incoming(units("ab\xE6\x97"), scratch, true)), "ab");
    db::DriverText wide;
    EXPECT_EQ(wide.outgoing(u("日本")), u("日本"));
    EXPECT_EQ(wide.incoming(units("\xC3\xBC"), scratch), units("\xC3\xBC"));
}

// Statements and connection strings go zero-terminated, and psqlODBC joins a high surrogate with
// whatever unit follows it: either road hands over U+FFFD for both.
TEST(DriverText, EveryDriverGetsWellFormedTextWithoutANul)
{
    xll::xstring sent = u("x");
    sent += {0xD83D, '\'', 0, 0xDE00};
    sent += u(" \xF0\x9F\x98\x80");
    EXPECT_EQ(db::DriverText().outgoing(sent), u("x\uFFFD'\uFFFD\uFFFD \xF0\x9F\x98\x80"));
    EXPECT_EQ(db::DriverText::bytes_as_units().outgoing(sent), units("x\uFFFD'\uFFFD\uFFFD \xF0\x9F\x98\x80"));
}

TEST(DriverText, ConnectionStringAttributesAsTheManagerReadsThem)
{
    auto driver = [](const std::string& cs) { return s(db::DriverText::attribute(u(cs), "DRIVER")); };
    EXPECT_EQ(driver("Driver=SQLite3;Database=/data/tÿpes-ü.db"), "SQLite3");
    EXPECT_EQ(driver("database=x;DRIVER={PostgreSQL Unicode};Server=h"), "PostgreSQL Unicode");
    EXPECT_EQ(driver("Pwd={a;Driver=evil};driver=MariaDB Unicode"), "MariaDB Unicode"); // braces hide semicolons
    EXPECT_EQ(driver("DSN=shop;Uid=me"), "");
    EXPECT_EQ(driver("Driver="), "");
    EXPECT_EQ(driver("no attributes at all"), "");
}

// A piece's length never reaches past the buffer, whatever the driver's indicator says.
TEST(LongValues, PieceLengthStaysInsideTheBuffer)
{
    const char16_t buffer[9] = u"abc\0zzzz";
    EXPECT_EQ(db::piece_units<char16_t>(6, buffer, 7), 3u);            // bytes, not units
    EXPECT_EQ(db::piece_units<char16_t>(SQL_NO_TOTAL, buffer, 7), 3u); // up to the terminator
    EXPECT_EQ(db::piece_units<char16_t>(1000, buffer, 7), 7u);
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(db::piece_units<char>(SQL_NO_TOTAL, unterminated, 4), 4u);
}

TEST(LongValues, CutsNeverSplitASurrogatePair)
{
    const xll::xstring text = u("ab") + xll::xstring{0xD83D, 0xDE00};
    EXPECT_EQ(xll::cut_units(text, 3).size(), 2u);
    EXPECT_EQ(xll::cut_units(text, 4).size(), 4u);
    EXPECT_EQ(xll::cut_units(text, 1).size(), 1u);
}

} // namespace
