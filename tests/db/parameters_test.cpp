// zQuery's prepared road against real drivers, each test written once and run per driver: every
// kind of cell value bound to a marker and read back through the strict conversions, values that
// would rewrite a statement pasted into its text, row order of a range, and the marker count.
#include <gtest/gtest.h>

#include "databases.h"
#include "db/odbc_connection.h"
#include "db/prepared_execution.h"
#include "db/statement_run.h"
#include "db/sql_error.h"
#include "db_test.h"

using namespace test;
using xll::OPER12;

namespace {

// An omitted Parameters argument: no values at all.
OPER12 none()
{
    OPER12 omitted;
    omitted.release();
    return omitted;
}

using Kind = db::QueryParameter::Kind;

std::string refusal(const XLOPER12& value)
{
    try {
        db::read_parameters(value);
    }
    catch (const db::SqlError& e) {
        return s(e.text());
    }
    return "(accepted)";
}

TEST(QueryParameters, CellsReadRowByRowAsTheKindTheyBindAs)
{
    OPER12 range(2, 4);
    const OPER12 cells[] = {OPER12(), OPER12(true), OPER12(-0.0), OPER12(2.5),
                            OPER12(u("x")), OPER12(1e20), OPER12(-9223372036854775808.0), OPER12(u(""))};
    for (size_t i = 0; i < 8; ++i)
        range[i] = cells[i];
    const db::QueryParameters p = db::read_parameters(range);
    ASSERT_EQ(p.size(), 8u);
    const Kind kinds[] = {Kind::null, Kind::boolean, Kind::integer, Kind::number,
                          Kind::text, Kind::number, Kind::integer, Kind::text};
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(p[i].kind, kinds[i]) << i;
    EXPECT_EQ(p[6].integer, INT64_MIN); // -2^63 fits; 1e20 does not
    EXPECT_EQ(db::parameters_shown(p),
              u(" -- parameters: NULL, TRUE, 0, 2.5, \"x\", 1e+20, -9223372036854775808, \"\""));

    EXPECT_TRUE(db::read_parameters(none()).empty());
    ASSERT_EQ(db::read_parameters(OPER12()).size(), 1u); // one empty cell: one NULL
    EXPECT_EQ(db::parameters_shown(db::read_parameters(OPER12(u("say \"hi\"")))),
              u(" -- parameters: \"say \"\"hi\"\"\""));
}

TEST(QueryParameters, ErrorValuesAndOverlongTextsAreRefusedByPosition)
{
    OPER12 range(1, 3);
    range[0] = 1.0;
    range[1] = xll::xlerr::Div0;
    range[2] = xll::xlerr::NA;
    EXPECT_EQ(refusal(range), "#SQL Parameter 2 is the error value #DIV/0!");
    EXPECT_EQ(refusal(OPER12(xll::xlerr::GettingData)), "#SQL Parameter 1 is the error value #GETTING_DATA");

    // Longer than a cell holds: only a host that breaks the worksheet's limit could hand it over.
    std::vector<XCHAR> units(40001, 'x');
    units[0] = 40000;
    XLOPER12 overlong{};
    overlong.xltype = xltypeStr;
    overlong.val.str = units.data();
    EXPECT_EQ(refusal(overlong), "#SQL Parameter 1 is too long: 40000 characters, at most 32767");
    units[0] = 32767;
    EXPECT_EQ(refusal(overlong), "(accepted)");
}

template <class Db> class Parameters : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZORVANE_REQUIRE_DATABASE(Db);
        cs = u(Db::fresh_connection_string());
        ASSERT_TRUE(executed(cs, "CREATE TABLE t (k INTEGER, i " + std::string(Db::big_integer_type) + ", d " +
                                     Db::double_type + ", b BOOLEAN, s " + Db::long_text_type + ")"));
    }

    // The statement prepared with the cells of `values` bound, on a connection of its own.
    OPER12 query(const std::string& sql, const OPER12& values, bool headers = false)
    {
        db::OdbcConnection connection;
        db::OdbcStatement statement;
        connection.set_connection_string(cs);
        return shown(db::run_statement(connection, statement,
                                       db::prepared_execution(u(sql), db::read_parameters(values)), headers, calendar))
            .value;
    }

    ::testing::AssertionResult inserted(const OPER12& row)
    {
        OPER12 v = query("INSERT INTO t (k, i, d, b, s) VALUES (?, ?, ?, ?, ?)", row);
        if (v.is(xltypeMissing))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << show(v);
    }

    static OPER12 row(std::initializer_list<OPER12> cells)
    {
        OPER12 r(1, static_cast<int>(cells.size()));
        size_t j = 0;
        for (const auto& c : cells)
            r[j++] = c;
        return r;
    }

    xll::xstring cs;
    StubCalendar calendar;
};

using Drivers = ::testing::Types<SqliteDb, PostgresDb, MariaDb>;
TYPED_TEST_SUITE(Parameters, Drivers, DatabaseNames);

TYPED_TEST(Parameters, EachKindOfCellBindsAsItsOwnType)
{
    // Whole numbers as 64-bit integers (2^53 + 2 and -2^62 exactly), fractions as doubles,
    // booleans as bits, empty cells as NULL.
    ASSERT_TRUE(this->inserted(this->row({1, 9007199254740994.0, 0.1, true, OPER12(u("Müller"))})));
    ASSERT_TRUE(this->inserted(this->row({2, -4611686018427387904.0, -2.5e-300, false, OPER12()})));
    ASSERT_TRUE(this->inserted(this->row({3, OPER12(), OPER12(), OPER12(), OPER12(u(""))})));
    // A whole number kept in a text column reads as the integer it was bound as, not as 42.0.
    ASSERT_TRUE(this->inserted(this->row({4, OPER12(), OPER12(), OPER12(), 42})));
    OPER12 v = this->query("SELECT i, d, s FROM t WHERE k >= ? ORDER BY k", OPER12(1));
    EXPECT_EQ(v(0, 0), 9007199254740994.0);
    EXPECT_EQ(v(0, 1), 0.1);
    EXPECT_EQ(show(v(0, 2)), "Müller");
    EXPECT_EQ(v(1, 0), -4611686018427387904.0);
    EXPECT_EQ(v(1, 1), -2.5e-300);
    EXPECT_EQ(show(v(1, 2)), ""); // NULL text
    EXPECT_TRUE(is_na(v(2, 0))) << show(v(2, 0));
    EXPECT_TRUE(is_na(v(2, 1))) << show(v(2, 1));
    EXPECT_TRUE(v(2, 2).is(xltypeStr));
    EXPECT_EQ(show(this->query("SELECT s FROM t WHERE k = ?", OPER12(4))(0, 0)), "42");

    // The kinds as the database sees them: the integer matches an integer exactly, the boolean
    // finds its row, NULL is NULL and the empty text is not.
    EXPECT_EQ(this->query("SELECT k FROM t WHERE i = ?", OPER12(9007199254740994.0))(0, 0), 1.0);
    EXPECT_EQ(this->query("SELECT k FROM t WHERE b = ?", OPER12(false))(0, 0), 2.0);
    EXPECT_EQ(this->query("SELECT COUNT(*) FROM t WHERE b IS NULL AND d IS NULL AND s = ?", OPER12(u("")))(0, 0), 1.0);
    EXPECT_EQ(this->query("SELECT k FROM t WHERE s IS NULL", none())(0, 0), 2.0);
}

TYPED_TEST(Parameters, TextsThatWouldRewriteAStatementStayTexts)
{
    std::string long_text;
    while (long_text.size() < 32767)
        long_text += "x'; --";
    long_text.resize(32767);
    const std::vector<std::string> texts = {"'; DROP TABLE t; --", "O'Brien", "日本", long_text,
                                            "\xF0\x9F\x98\x80 a surrogate pair", "?", "\\'\""};
    for (size_t n = 0; n < texts.size(); ++n)
        ASSERT_TRUE(this->inserted(this->row({static_cast<int>(n + 1), OPER12(), OPER12(), OPER12(), OPER12(u(texts[n]))})))
            << n;
    ASSERT_TRUE(this->inserted(this->row({0, OPER12(), OPER12(), OPER12(), OPER12()})));

    OPER12 v = this->query("SELECT s FROM t WHERE k > ? ORDER BY k", OPER12(0));
    ASSERT_EQ(v.rows(), texts.size());
    for (size_t n = 0; n < texts.size(); ++n)
        EXPECT_EQ(s(v(n, 0).text()), texts[n]) << n;
    // Each finds itself as a value, and the table they name is still there.
    for (size_t n = 0; n < texts.size(); ++n)
        EXPECT_EQ(this->query("SELECT k FROM t WHERE s = ?", OPER12(u(texts[n])))(0, 0), static_cast<double>(n + 1)) << n;
    EXPECT_EQ(this->query("SELECT COUNT(*) FROM t WHERE s IS NULL", none())(0, 0), 1.0);
}

// A text ending in a high surrogate, put into a statement as zS writes it or bound to a marker,
// reaches the driver as U+FFFD: joined with the next unit (as psqlODBC joins it), it would swallow
// the closing quote and the next literal would become SQL. A surrogate pair stays a pair.
TYPED_TEST(Parameters, UnpairedSurrogatesReachTheDriverAsReplacementCharacters)
{
    ASSERT_TRUE(executed(this->cs, "INSERT INTO t (k, s) VALUES (1, 'x\uFFFD'), (2, 'y'), (3, '\xF0\x9F\x98\x80')"));
    xll::xstring lone = u("x");
    lone += static_cast<XCHAR>(0xD83D);
    const std::string injected = "' OR 1=1 -- ";
    const xll::xstring built = u("SELECT k, s FROM t WHERE s = '") + lone + u("' AND s <> ''' OR 1=1 -- ' ORDER BY k");
    OPER12 direct = test::run_query(this->cs, built, false, this->calendar).value;
    OPER12 bound = this->query("SELECT k, s FROM t WHERE s = ? AND s <> ? ORDER BY k",
                               this->row({OPER12(lone), OPER12(u(injected))}));
    for (const OPER12* v : {&direct, &bound}) {
        EXPECT_EQ((*v)(0, 0), 1.0) << show((*v)(0, 0));
        EXPECT_EQ(show((*v)(0, 1)), "x\uFFFD");
        EXPECT_TRUE(is_na((*v)(1, 0))) << "the rest of the statement became SQL: " << show((*v)(1, 0));
    }
    const std::string pair = "\xF0\x9F\x98\x80";
    const xll::xstring literal = u("SELECT s FROM t WHERE s = '" + pair + "'");
    EXPECT_EQ(show(test::run_query(this->cs, literal, false, this->calendar).value(0, 0)), pair);
    EXPECT_EQ(show(this->query("SELECT s FROM t WHERE s = ?", OPER12(u(pair)))(0, 0)), pair);
}

TYPED_TEST(Parameters, ARangeBindsRowByRow)
{
    OPER12 range(2, 3);
    const char* cells[] = {"a1", "b1", "c1", "a2", "b2", "c2"};
    for (size_t i = 0; i < 6; ++i)
        range[i] = OPER12(u(cells[i]));
    OPER12 v = this->query("SELECT ?, ?, ?, ?, ?, ?", range);
    for (size_t j = 0; j < 6; ++j)
        EXPECT_EQ(show(v(0, j)), cells[j]) << j;
}

TYPED_TEST(Parameters, AMarkerCountMismatchRunsNothing)
{
    const std::string insert = "INSERT INTO t (k, s) VALUES (?, ?)";
    OPER12 three = this->row({1, OPER12(u("a")), OPER12(u("b"))});
    EXPECT_EQ(show(this->query(insert, three)), "#SQL Parameters: the statement has 2 ? markers, 3 values were given");
    EXPECT_EQ(show(this->query(insert, OPER12(1))), "#SQL Parameters: the statement has 2 ? markers, 1 value was given");
    EXPECT_EQ(show(this->query(insert, none())), "#SQL Parameters: the statement has 2 ? markers, 0 values were given");
    EXPECT_EQ(show(this->query("SELECT COUNT(*) FROM t", OPER12(1))),
              "#SQL Parameters: the statement has 0 ? markers, 1 value was given");
    EXPECT_EQ(this->query("SELECT COUNT(*) FROM t", none())(0, 0), 0.0);
}

} // namespace
