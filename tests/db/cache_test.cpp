// The result cache: exact keys, admission, and what the inspection functions make of it.
#include <gtest/gtest.h>

#include <optional>

#include "databases.h"
#include "db/cache_listing.h"
#include "db/statement_run.h"
#include "db/query_parameters.h"
#include "db/result_cache.h"
#include "db/statement_call.h"
#include "db_test.h"

using namespace test;
using xll::OPER12;

namespace {

// A run that ended ok, or failed with a failure of the kind given whose text is the value.
db::QueryResult ran(const OPER12& value, std::optional<db::FailureKind> failed = std::nullopt, int last_row = 0,
                   int last_column = 0)
{
    db::QueryResult run;
    run.value = value;
    // A failure says its text as the driver's would.
    if (failed)
        run.fail(*failed, {db::Failure::Cause::error, 0, db::SqlError(xll::xstring(value.is(xltypeStr) ? value.text() : xll::xstring_view()), *failed), {}});
    run.elapsed_ms = 1.5;
    run.last_row = last_row;
    run.last_column = last_column;
    return run;
}

void store(db::ResultCache& cache, const OPER12& result, const std::string& cs, const std::string& sql, int headers,
           int last_row = 0, int last_column = 0)
{
    cache.store(ran(result, std::nullopt, last_row, last_column), u(cs), u(sql), headers, 41000.25);
}

TEST(ResultCache, KeysMatchExactlyInEveryCodeUnit)
{
    db::ResultCache cache;
    store(cache, OPER12(1.0), "DSN=a", "SELECT 1", 0);
    store(cache, OPER12(2.0), "DSN=a", "SELECT 1", 1);
    store(cache, OPER12(3.0), "DSN=a", "select 1", 0);
    store(cache, OPER12(4.0), "DSN=a", "SELECT  1", 0);
    store(cache, OPER12(5.0), "DSN=A", "SELECT 1", 0);
    EXPECT_EQ(cache.entries().size(), 5u);
    EXPECT_EQ(*cache.find(u("DSN=a"), u("SELECT 1"), 0), 1.0);
    EXPECT_EQ(*cache.find(u("DSN=a"), u("SELECT 1"), 1), 2.0);
    EXPECT_EQ(*cache.find(u("DSN=a"), u("select 1"), 0), 3.0);
    EXPECT_EQ(*cache.find(u("DSN=a"), u("SELECT  1"), 0), 4.0);
    EXPECT_EQ(*cache.find(u("DSN=A"), u("SELECT 1"), 0), 5.0);
    EXPECT_EQ(cache.find(u("DSN=a"), u("SELECT 1 "), 0), nullptr);
    EXPECT_EQ(cache.find(u("DSN=a"), u("SELECT 1"), 2), nullptr);
}

TEST(ResultCache, KeysLongerThanAnyFixedFieldStayDistinct)
{
    db::ResultCache cache;
    std::string base(5000, 'k');
    store(cache, OPER12(1.0), "DSN=x", base + "1", 0);
    store(cache, OPER12(2.0), "DSN=x", base + "2", 0);
    store(cache, OPER12(3.0), base + "cs", "SELECT 1", 0);
    EXPECT_EQ(*cache.find(u("DSN=x"), u(base + "2"), 0), 2.0);
    EXPECT_EQ(*cache.find(u("DSN=x"), u(base + "1"), 0), 1.0);
    EXPECT_EQ(cache.find(u("DSN=x"), u(base), 0), nullptr);
    EXPECT_EQ(*cache.find(u(base + "cs"), u("SELECT 1"), 0), 3.0);
}

// What is kept is decided by how the run ended, never by its text: a failure of the statement, or
// of a limit, is kept like a result; a transient one (the connection's, or the bare "#SQL Error" of
// a value the driver would not read) and a cancelled run are not.
TEST(ResultCache, AdmissionAsksHowTheRunEnded)
{
    using db::FailureKind;
    db::ResultCache cache;
    OPER12 empty;
    empty.release();
    cache.store(ran(OPER12(u("#SQL Error"))), u("c"), u("ok"), 0, 41000.25);
    cache.store(ran(empty), u("c"), u("UPDATE t SET a = 1"), 0, 41000.25);
    cache.store(ran(OPER12(u("#SQL Error 42S02:1:0:no such table\n")), FailureKind::statement), u("c"), u("failed"), 0,
                41000.25);
    cache.store(ran(OPER12(u("file: oper")), FailureKind::limit), u("c"), u("limit"), 0, 41000.25);
    cache.store(ran(OPER12(u("#SQL Error")), FailureKind::transient), u("c"), u("transient"), 0, 41000.25);
    cache.store(ran(OPER12(u("#SQL Error 08S01:1:0:lost\n")), FailureKind::transient), u("c"), u("lost"), 0, 41000.25);
    cache.store(ran(OPER12(2.0), FailureKind::cancelled), u("c"), u("cancelled"), 0, 41000.25);
    EXPECT_EQ(cache.entries().size(), 4u);
    EXPECT_EQ(show(*cache.find(u("c"), u("ok"), 0)), "#SQL Error");
    EXPECT_TRUE(cache.find(u("c"), u("UPDATE t SET a = 1"), 0)->is(xltypeMissing));
    EXPECT_NE(cache.find(u("c"), u("failed"), 0), nullptr);
    EXPECT_NE(cache.find(u("c"), u("limit"), 0), nullptr);
    EXPECT_EQ(cache.find(u("c"), u("transient"), 0), nullptr);
    EXPECT_EQ(cache.find(u("c"), u("lost"), 0), nullptr);
    EXPECT_EQ(cache.find(u("c"), u("cancelled"), 0), nullptr);
}

// The newest entry's result is lent to the answer, not copied; any later answer takes it back
// first, so writing the answer never loses what the entry keeps.
TEST(ResultCache, AnswersNeverWriteOverALentResult)
{
    db::ResultCache cache;
    OPER12 rows(6, 2);
    rows(1, 1) = 7.0;
    LPXLOPER12 answered = cache.answer_and_store(ran(rows), u("c"), u("SELECT a, b FROM t"), 0, 41000.25);
    EXPECT_TRUE(OPER12(*answered) == rows);
    EXPECT_EQ(cache.answer(OPER12(xll::xlerr::Value)), answered); // one holder for every answer
    EXPECT_TRUE(answered->xltype == xltypeErr);
    const OPER12* kept = cache.find(u("c"), u("SELECT a, b FROM t"), 0);
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(*kept == rows);
    // A transient failure is answered but not kept, and takes nothing from the entry before it.
    cache.answer_and_store(ran(OPER12(u("#SQL Error")), db::FailureKind::transient), u("c"), u("SELECT x"), 0, 0);
    EXPECT_EQ(show(*answered), "#SQL Error");
    ASSERT_EQ(cache.entries().size(), 1u);
    EXPECT_TRUE(cache.entries().front().result == rows);
}

OPER12 result_with_header(int rows, int cols)
{
    OPER12 r(rows, cols);
    r(0, 0) = u("first");
    return r;
}

TEST(CacheListing, EmptyCacheIsAThousandRowsOfNA)
{
    db::ResultCache cache;
    OPER12 plain = db::cache_listing(cache, false);
    ASSERT_EQ(plain.rows(), 1000u);
    ASSERT_EQ(plain.columns(), 7u);
    for (size_t i = 0; i < plain.size(); ++i)
        ASSERT_TRUE(is_na(plain[i])) << i;
    OPER12 labelled = db::cache_listing(cache, true);
    ASSERT_EQ(labelled.rows(), 1000u);
    const char* labels[] = {"Time stamp", "ms", "Rows", "Cols", "Connection string", "Statement", "Results"};
    for (size_t j = 0; j < 7; ++j)
        EXPECT_EQ(show(labelled(0, j)), labels[j]);
    EXPECT_TRUE(is_na(labelled(1, 0)));
}

TEST(CacheListing, OneRowPerEntryOldestFirst)
{
    db::ResultCache cache;
    store(cache, result_with_header(5, 2), "Driver=SQLite3;Database=a", "SELECT a, b FROM t", 1, 3, 1);
    store(cache, OPER12(u("#SQL Error 42S02:1:0:gone\n")), "Driver=SQLite3;Database=a", "SELECT x", 0, 0, -1);
    OPER12 empty;
    empty.release();
    store(cache, empty, "c", "UPDATE t SET a = 1", 0, -1, -1);
    OPER12 list = db::cache_listing(cache, true);
    EXPECT_EQ(list(1, 0), 41000.25);
    EXPECT_EQ(list(1, 1), 1.5);
    EXPECT_EQ(list(1, 2), 4.0);
    EXPECT_EQ(list(1, 3), 2.0);
    EXPECT_EQ(show(list(1, 4)), "Driver=SQLite3;Database=a");
    EXPECT_EQ(show(list(1, 5)), "SELECT a, b FROM t");
    EXPECT_EQ(show(list(1, 6)), "first");
    EXPECT_EQ(show(list(2, 6)), "#SQL Error 42S02:1:0:gone\n");
    EXPECT_EQ(show(list(3, 6)), ""); // a result without cells has no first cell to show
    EXPECT_TRUE(is_na(list(4, 0)));
}

TEST(CacheListing, PasswordsAreShownAsStars)
{
    struct Case {
        const char* given;
        const char* shown;
    } cases[] = {
        {"Driver={PostgreSQL Unicode};Server=h;Uid=me;Pwd=s3cret", "Driver={PostgreSQL Unicode};Server=h;Uid=me;Pwd=***"},
        {"PWD=a;password=b;PassWord = c ;Database=x;", "PWD=***;password=***;PassWord =***;Database=x;"},
        {"Server=h;PASSWD=s3cret;passwd={a;b}", "Server=h;PASSWD=***;passwd=***"},
        {"Uid=me;Pwd={se;cr}}et};Port=5432", "Uid=me;Pwd=***;Port=5432"}, // braces may hold ; and }}
        {"DSN=shop;Pwd=", "DSN=shop;Pwd=***"},
        {"Driver=SQLite3;Database=/data/pwd=1.sqlite;NoCreat=1", "Driver=SQLite3;Database=/data/pwd=1.sqlite;NoCreat=1"},
        {"Pwdx=1;xPwd=2;Passwords=3;Passwdx=4;odd;;Pwd", "Pwdx=1;xPwd=2;Passwords=3;Passwdx=4;odd;;Pwd"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(db::connection_string_shown(u(c.given)), u(c.shown)) << c.given;

    // The cache still tells the two strings apart by their whole text.
    db::ResultCache cache;
    store(cache, OPER12(1.0), "DSN=a;Pwd=one", "SELECT 1", 0);
    store(cache, OPER12(2.0), "DSN=a;Pwd=two", "SELECT 1", 0);
    EXPECT_EQ(*cache.find(u("DSN=a;Pwd=two"), u("SELECT 1"), 0), 2.0);
    OPER12 list = db::cache_listing(cache, false);
    EXPECT_EQ(show(list(0, 4)), "DSN=a;Pwd=***");
    EXPECT_EQ(show(list(1, 4)), "DSN=a;Pwd=***");
}

TEST(CacheListing, GrowsPastAThousandAndPast32767Entries)
{
    db::ResultCache cache;
    for (int i = 0; i < 1000; ++i)
        store(cache, OPER12(1.0), "c", "SELECT " + std::to_string(i), 0);
    EXPECT_EQ(db::cache_listing(cache, true).rows(), 1001u);
    OPER12 full = db::cache_listing(cache, false);
    ASSERT_EQ(full.rows(), 1000u);
    EXPECT_EQ(show(full(999, 5)), "SELECT 999");
    for (int i = 1000; i < 40000; ++i)
        store(cache, OPER12(1.0), "c", "SELECT " + std::to_string(i), 0);
    OPER12 big = db::cache_listing(cache, true);
    ASSERT_EQ(big.rows(), 40001u);
    EXPECT_EQ(show(big(40000, 5)), "SELECT 39999");
}

TEST(CacheMemory, EntryCostsTwentyFourPlusItsTextsPlusEachCellsLength)
{
    db::ResultCache cache;
    OPER12 result(5, 2);
    for (size_t i = 0; i < 10; ++i)
        result[i] = i < 6 ? OPER12(static_cast<double>(i + 1)) : OPER12(xll::xlerr::NA);
    store(cache, result, std::string(20, 'c'), std::string(30, 's'), 0);
    // LEN of a one-digit number is 1; of an error, an error, which counts 0.
    auto len = [](const XLOPER12& cell) { return xll::base_type(cell.xltype) == xltypeNum ? 1.0 : 0.0; };
    EXPECT_EQ(db::cache_memory_used(cache, len), 24 + 20 + 30 + 6);
    EXPECT_EQ(db::cache_memory_used(db::ResultCache(), len), 0);
}

// The worksheet road: a second identical call never reaches the database.
class CachedStatement : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::ResultCache::instance().clear();
        cs = SqliteDb::fresh_connection_string();
        ASSERT_TRUE(executed(cs, "CREATE TABLE t (a INTEGER)"));
        ASSERT_TRUE(executed(cs, "INSERT INTO t VALUES (1)"));
    }
    void TearDown() override { db::ResultCache::instance().clear(); }
    OPER12 call(const std::string& sql, int headers = 0)
    {
        return OPER12(*db::statement_call(u(cs), u(sql), headers));
    }
    std::string cs;
};

TEST_F(CachedStatement, HitIsServedEvenAfterTheTableChanged)
{
    EXPECT_EQ(call("SELECT a FROM t")(0, 0), 1.0);
    ASSERT_TRUE(executed(cs, "UPDATE t SET a = 2"));
    EXPECT_EQ(call("SELECT a FROM t")(0, 0), 1.0);
    EXPECT_EQ(call("SELECT a FROM t", 1)(1, 0), 2.0); // headers make another key
    EXPECT_EQ(call("select a FROM t")(0, 0), 2.0);   // and so does letter case
    EXPECT_EQ(db::ResultCache::instance().entries().size(), 3u);
    db::ResultCache::instance().clear();
    EXPECT_EQ(call("SELECT a FROM t")(0, 0), 2.0);
}

TEST_F(CachedStatement, EachEntryKeepsTheResultItsCallReturned)
{
    ASSERT_TRUE(executed(cs, "INSERT INTO t VALUES (2)"));
    OPER12 first = call("SELECT a FROM t ORDER BY a", 1);
    OPER12 second = call("SELECT a * 10 FROM t ORDER BY a");
    OPER12 failed = call("SELECT nothing FROM nowhere");
    const auto& entries = db::ResultCache::instance().entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(entries[0].result == first);
    EXPECT_TRUE(entries[1].result == second);
    EXPECT_TRUE(entries[2].result == failed);
    EXPECT_EQ(entries[0].last_row, 2);
    EXPECT_EQ(entries[0].last_column, 0);
    EXPECT_EQ(second(1, 0), 20.0);
    EXPECT_TRUE(call("SELECT a FROM t ORDER BY a", 1) == first);
}

TEST_F(CachedStatement, FailureWithDiagnosticsIsKeptUntilCleared)
{
    std::string failed = show(call("SELECT b FROM u"));
    ASSERT_EQ(failed.rfind("#SQL Error ", 0), 0u) << failed;
    ASSERT_TRUE(executed(cs, "CREATE TABLE u (b INTEGER)"));
    EXPECT_EQ(show(call("SELECT b FROM u")), failed);
    db::ResultCache::instance().clear();
    EXPECT_TRUE(call("SELECT b FROM u").is(xltypeMulti));
}

TEST(ResultCache, ParametersAreKeysByKindAndValue)
{
    db::ResultCache cache;
    auto one = [](const XLOPER12& cell) { return db::read_parameters(cell); };
    const db::QueryParameters number = one(OPER12(1.0)), text = one(OPER12(u("1"))), upper = one(OPER12(u("A"))),
                              lower = one(OPER12(u("a"))), none;
    cache.store(ran(OPER12(1.0)), u("c"), u("SELECT ?"), 0, 41000.25, &number);
    cache.store(ran(OPER12(2.0)), u("c"), u("SELECT ?"), 0, 41000.25, &text);
    cache.store(ran(OPER12(3.0)), u("c"), u("SELECT ?"), 0, 41000.25, &upper);
    cache.store(ran(OPER12(4.0)), u("c"), u("SELECT ?"), 0, 41000.25, &none);
    cache.store(ran(OPER12(5.0)), u("c"), u("SELECT ?"), 0, 41000.25);
    EXPECT_EQ(*cache.find(u("c"), u("SELECT ?"), 0, &number), 1.0);
    EXPECT_EQ(*cache.find(u("c"), u("SELECT ?"), 0, &text), 2.0);
    EXPECT_EQ(*cache.find(u("c"), u("SELECT ?"), 0, &upper), 3.0);
    EXPECT_EQ(cache.find(u("c"), u("SELECT ?"), 0, &lower), nullptr);
    EXPECT_EQ(*cache.find(u("c"), u("SELECT ?"), 0, &none), 4.0); // zQuery without values
    EXPECT_EQ(*cache.find(u("c"), u("SELECT ?"), 0), 5.0);         // the statement given whole
    EXPECT_EQ(cache.find(u("c"), u("SELECT ?"), 1, &number), nullptr);

    // The listing shows each entry's values after its statement; the estimate counts them.
    OPER12 list = db::cache_listing(cache, false);
    EXPECT_EQ(show(list(0, 5)), "SELECT ? -- parameters: 1");
    EXPECT_EQ(show(list(1, 5)), "SELECT ? -- parameters: \"1\"");
    EXPECT_EQ(show(list(3, 5)), "SELECT ? -- parameters: (none)");
    EXPECT_EQ(show(list(4, 5)), "SELECT ?");
    auto len = [](const XLOPER12&) { return 0.0; };
    EXPECT_EQ(db::cache_memory_used(cache, len), 5 * (24 + 1 + 8) + 8 + 1 + 1);
}

} // namespace
