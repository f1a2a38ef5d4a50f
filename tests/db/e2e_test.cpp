// The database functions through the real host, as a user types them: the host's DATE and TIME,
// its LEN, status bar and clock, and zS / zSQLDate building a WHERE clause.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "databases.h"
#include "db/statement_run.h"
#include "db_test.h"
#include "support/host_eval.h"
#include "support/process.h"

using namespace test;

namespace {

class ThroughHost : public ::testing::Test {
protected:
    void SetUp() override { cs = SqliteDb::fresh_connection_string(); }

    std::string statement(const std::string& sql, const std::string& headers = "")
    {
        return "zStatement(" + formula_string(cs) + "," + formula_string(sql) + (headers.empty() ? "" : "," + headers) + ")";
    }

    // Evaluates formulas with single-value results in one session; their values, in order.
    std::vector<std::string> values(const std::vector<std::string>& formulas)
    {
        auto r = eval_csv(formulas);
        EXPECT_TRUE(ran(r)) << r.status << r.err;
        std::vector<std::string> lines, out;
        size_t start = 0;
        for (size_t i = 0; i < r.out.size(); ++i)
            if (r.out[i] == '\n') {
                lines.push_back(r.out.substr(start, i - start));
                start = i + 1;
            }
        if (formulas.size() == 1)
            return lines;
        for (size_t i = 1; i < lines.size(); i += 2)
            out.push_back(lines[i]);
        return out;
    }

    std::string cs;
};

TEST_F(ThroughHost, DateNumbersEqualTheHostsDateAndTime)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE x (k INTEGER, d DATE, t TIME, ts TIMESTAMP)"));
    struct Row {
        const char *d, *t, *ts, *date, *time, *stamp;
    } rows[] = {
        {"1900-01-01", "00:00:00", "1900-01-01 00:00:00", "1900,1,1", "0,0,0", "DATE(1900,1,1)+TIME(0,0,0)"},
        {"1900-02-28", "12:00:00", "1900-02-28 23:59:59", "1900,2,28", "12,0,0", "DATE(1900,2,28)+TIME(23,59,59)"},
        {"1900-03-01", "23:59:59", "1900-03-01 00:00:01", "1900,3,1", "23,59,59", "DATE(1900,3,1)+TIME(0,0,1)"},
        {"2000-02-29", "13:45:10", "2014-03-05 13:45:10.5", "2000,2,29", "13,45,10",
         "DATE(2014,3,5)+TIME(13,45,10.5)"},
        {"9999-12-31", "00:00:01", "9999-12-31 23:59:59", "9999,12,31", "0,0,1", "DATE(9999,12,31)+TIME(23,59,59)"},
    };
    int k = 0;
    for (const auto& r : rows)
        ASSERT_TRUE(executed(cs, "INSERT INTO x VALUES (" + std::to_string(++k) + ", '" + r.d + "', '" + r.t + "', '" +
                                     r.ts + "')"));
    std::string query = statement("SELECT d, t, ts FROM x ORDER BY k");
    std::vector<std::string> formulas;
    for (size_t i = 0; i < std::size(rows); ++i) {
        std::string at = "INDEX(" + query + "," + std::to_string(i + 1) + ",";
        formulas.push_back("=" + at + "1)=DATE(" + rows[i].date + ")");
        formulas.push_back("=" + at + "2)=TIME(" + rows[i].time + ")");
        formulas.push_back("=" + at + "3)=" + rows[i].stamp);
    }
    auto v = values(formulas);
    ASSERT_EQ(v.size(), formulas.size());
    for (size_t i = 0; i < v.size(); ++i)
        EXPECT_EQ(v[i], "TRUE") << formulas[i];

    // Days before 1900 have no date number: DATE(1899,12,31) is a day of 3799. They keep their text.
    ASSERT_TRUE(executed(cs, "INSERT INTO x VALUES (99, '1899-12-31', '06:30:00', '1000-06-15 08:00:00')"));
    v = values({"=" + statement("SELECT d, t, ts FROM x WHERE k = 99")});
    ASSERT_GE(v.size(), 1u);
    EXPECT_EQ(v[0], "1899-12-31,0.270833333333333,1000-06-15 08:00:00");
}
// SQLite's INTEGER holds 64 bits, and a computed column's type is the driver's guess from its
// first row: every value, sum and product is still the database's own number.
TEST_F(ThroughHost, SixtyFourBitIntegersSumsAndProductsShowTheDatabasesValues)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE orders (id INTEGER, qty INTEGER, price REAL, amount INTEGER)"));
    ASSERT_TRUE(executed(cs, "INSERT INTO orders VALUES (1, 2, 3, 150000000000)"));
    ASSERT_TRUE(executed(cs, "INSERT INTO orders VALUES (2, 3, 46.62, 9000000000)"));
    ASSERT_TRUE(executed(cs, "INSERT INTO orders VALUES (3, 1, 0.5, -9000000000000)"));
    auto r = eval_csv({"=" + statement("SELECT id, amount, qty * price FROM orders ORDER BY id", "TRUE"),
                       "=" + statement("SELECT SUM(amount), COUNT(*), AVG(amount) FROM orders")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "=" + statement("SELECT id, amount, qty * price FROM orders ORDER BY id", "TRUE") + "\n"
                     "id,amount,qty * price\n"
                     "1,150000000000,6\n"
                     "2,9000000000,139.86\n"
                     "3,-9000000000000,0.5\n"
                     "#N/A,#N/A,#N/A\n"
                     "=" + statement("SELECT SUM(amount), COUNT(*), AVG(amount) FROM orders") + "\n"
                     "-8841000000000,3,-2947000000000\n"
                     "#N/A,#N/A,#N/A\n#N/A,#N/A,#N/A\n#N/A,#N/A,#N/A\n#N/A,#N/A,#N/A\n");
}

// Connecting opens the file the user named and no other: no Latin-1 twin of a non-ASCII name.
TEST_F(ThroughHost, NonAsciiDatabaseNameTouchesThatFileAlone)
{
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zorvane-e2e-names-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "tÿpes-ü.db").string();
    ASSERT_TRUE(executed("Driver=SQLite3;Database=" + file, "CREATE TABLE t (a INTEGER)"));
    ASSERT_TRUE(executed("Driver=SQLite3;Database=" + file, "INSERT INTO t VALUES (42)"));
    auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    };
    ASSERT_EQ(listing(), std::vector<std::string>{"tÿpes-ü.db"});
    cs = "Driver=SQLite3;Database=" + file;
    auto v = values({"=INDEX(" + statement("SELECT a FROM t") + ",1,1)"});
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0], "42");
    EXPECT_EQ(listing(), std::vector<std::string>{"tÿpes-ü.db"});
    std::filesystem::remove_all(folder);
}

TEST_F(ThroughHost, WhereClauseBuiltInCellsFindsNonAsciiNames)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE customers (id INTEGER, name VARCHAR(40), since DATE)"));
    ASSERT_TRUE(executed(cs, "INSERT INTO customers VALUES (1, 'Müller', '2013-06-01')"));
    ASSERT_TRUE(executed(cs, "INSERT INTO customers VALUES (2, '日本商事', '2014-02-01')"));
    ASSERT_TRUE(executed(cs, "INSERT INTO customers VALUES (3, 'Müller', '2014-03-01')"));
    std::string where = "CONCATENATE(\"name = \",zS(\"Müller\"),\" AND since >= \",zSQLDate(DATE(2014,1,1)))";
    auto v = values({"=INDEX(zSELECT(" + formula_string(cs) + ",\"id, name\",\"customers\"," + where + ",\"\",\"\",TRUE),2,1)",
                     "=INDEX(zCache_List(FALSE),1,6)",
                     "=INDEX(zSELECT(" + formula_string(cs) + ",\"name\",\"customers\",\"id = 2\"),1,1)"});
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0], "3");
    EXPECT_EQ(v[1], "\"SELECT id, name FROM customers WHERE name = 'Müller' AND since >= '2014-01-01'\""); // CSV-quoted
    EXPECT_EQ(v[2], "日本商事");
}

TEST_F(ThroughHost, ListingsSendTheirTextsVerbatim)
{
    std::string c = formula_string(cs);
    auto listed = [](int row) { return "INDEX(zCache_List(FALSE)," + std::to_string(row) + ",6)"; };
    auto v = values({
        "=ISTEXT(zListTables(" + c + ",TRUE))",
        "=ISTEXT(zListProcedures(" + c + "))",
        "=ISTEXT(zListViews(" + c + ",FALSE))",
        "=ISTEXT(zListColumns(" + c + ",\"Orders\"))",
        "=ISTEXT(zEXECUTE(" + c + ",\"P\",\"1\",\"'a'\",\"\",\"4\"))",
        "=EXACT(" + listed(1) +
            ",\"SELECT [TableName] = so.name, [RowCount] = Max(si.Rows) FROM sysobjects so, sysindexes si WHERE "
            "so.xtype = 'U' AND si.ID = OBJECT_ID(so.Name) Group BY so.Name Order BY 2 DESC\")",
        "=EXACT(" + listed(2) +
            ",\"SELECT ProcedureName=sp.name, ParameterName=par.PARAMETER_NAME, DataType=par.DATA_TYPE FROM "
            "sys.procedures sp LEFT JOIN INFORMATION_SCHEMA.PARAMETERS par ON sp.name = par.SPECIFIC_NAME ORDER BY "
            "sp.name, par.ORDINAL_POSITION\")",
        "=EXACT(" + listed(3) +
            ",\"SELECT [ViweName] = so.name, [CreationDate] = so.crdate FROM sysobjects so WHERE so.xtype = 'V' "
            "Order BY 1 ASC\")",
        "=EXACT(" + listed(4) +
            ",\"SELECT ColumnName=COLUMN_NAME, DataType=DATA_TYPE + ISNULL('('+CAST(CHARACTER_MAXIMUM_LENGTH AS "
            "VARCHAR(5))+')','') FROM INFORMATION_SCHEMA.Columns WHERE TABLE_NAME  = 'Orders'\")",
        "=LEN(" + listed(4) + ")",
        "=" + listed(5),
        "=LEFT(INDEX(zCache_List(FALSE),1,7),11)",
    });
    ASSERT_EQ(v.size(), 12u);
    for (size_t i = 0; i < 9; ++i)
        EXPECT_EQ(v[i], "TRUE") << i; // against SQLite each is a failure text, its statement as sent
    EXPECT_EQ(v[9], "176");           // the 169-character prefix, Orders and the closing quote
    EXPECT_EQ(v[10], "\"EXEC P 1, 'a', 4\""); // CSV quotes texts with commas or edge blanks
    EXPECT_EQ(v[11], "\"#SQL Error \"");
}

TEST_F(ThroughHost, MemoryUsedCountsCellsWithTheHostsLen)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE m (a INTEGER, b INTEGER)"));
    ASSERT_TRUE(executed(cs, "INSERT INTO m VALUES (1, 2)"));
    ASSERT_TRUE(executed(cs, "INSERT INTO m VALUES (3, 4)"));
    ASSERT_TRUE(executed(cs, "INSERT INTO m VALUES (5, 6)"));
    std::string sql = "SELECT a, b FROM m ORDER BY a";
    auto v = values({"=ROWS(" + statement(sql) + ")", "=zCache_MemoryUsed(FALSE)"});
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0], "5");
    // Six one-digit numbers count 1 each, the four #N/A cells nothing.
    EXPECT_EQ(v[1], std::to_string(24 + u(cs).size() + sql.size() + 6));
}

TEST_F(ThroughHost, ClearCacheMacroEmptiesAndTellsTheStatusBarForTenSeconds)
{
    ASSERT_TRUE(executed(cs, "CREATE TABLE m (a INTEGER)"));
    char name[] = "/tmp/zorvane-db-sheet-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    std::ofstream(name) << "A1: =" << statement("SELECT a FROM m") << "\n"
                        << "print =ISNA(INDEX(zCache_List(FALSE),1,1))\n"
                        << "run zClearCache\n"
                        << "print status\n"
                        << "print =ISNA(INDEX(zCache_List(FALSE),1,1))\n"
                        << "advance 9\n"
                        << "print status\n"
                        << "advance 2\n"
                        << "print status\n"
                        << "print =zCache_Clear(TRUE)\n";
    auto r = run({host_path(), "run", name});
    std::remove(name);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "FALSE\nZorvane: Cache cleared.\nTRUE\nZorvane: Cache cleared.\n\nCache cleared.\n") << r.err;
}

} // namespace
