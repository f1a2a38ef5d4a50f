// Texts the subsystem writes or reads itself: the builders' SQL, the listings, the timestamp
// text of drivers, the byte road of 8-bit drivers, and the pieces of long values.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <sstream>

#include "db/calendar.h"
#include "db/column_reader.h"
#include "db/day_serial.h"
#include "db/driver_text.h"
#include "db/run_text.h"
#include "db/statement_builders.h"
#include "db/sqlite_time_text.h"
#include "db/stamp_fields.h"
#include "db/timestamp_text.h"
#include "db/value_text.h"
#include "db_test.h"
#include "support/process.h"

using namespace test;

namespace {

std::string select(const std::string& sel, const std::string& from, const std::string& where = "",
                   const std::string& group = "", const std::string& order = "")
{
    return s(db::select_statement(u(sel), u(from), u(where), u(group), u(order)));
}

TEST(QueryTexts, RowsAreCountedWithThousandsSetApart)
{
    const auto label = u("zStatement");
    EXPECT_EQ(s(db::progress_text(label, db::Phase::fetching, 120000)), "zStatement: 120,000 rows (Esc to cancel)");
    EXPECT_EQ(s(db::progress_text(label, db::Phase::fetching, 1)), "zStatement: 1 row (Esc to cancel)");
    EXPECT_EQ(s(db::progress_text(label, db::Phase::fetching, 1048575)), "zStatement: 1,048,575 rows (Esc to cancel)");
    EXPECT_EQ(s(db::progress_text(label, db::Phase::executing, 0)), "zStatement: executing (Esc to cancel)");
    EXPECT_EQ(s(db::progress_text(label, db::Phase::connecting, 0)), "Connecting to the database... (Esc to cancel)");
    EXPECT_EQ(s(db::cancelled_text(0)), "#Cancelled after 0 rows");
    EXPECT_EQ(s(db::cancelled_text(1)), "#Cancelled after 1 row");
    EXPECT_EQ(s(db::cancelled_text(12345678)), "#Cancelled after 12,345,678 rows");
    EXPECT_EQ(s(db::changes_kept_text(380223)),
              "#Cancelled after 380,223 rows: the statement's changes are kept; clear the cache to run it again");
    EXPECT_EQ(s(db::cancelled_while_connecting_text()), "#Cancelled while connecting");
    EXPECT_EQ(s(db::not_enough_memory_text(1234)), "#SQL Error: not enough memory after 1,234 rows");
}

// Every way a run fails becomes its cell's value at the edge alone, from the failure's data.
TEST(QueryTexts, EachFailureIsToldByWhatItCarries)
{
    using Cause = db::Failure::Cause;
    const db::SqlError driver(u("#SQL Error "), {{1, u("42S02"), 1, u("no such table: t")}}, db::FailureKind::statement);
    const struct {
        db::Failure failure;
        std::string shown;
    } cases[] = {
        {{Cause::error, 0, driver, {}}, "#SQL Error 42S02:1:1:no such table: t\n"},
        {{Cause::message, 0, {}, "file: oper"}, "file: oper"},
        {{Cause::stopped, 2500, {}, {}}, "#Cancelled after 2,500 rows"},
        {{Cause::stopped_connecting, 0, {}, {}}, "#Cancelled while connecting"},
        {{Cause::changes_kept, 1, {}, {}},
         "#Cancelled after 1 row: the statement's changes are kept; clear the cache to run it again"},
        {{Cause::out_of_memory, 7, {}, {}}, "#SQL Error: not enough memory after 7 rows"},
        {{Cause::unknown, 0, {}, {}}, "<err 15>"}, // #VALUE!
        {{Cause::error, 0, {}, {}}, "<err 15>"}, // an error without its records says nothing more
    };
    for (const auto& c : cases)
        EXPECT_EQ(show(db::failure_value(c.failure)), c.shown) << c.shown;
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

// The short road for plain decimals (a division by a power of ten) rounds as the full reading
// does, across the lengths where it stops and the full reading takes over.
TEST(ValueText, PlainDecimalsRoundAsTheFullReadingDoes)
{
    std::mt19937_64 random(24);
    for (int k = 0; k < 200000; ++k) {
        const int whole = 1 + static_cast<int>(random() % 12), fraction = static_cast<int>(random() % 8);
        std::string t = random() % 2 ? "-" : "";
        for (int i = 0; i < whole + fraction; ++i) {
            if (i == whole)
                t += '.';
            t += static_cast<char>('0' + (i == 0 && whole > 1 ? 1 + random() % 9 : random() % 10));
        }
        double expected = 0;
        std::from_chars(t.data(), t.data() + t.size(), expected);
        const auto got = db::decimal_number(t);
        ASSERT_TRUE(got) << t;
        ASSERT_EQ(*got, expected) << t;
        ASSERT_EQ(std::signbit(*got), std::signbit(expected)) << t;
    }
}

TEST(ValueText, ZeroPaddedNumbersAreTheirNumber)
{
    EXPECT_EQ(db::zero_padded_number("0000000005"), 5.0);
    EXPECT_EQ(db::zero_padded_number("00000003.50"), 3.5);
    EXPECT_EQ(db::zero_padded_number("0000"), 0.0);
    for (const char* t : {"", "00x", "0.", "-007", "+05"})
        EXPECT_FALSE(db::zero_padded_number(t)) << t;
}

// "YYYY-MM-DD hh:mm:ss.fff" of a moment, or "-" for none.
std::string shown(const std::optional<db::Moment>& m)
{
    if (!m)
        return "-";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%06.3f", m->year, m->month, m->day, m->hour, m->minute,
                  m->second);
    return buf;
}

// A server's text is a date only as a whole, every field in range: no fixed position is read from
// a text without its form, so month 13, day 0, hour 24 or a second 60 never reach the calendar.
TEST(DateText, ServerFormsAreReadWholeOrNotAtAll)
{
    EXPECT_EQ(shown(db::server_moment("2014-03-05 13:45:10.123456")), "2014-03-05 13:45:10.123");
    EXPECT_EQ(db::server_moment("2014-03-05T13:45:10.123456")->second, 10.123456); // microseconds stay
    EXPECT_EQ(shown(db::server_moment("2000-02-29")), "2000-02-29 00:00:00.000");
    auto time_of_day = db::server_moment("23:59:59.999999");
    ASSERT_TRUE(time_of_day);
    EXPECT_FALSE(time_of_day->has_day);
    EXPECT_EQ(time_of_day->second, 59.999999);
    EXPECT_LT(db::server_moment("23:59:59.999999999999999999")->second, 60); // rounds to the last double below
    EXPECT_EQ(shown(db::server_moment("2014-03-05 13:45:10.5+05:30:15", true)), "2014-03-05 13:45:10.500");
    for (const char* t :
         {"2020-00-00 12:00:00", "2020-02-31 23:59:59.999999", "2020-01-00", "2014-13-01 00:00:00", "1900-02-29",
          "2014-05-31 24:00:00", "2014-12-31 23:59:60", "2014-05-31 11:30:00 PM", "12:5:30", "2014-5-3",
          "2000-01-01 BC", "2000-01-01 12:00:00 BC", "10000-01-01", "infinity", "-infinity", "0000-00-00",
          "-838:59:59.000000", "12:00:00.", "2014-05-31  12:00:00", ""})
        EXPECT_EQ(shown(db::server_moment(t, true)), "-") << t;
    EXPECT_EQ(shown(db::server_moment("2014-03-05 13:45:10+01")), "-"); // an offset only where it may be
    EXPECT_FALSE(db::in_worksheet_calendar(1899));
    EXPECT_TRUE(db::in_worksheet_calendar(1900));
    EXPECT_TRUE(db::in_worksheet_calendar(9999));
    EXPECT_FALSE(db::in_worksheet_calendar(10000));
}

// Each of SQLite's forms read as SQLite's own strftime() normalises it; a day that does not exist
// is no date here, where SQLite would count on into the next month.
TEST(DateText, SqliteFormsAreReadAsSqliteReadsThem)
{
    const std::vector<std::string> forms = {
        "2014-05-31", "2014-05-31 12:00", "2014-05-31T12:00:00", "2014-05-31 12:00:00+05:00", "2014-05-31 24:00:00",
        "2014-05-31 24:30", "2014-12-31 23:59:60", "2014-05-31 11:30:00 PM", "12:5:30", "2014-13-01 00:00:00",
        "2456808.5", " 2456808.5 ", "+2.4568085e6", "2014-05-31 ", "2014-05-31TT12:00", "2014-05-31 12:00 Z",
        "2014-05-31 12:00 +05:00 ", "2014-05-31 12:00:00.0005", "2014-05-31 12:00:00.9999", "12:00", "24:00",
        " 2014-05-31", "2014-05-31 12:00+14:00", "2014-05-31 12:00+15:00", "2014-05-31 12:00+05",
        "2014-05-31 12:00:00.", "5373484.4999", "5373484.5", "now", "0.5", ".5", "5.", "1e", "2014-05-31\t12:00",
        "10:45:10." + std::string(400, '3')};
    std::string script = "import sqlite3, sys\nc = sqlite3.connect(':memory:')\nfor f in sys.argv[1:]:\n"
                         "    print(c.execute(\"select strftime('%Y-%m-%d %H:%M:%f', ?, '+0 seconds')\", (f,))"
                         ".fetchone()[0] or '-')\n";
    std::vector<std::string> argv = {"python3", "-c", script};
    argv.insert(argv.end(), forms.begin(), forms.end());
    test::Run r = run(argv);
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    for (const auto& form : forms) {
        std::string sqlite;
        std::getline(lines, sqlite);
        if (form == "now")
            sqlite = "-";
        auto v = db::sqlite_time_value(form);
        EXPECT_EQ(shown(v ? std::optional(v->moment) : std::nullopt), sqlite) << form;
    }
    EXPECT_FALSE(db::sqlite_time_value("2014-02-31"));
    EXPECT_FALSE(db::sqlite_time_value("-2014-05-31")); // a year BC: no cell shows it, its text stays
    EXPECT_TRUE(db::sqlite_time_value("24:00")->time_only);
    EXPECT_TRUE(db::sqlite_time_value("2456808.5")->number);

    // SQLite's own two forms take a short road; a blank after them sends the same text down the
    // full one, and both must read it alike, whatever fields it has.
    std::mt19937 random(21);
    auto two = [&](unsigned below) {
        const unsigned v = random() % below;
        return (v < 10 ? "0" : "") + std::to_string(v);
    };
    for (int k = 0; k < 20000; ++k) {
        std::string t = std::to_string(1890 + random() % 30) + "-" + two(14) + "-" + two(33);
        if (k % 3)
            t += std::string(1, " Tx"[random() % 3]) + two(26) + ":" + two(62) + ":" + two(62);
        auto fast = db::sqlite_time_value(t), full = db::sqlite_time_value(t + " ");
        ASSERT_EQ(shown(fast ? std::optional(fast->moment) : std::nullopt),
                  shown(full ? std::optional(full->moment) : std::nullopt)) << t;
        if (fast) {
            ASSERT_EQ(fast->moment.has_time, full->moment.has_time) << t;
        }
        // The servers' reading takes the same short road; an offset sends a time stamp down its
        // full one, which leaves the offset out.
        if (t.size() == 19)
            ASSERT_EQ(shown(db::server_moment(t)), shown(db::server_moment(t + "+00", true))) << t;
        else
            ASSERT_EQ(shown(db::server_moment(t)), shown(fast ? std::optional(fast->moment) : std::nullopt)) << t;
    }
}

// A moment's date number is DATE + TIME of its fields to the last bit, on the short road a result's
// dates take and on the checked one where fields are out of range.
TEST(DateText, MomentSerialIsDatePlusTime)
{
    std::mt19937 random(7);
    db::SerialCalendar calendar;
    for (int k = 0; k < 200000; ++k) {
        db::Moment m;
        m.year = 1890 + static_cast<int>(random() % 8120);
        m.month = static_cast<int>(random() % 14);
        m.day = static_cast<int>(random() % 33);
        m.hour = static_cast<int>(random() % 26);
        m.minute = static_cast<int>(random() % 61);
        m.second = k % 2 ? static_cast<double>(random() % 61) : static_cast<double>(random() % 61000000) / 1e6;
        m.has_time = k % 3 != 0;
        m.has_day = true;
        const bool with_day = k % 5 != 0;
        const double t = m.has_time ? db::time_serial(m.hour, m.minute, m.second) : 0;
        const double expected = with_day ? db::date_serial(m.year, m.month, m.day) + t : t;
        ASSERT_EQ(calendar.serial(m, with_day), expected) << m.year << "-" << m.month << "-" << m.day << " "
                                                          << m.hour << ":" << m.minute << ":" << m.second;
    }
}

// Every field of a moment to the last bit of its second, or "-" for none.
std::string exact(const db::Moment* m)
{
    char buf[96] = "-";
    if (m)
        std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%a %d%d", m->year, m->month, m->day, m->hour, m->minute,
                      m->second, m->has_day, m->has_time);
    return buf;
}

// The short roads a result's dates take (SQLite's two fixed forms, a driver's fields, the date
// number of fields in range) give what the general ones give, to the last bit, at and around every
// field's bounds: the full reading of the same text (a trailing blank sends it there), the fields
// checked as a whole with a leap rule of the test's own, DATE + TIME on the calendar's base road.
TEST(DateText, ShortRoadsGiveWhatTheGeneralOnesGive)
{
    const int clocks[][3] = {{0, 0, 0}, {0, 0, 59}, {0, 59, 0}, {12, 34, 56}, {23, 59, 59}, {24, 0, 0}, {23, 60, 0},
                             {23, 59, 60}, {-1, 0, 0}};
    const double seconds[] = {0, -0.0, 0.5, 59.999999, std::nextafter(60.0, 0), 60, -0.5, std::nan("")};
    db::SerialCalendar calendar;
    auto bits = [](double d) { return std::bit_cast<std::uint64_t>(d); };
    auto serials_agree = [&](const db::Moment& m) {
        return bits(calendar.serial(m, true)) == bits(calendar.Calendar::serial(m, true)) &&
               bits(calendar.serial(m, false)) == bits(calendar.Calendar::serial(m, false));
    };
    for (int y : {0, 1, 1600, 1899, 1900, 1901, 1904, 1999, 2000, 2001, 2014, 2100, 2400, 9000, 9996, 9999}) {
        const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        const int month_end[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        for (int month = 0; month <= 13; ++month)
            for (int day = 0; day <= 32; ++day) {
                const bool in_calendar =
                    y >= 1900 && y <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= month_end[month - 1];
                char date[16], t[16];
                std::snprintf(date, sizeof date, "%04d-%02d-%02d", y, month, day);
                std::vector<std::string> texts = {date};
                for (const auto& c : clocks) {
                    std::snprintf(t, sizeof t, "%02d:%02d:%02d", c[0], c[1], c[2]);
                    texts.insert(texts.end(), {std::string(date) + " " + t, std::string(date) + "T" + t});
                    for (unsigned fraction : {0u, 1u, 999'999'999u, 1'000'000'000u}) {
                        using U = SQLUSMALLINT;
                        const auto got = db::stamp_moment({static_cast<SQLSMALLINT>(y), U(month), U(day), U(c[0]),
                                                           U(c[1]), U(c[2]), fraction});
                        const double second = (c[2] * 1'000'000'000LL + fraction) / 1e9;
                        const db::Moment m{y, month, day, c[0], c[1], second, true, true};
                        const bool taken = in_calendar && c[0] >= 0 && c[0] <= 23 && c[1] >= 0 && c[1] <= 59 &&
                                           m.second < 60 && fraction < 1'000'000'000;
                        ASSERT_EQ(exact(got ? &*got : nullptr), exact(taken ? &m : nullptr)) << date << " " << t;
                    }
                    for (double second : seconds)
                        for (bool has_time : {true, false})
                            ASSERT_TRUE(serials_agree({y, month, day, c[0], c[1], second, true, has_time}))
                                << date << " " << t << " " << second;
                }
                for (const auto& text : texts) {
                    const auto fast = db::sqlite_time_value(text), full = db::sqlite_time_value(text + " ");
                    ASSERT_EQ(exact(fast ? &fast->moment : nullptr), exact(full ? &full->moment : nullptr)) << text;
                    ASSERT_TRUE(!fast || serials_agree(fast->moment)) << text;
                }
            }
    }
    for (int y = 1900; y <= 9999; ++y) // every year's first days of March, where the day count's year starts
        for (int month : {1, 2, 3, 12})
            ASSERT_TRUE(serials_agree({y, month, month == 2 ? 28 : 1, 0, 0, 0, true, false})) << y << "-" << month;
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
