// The type-fidelity matrix: per engine, one table of every common type with its edge values and a
// NULL of each, read through the statement road of zStatement and compared cell by cell with the
// engine's own reading of the same table (Python's sqlite3 module, psql, the mariadb client),
// converted to what a cell can hold. A cell equals that reading, as a number or as text, or is an
// error value; it is never a different number.
//
// What each column became is the README's table for that engine ("What each SQL type becomes in a
// cell"): the test fails when they differ, and with ZORVANE_TYPE_TABLE naming a file it appends the
// tables it saw there, to be pasted into the README.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "databases.h"
#include "db/calendar.h"
#include "db/statement_run.h"
#include "db_test.h"
#include "support/process.h"

using namespace test;
using xll::OPER12;

namespace {

// How the engine's reading of a value becomes what a cell can hold.
enum class Reading {
    number,     // the nearest double of its decimal text; NaN and the infinities: #NUM!
    text,       // the text, cut to a cell's 32767 units
    upper_text, // the text in capitals (psqlODBC's form of a UUID)
    bool_text,  // t and f as psqlODBC's texts 1 and 0
    date,       // a date number from 1900-01-01 to 9999-12-31, else the text
    time,       // a fraction of the day for a time of day, else the text
    timestamp,  // date number and fraction, a zone's offset dropped, else the text
    bits,       // the unsigned value of the bytes, most significant first (MariaDB's BIT)
    binary,     // TRUE, whatever it holds
};

bool is_moment(Reading r) { return r == Reading::date || r == Reading::time || r == Reading::timestamp; }

struct Column {
    std::string name, type; // of type "computed", the name is an expression of the SELECT
    Reading reading;
    std::vector<std::string> values; // SQL expressions, one per row; the rows after them hold NULL
};

// One cell as the engine's client read it. SQLite's reading also tells the storage class: 'i'
// integer, 'f' real, 't' text, 'b' blob, 'n' NULL; and the moment its date functions read in the
// value's text ("YYYY-MM-DD HH:MM:SS.SSS", normalised, empty when they read none).
struct Reference {
    bool null = false;
    char storage = 't';
    std::string text;
    std::string moment;
};

using ReferenceRows = std::vector<std::vector<Reference>>;

std::vector<std::string> split(const std::string& s, char separator)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t end = s.find(separator, start);
        out.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return out;
        start = end + 1;
    }
}

std::string from_hex(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

// ---- the engines' own readings ----

// The rows of a client's output, each cell read by cell().
template <class Cell> ReferenceRows rows_of(const std::string& out, char row_end, char cell_end, Cell cell)
{
    ReferenceRows rows;
    for (const auto& line : split(out, row_end)) {
        if (line.empty())
            continue;
        auto& row = rows.emplace_back();
        for (const auto& text : split(line, cell_end))
            row.push_back(cell(text));
    }
    return rows;
}

ReferenceRows python_sqlite3(const std::string& file, const std::string& sql)
{
    static const char* script = R"py(
import sqlite3, sys
con = sqlite3.connect(sys.argv[1])
def moment(v):
    m = con.execute("SELECT strftime('%Y-%m-%d %H:%M:%f', CAST(? AS TEXT), '+0 seconds')", (v,)).fetchone()[0]
    return '\x1d' + (m or '')
for row in con.execute(sys.argv[2]).fetchall():
    cells = []
    for v in row:
        if v is None: cells.append('n')
        elif isinstance(v, int): cells.append('i' + str(v) + moment(v))
        elif isinstance(v, float): cells.append('f' + repr(v) + moment(v))
        elif isinstance(v, str): cells.append('t' + v.encode('utf-8', 'surrogatepass').hex() + moment(v))
        else: cells.append('b' + bytes(v).hex())
    print('\x1f'.join(cells))
)py";
    Run r = run({"python3", "-c", script, file, sql});
    EXPECT_EQ(r.status, 0) << r.err;
    return rows_of(r.out, '\n', '\x1f', [](const std::string& cell) {
        Reference ref;
        ref.storage = cell[0];
        ref.null = ref.storage == 'n';
        const size_t end = std::min(cell.find('\x1d'), cell.size());
        ref.text = ref.storage == 't' || ref.storage == 'b' ? from_hex(cell.substr(1, end - 1)) : cell.substr(1, end - 1);
        ref.moment = end < cell.size() ? cell.substr(end + 1) : "";
        return ref;
    });
}

ReferenceRows psql(const std::string& database, const std::string& sql)
{
    auto argv = PostgresDb::client_command(database);
    argv.insert(argv.end(), {"-c", sql});
    Run r = run(argv, PostgresDb::client_environment());
    EXPECT_EQ(r.status, 0) << r.err;
    std::string out = r.out;
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return rows_of(out, '\x1e', '\x1f', [](const std::string& cell) {
        return cell == "\x01" ? Reference{true, 'n', ""} : Reference{false, 't', cell};
    });
}

// Batch mode escapes what would break its lines and writes NULL as NULL (no value of the matrix
// is that text).
ReferenceRows mariadb_client(const std::string& database, const std::string& sql)
{
    auto argv = MariaDb::client_command(database);
    argv.insert(argv.end(), {"-e", sql});
    Run r = run(argv);
    EXPECT_EQ(r.status, 0) << r.err;
    return rows_of(r.out, '\n', '\t', [](const std::string& cell) {
        if (cell == "NULL")
            return Reference{true, 'n', ""};
        std::string text;
        for (size_t i = 0; i < cell.size(); ++i) {
            if (cell[i] != '\\' || i + 1 == cell.size()) {
                text += cell[i];
                continue;
            }
            char e = cell[++i];
            text += e == 'n' ? '\n' : e == 't' ? '\t' : e == '0' ? '\0' : e;
        }
        return Reference{false, 't', text};
    });
}

// ---- what a cell can hold of a reading ----

struct Expected {
    enum Kind { number, error, text, truth } kind = error;
    double value = 0;
    int error_code = xlerrNA;
    xll::xstring string;
};

Expected number_cell(double v)
{
    if (!std::isfinite(v))
        return {Expected::error, 0, xlerrNum, {}};
    return {Expected::number, v, 0, {}};
}

Expected text_cell(const std::string& utf8)
{
    return {Expected::text, 0, 0, xll::xstring(xll::cut_units(u(utf8), 32767))};
}

Expected error_cell(int code) { return {Expected::error, 0, code, {}}; }

std::optional<double> strict_double(const std::string& s)
{
    if (s == "NaN" || s == "nan")
        return std::nan("");
    if (s == "Infinity" || s == "inf")
        return INFINITY;
    if (s == "-Infinity" || s == "-inf")
        return -INFINITY;
    static const std::regex decimal("-?[0-9]+(\\.[0-9]+)?([eE][-+]?[0-9]+)?");
    if (!std::regex_match(s, decimal))
        return std::nullopt;
    return std::strtod(s.c_str(), nullptr);
}

// The worksheet's date number of a day: 1 is 1900-01-01, and 1900-02-29, which never was, is 60.
std::optional<double> worksheet_day(int y, int m, int d)
{
    using namespace std::chrono;
    year_month_day day{year{y}, month{static_cast<unsigned>(m)}, std::chrono::day{static_cast<unsigned>(d)}};
    if (!day.ok() || y < 1900 || y > 9999)
        return std::nullopt;
    auto n = (sys_days{day} - sys_days{year{1899} / December / 30}).count();
    return static_cast<double>(n < 61 ? n - 1 : n);
}

std::optional<double> day_fraction(const std::string& s)
{
    static const std::regex clock("([0-9]{2}):([0-9]{2})(:([0-9]{2}(\\.[0-9]+)?))?");
    std::smatch m;
    if (!std::regex_match(s, m, clock) || std::stoi(m[1]) > 23 || std::stoi(m[2]) > 59 ||
        (m[4].matched && std::stoi(m[4]) > 59))
        return std::nullopt;
    double second = m[4].matched ? std::strtod(m[4].str().c_str(), nullptr) : 0;
    return (std::stoi(m[1]) * 3600 + std::stoi(m[2]) * 60 + second) / 86400;
}

Expected from_text(Reading reading, const std::string& t)
{
    // A date may carry a time of day (SQLite keeps what it is given).
    static const std::regex date("([0-9]{4})-([0-9]{2})-([0-9]{2})([ T](.*))?");
    static const std::regex stamp("([0-9]{4})-([0-9]{2})-([0-9]{2})[ T]([0-9:.]+)([-+][0-9:]+)?");
    std::smatch m;
    switch (reading) {
    case Reading::number:
        if (auto v = strict_double(t))
            return number_cell(*v);
        return text_cell(t);
    case Reading::text: return text_cell(t);
    case Reading::upper_text: {
        std::string upper = t;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text_cell(upper);
    }
    case Reading::bool_text: return text_cell(t == "t" ? "1" : t == "f" ? "0" : t);
    case Reading::date:
        if (std::regex_match(t, m, date))
            if (auto day = worksheet_day(std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]))) {
                if (!m[4].matched)
                    return number_cell(*day);
                if (auto f = day_fraction(m[5]))
                    return number_cell(*day + *f);
            }
        return text_cell(t);
    case Reading::time:
        if (auto f = day_fraction(t))
            return number_cell(*f);
        return text_cell(t);
    case Reading::timestamp:
        if (std::regex_match(t, m, stamp))
            if (auto day = worksheet_day(std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])))
                if (auto f = day_fraction(m[4]))
                    return number_cell(*day + *f);
        return text_cell(t);
    case Reading::bits: {
        std::uint64_t v = 0;
        for (unsigned char c : t)
            v = v << 8 | c;
        return number_cell(static_cast<double>(v));
    }
    case Reading::binary: return {Expected::truth, 0, 0, {}};
    }
    return {};
}

// PostgreSQL and MariaDB: their clients print text, which the column's reading converts.
Expected expected_from_client(Reading reading, const Reference& ref)
{
    if (ref.null)
        return reading == Reading::binary ? Expected{Expected::truth, 0, 0, {}}
               : reading == Reading::text || reading == Reading::upper_text || reading == Reading::bool_text
                   ? text_cell("")
                   : error_cell(xlerrNA);
    return from_text(reading, ref.text);
}

// SQLite's own reading of a value in a date, time or time stamp column: the date number of the
// moment its date functions read, or for a time of day written alone in a TIME column, that
// time's fraction. A number in a TIME column, the word now, a day that does not exist (SQLite
// counts on into the next month) and a day outside the worksheet's years have none.
std::optional<Expected> sqlite_moment(Reading reading, const Reference& ref)
{
    static const std::regex moment("([0-9]{4})-([0-9]{2})-([0-9]{2}) (.*)");
    static const std::regex written("([0-9]{4})-([0-9]{2})-([0-9]{2}).*");
    static const std::regex time_of_day("[0-9]{2}:[0-9]{2}.*");
    std::smatch m, w;
    if (!std::regex_match(ref.moment, m, moment) || ref.text == "now" || (ref.storage != 't' && reading == Reading::time))
        return std::nullopt;
    using namespace std::chrono;
    if (std::regex_match(ref.text, w, written) &&
        !year_month_day{year{std::stoi(w[1])}, month{static_cast<unsigned>(std::stoi(w[2]))},
                        day{static_cast<unsigned>(std::stoi(w[3]))}}
             .ok())
        return std::nullopt;
    auto fraction = day_fraction(m[4]);
    if (reading == Reading::time && std::regex_match(ref.text, time_of_day))
        return number_cell(*fraction);
    if (auto day = worksheet_day(std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])))
        return number_cell(*day + *fraction);
    return std::nullopt;
}

// SQLite: the value in its own storage class. A number stays a number (a real as the 15 digits
// SQLite writes of it, which is all its driver hands over) unless SQLite reads it as a julian day;
// a text is converted only where the column's reading asks for it and the text has its form.
Expected expected_from_sqlite(Reading reading, const Reference& ref)
{
    if (ref.null || reading == Reading::binary)
        return expected_from_client(reading, ref);
    if (is_moment(reading))
        if (auto e = sqlite_moment(reading, ref))
            return *e;
    if (ref.storage == 'i')
        return number_cell(std::strtod(ref.text.c_str(), nullptr));
    if (ref.storage == 'f') {
        double v = std::strtod(ref.text.c_str(), nullptr);
        if (!std::isfinite(v))
            return number_cell(v);
        char digits[40];
        std::snprintf(digits, sizeof digits, "%.15g", v);
        return number_cell(std::strtod(digits, nullptr));
    }
    if (reading == Reading::number || is_moment(reading))
        return text_cell(ref.text);
    return from_text(reading, ref.text);
}

std::string describe(const Expected& e)
{
    switch (e.kind) {
    case Expected::number: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "<num %.17g>", e.value);
        return buf;
    }
    case Expected::error: return "<err " + std::to_string(e.error_code) + ">";
    case Expected::text: return s(e.string).substr(0, 80);
    case Expected::truth: return "<TRUE>";
    }
    return "";
}

std::string describe(const XLOPER12& x)
{
    const auto& v = static_cast<const OPER12&>(x);
    if (v.is(xltypeNum)) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "<num %.17g>", v.val.num);
        return buf;
    }
    return show(x).substr(0, 80);
}

bool same(const Expected& e, const XLOPER12& x)
{
    const auto& v = static_cast<const OPER12&>(x);
    switch (e.kind) {
    case Expected::number:
        // Equal as doubles, the sign of a zero included.
        return v.is(xltypeNum) && v.val.num == e.value && std::signbit(v.val.num) == std::signbit(e.value);
    case Expected::error: return v.is(xltypeErr) && v.val.err == e.error_code;
    case Expected::text: return v.is(xltypeStr) && v.text() == e.string;
    case Expected::truth: return v.is(xltypeBool) && v.val.xbool;
    }
    return false;
}

// What a cell became, for the README's type tables.
std::string outcome(const XLOPER12& x, Reading reading)
{
    const auto& v = static_cast<const OPER12&>(x);
    if (v.is(xltypeNum))
        return reading == Reading::date        ? "date number"
               : reading == Reading::time      ? "fraction of a day"
               : reading == Reading::timestamp ? "date number with the time"
                                               : "number";
    if (v.is(xltypeStr))
        return "text";
    if (v.is(xltypeBool))
        return "TRUE";
    if (v.is(xltypeErr))
        return v.val.err == xlerrNum ? "#NUM!" : v.val.err == xlerrNA ? "#N/A" : "error";
    return "other";
}

// A column's outcomes in the order first seen; those that are not its own kind of value (texts of
// a number or date column, errors) with the engine's readings that gave them.
struct Outcomes {
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::string>> examples;
    std::string null;

    void add(const std::string& outcome, const std::string& reading)
    {
        auto& seen = examples[outcome];
        if (seen.empty())
            order.push_back(outcome);
        std::string shown = reading.empty() ? "''" : reading.size() > 24 ? reading.substr(0, 21) + "..." : reading;
        if (seen.size() < 4 && std::find(seen.begin(), seen.end(), shown) == seen.end())
            seen.push_back(shown);
    }

    std::string summary(Reading reading) const
    {
        std::string out;
        for (const auto& o : order) {
            out += (out.empty() ? "" : "; ") + o;
            bool telling = o == "#NUM!" || (o == "text" && reading != Reading::text && reading != Reading::upper_text &&
                                             reading != Reading::bool_text);
            if (telling) {
                std::string list;
                for (const auto& e : examples.at(o))
                    list += (list.empty() ? "" : ", ") + e;
                out += " (" + list + ")";
            }
        }
        return out;
    }
};

std::string type_table(const char* engine, const std::vector<Column>& columns, const std::vector<Outcomes>& outcomes)
{
    std::string out = std::string("#### ") + engine + "\n\n| Column type | A value becomes | NULL becomes |\n|---|---|---|\n";
    for (size_t c = 0; c < columns.size(); ++c)
        out += "| " +
               (columns[c].type == "computed" ? "computed, first row NULL"
                : columns[c].type.empty()   ? "no declared type, first row " + columns[c].values.front()
                                            : "`" + columns[c].type + "`") +
               " | " + outcomes[c].summary(columns[c].reading) + " | " + outcomes[c].null + " |\n";
    return out;
}

// The README's table of the engine: from its heading to the blank line after the table.
std::string readme_table(const char* engine)
{
    std::ifstream in(ZORVANE_SOURCE_DIR "/README.md");
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str(), heading = std::string("#### ") + engine + "\n\n";
    const size_t start = text.find(heading);
    if (start == std::string::npos)
        return "";
    const size_t end = text.find("\n\n", start + heading.size());
    return text.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
}

// The table the cells gave is the README's; with ZORVANE_TYPE_TABLE it is also appended there.
void check_type_table(const char* engine, const std::vector<Column>& columns, const std::vector<Outcomes>& outcomes)
{
    const std::string table = type_table(engine, columns, outcomes);
    EXPECT_EQ(readme_table(engine), table) << "README.md's table of " << engine << " is not what the cells became";
    if (const char* file = std::getenv("ZORVANE_TYPE_TABLE"); file && *file)
        std::ofstream(file, std::ios::app) << "\n" << table;
}

using Reader = std::function<ReferenceRows(const std::string& sql)>;

// Makes the table, reads it both ways and compares every cell. Each INSERT starts with the
// engine's insert_prefix (MariaDB's, to allow its invalid dates).
void check_matrix(const char* engine, const std::string& cs, const std::vector<Column>& columns, const Reader& reader,
                  bool sqlite, const std::string& insert_prefix = "")
{
    std::string create = "CREATE TABLE matrix (id INTEGER", names, selected;
    size_t rows = 0;
    for (const auto& c : columns) {
        selected += (selected.empty() ? "" : ", ") + c.name;
        if (c.type == "computed")
            continue;
        create += ", " + c.name + " " + c.type;
        names += (names.empty() ? "" : ", ") + c.name;
        rows = std::max(rows, c.values.size());
    }
    ASSERT_TRUE(executed(cs, create + ")"));
    ++rows; // and one of NULLs only
    for (size_t r = 0; r < rows; ++r) {
        std::string insert = insert_prefix + "INSERT INTO matrix (id, " + names + ") VALUES (" + std::to_string(r);
        for (const auto& c : columns)
            if (c.type != "computed")
                insert += ", " + (r < c.values.size() ? c.values[r] : std::string("NULL"));
        ASSERT_TRUE(executed(cs, insert + ")"));
    }
    const std::string select = "SELECT " + selected + " FROM matrix ORDER BY id";
    db::SerialCalendar calendar; // the calendar zStatement reads values with
    OPER12 cells = test::run_query(u(cs), u(select), false, calendar).value;
    ASSERT_TRUE(cells.is(xltypeMulti)) << show(cells);
    ASSERT_EQ(cells.rows(), std::max<size_t>(rows, 5));
    ReferenceRows reference = reader(select);
    ASSERT_EQ(reference.size(), rows);

    std::vector<Outcomes> outcomes(columns.size());
    for (size_t r = 0; r < rows; ++r) {
        ASSERT_EQ(reference[r].size(), columns.size()) << "row " << r;
        for (size_t c = 0; c < columns.size(); ++c) {
            const Reference& ref = reference[r][c];
            Expected e = sqlite ? expected_from_sqlite(columns[c].reading, ref)
                                : expected_from_client(columns[c].reading, ref);
            // A date its driver cannot write may show as #NUM!, where the engine's text is not to be had.
            const bool lost = is_moment(columns[c].reading) && e.kind == Expected::text &&
                              same(error_cell(xlerrNum), cells(r, c));
            EXPECT_TRUE(same(e, cells(r, c)) || lost)
                << engine << " " << columns[c].type << " row " << r << " (" << (r < columns[c].values.size() ? columns[c].values[r].substr(0, 60) : "NULL")
                << "): engine read " << (ref.null ? "NULL" : ref.text.substr(0, 60)) << ", expected "
                << describe(e) << ", cell " << describe(cells(r, c));
            std::string o = outcome(cells(r, c), columns[c].reading);
            if (ref.null)
                outcomes[c].null = o == "text" ? "empty text" : o;
            else
                outcomes[c].add(o, ref.text);
        }
    }
    check_type_table(engine, columns, outcomes);
}

std::string database_of(const std::string& cs)
{
    std::smatch m;
    std::regex_search(cs, m, std::regex("Database=([^;]+)"));
    return m[1];
}

// Texts every engine holds: surrogate pairs, and 40,000 characters (a cell shows 32767 units).
const std::string surrogates = "'Müller 日本 \xF0\x9D\x84\x9E\xF0\x9F\x98\x80'";

TEST(TypeMatrix, SQLite)
{
    ZORVANE_REQUIRE_DATABASE(SqliteDb);
    const std::string cs = SqliteDb::fresh_connection_string();
    const std::string forty_thousand = "replace(hex(zeroblob(20000)), '00', 'ab')";
    const std::string emoji = "replace(hex(zeroblob(40000)), '00', '\xF0\x9F\x98\x80')";
    std::vector<Column> columns = {
        {"i", "INTEGER", Reading::number,
         {"0", "150000000000", "-9000000000000", "9223372036854775807", "-9223372036854775808", "9007199254740992",
          "9007199254740993", "-1"}},
        {"bi", "BIGINT", Reading::number, {"9223372036854775807", "-9223372036854775808", "4294967296"}},
        {"si", "SMALLINT", Reading::number, {"-32768", "32767"}},
        {"r", "REAL", Reading::number,
         {"0.1", "0.1 + 0.2", "-0.0", "1.7976931348623157e308", "2.2250738585072014e-308", "5e-324", "9e999",
          "-9e999", "7.75", "12"}},
        {"d", "DOUBLE PRECISION", Reading::number, {"1.5", "-2.5e-10", "123456789012345678"}},
        {"f", "FLOAT", Reading::number, {"3.4028234663852886e38", "-1.17549435e-38"}},
        {"n", "NUMERIC", Reading::number, {"12.5", "3", "12345678901.1234567890", "-0.0000000001"}},
        {"dc", "DECIMAL(38,10)", Reading::number, {"1234567890.1234567890", "0", "-99.5"}},
        {"b", "BOOLEAN", Reading::number, {"1", "0"}},
        {"t", "TEXT", Reading::text, {"'abc'", "''", surrogates, forty_thousand, emoji, "' x '"}},
        {"vc", "VARCHAR(40)", Reading::text, {"'Søren'", "'12'"}},
        // Declared without a length, as the driver names a column without a declared type: still
        // a text column, whose numbers SQLite stores as text.
        {"vv", "varchar", Reading::text, {"'9007199254740993'", "12", "'12.50'"}},
        {"dt", "DATE", Reading::date,
         {"'1899-12-31'", "'1900-01-01'", "'1900-02-28'", "'1900-03-01'", "'2000-02-29'", "'9999-12-31'",
          "'2014-05-31'"}},
        {"tm", "TIME", Reading::time, {"'00:00:00'", "'13:45:10'", "'13:45:10.5'", "'23:59:59.999'"}},
        {"ts", "DATETIME", Reading::timestamp,
         {"'1900-01-01 00:00:00'", "'1900-02-28 23:59:59.5'", "'1900-03-01 00:00:00.001'",
          "'2000-02-29 12:34:56.789'", "'9999-12-31 23:59:59.999'", "'1899-12-31 23:00:00'", "'2014-03-05T13:45:10'"}},
        {"bl", "BLOB", Reading::binary, {"x'0102'", "x''"}},
    };
    check_matrix("SQLite", cs, columns,
                 [&](const std::string& sql) { return python_sqlite3(cs.substr(cs.find("Database=") + 9), sql); }, true);
}

// SQLite keeps any value in any column, as tables imported from CSV files do: each cell shows the
// value SQLite stored, in its own storage class, converted only where the declared type asks for
// it and the value has that type's form.
TEST(TypeMatrix, SQLiteDynamicTyping)
{
    ZORVANE_REQUIRE_DATABASE(SqliteDb);
    const std::string cs = SqliteDb::fresh_connection_string();
    const std::vector<std::string> mixed = {"7.75",  "'12abc'", "'abc'", "'n/a'", "''",    "20140531", "'not a date'",
                                            "'+5'",  "-5",      "' 12'", "'12 '", "'0x1A'", "'1e5'",   "'1E-3'",
                                            "9223372036854775807", "-0.0", "'007'", "'1900-03-01'", "2.5e-7"};
    std::vector<Column> columns = {
        {"i", "INTEGER", Reading::number, mixed},
        {"r", "REAL", Reading::number, mixed},
        {"n", "NUMERIC", Reading::number, mixed},
        {"t", "TEXT", Reading::text, mixed},
        {"b", "BOOLEAN", Reading::number, {"1", "0", "'true'", "'yes'", "2.5", "''"}},
        {"dt", "DATE", Reading::date,
         {"'2014-05-31'", "20140531", "'not a date'", "'2014-05-31 12:34:56'", "'2014-5-3'", "'1899-12-31'",
          "'1900-01-01'", "'1900-02-28'", "'1900-03-01'", "2456808.5", "''", "'2014-02-30'", "'2014-05-31T12:00'"}},
        {"tm", "TIME", Reading::time,
         {"'13:45'", "'13:45:10.5'", "'noon'", "0.5", "'25:00:00'", "''", "'24:00:00'", "'12:00:00+05:00'",
          "'2014-05-31 12:00:00'"}},
        // Every form SQLite's date functions read, and their near misses: each value shows the
        // moment SQLite reads in it, or its text.
        {"ts", "DATETIME", Reading::timestamp,
         {"'2014-05-31 12:00:00'", "'1900-01-01 00:00:00'", "'1899-12-31 23:59:59'", "'2014-05-31T06:00:00.25'",
          "'2014-05-31'", "'2014-05-31 12:00'", "'2014-05-31T12:00:00'", "'2014-05-31 12:00:00+05:00'",
          "'2014-05-31 24:00:00'", "'2014-12-31 23:59:60'", "'2014-05-31 11:30:00 PM'", "'12:5:30'",
          "'2014-13-01 00:00:00'", "2456808.5", "2456808", "'2014-05-31 12:00Z'", "'12:00'", "'2014-02-30 12:00:00'",
          "'now'", "'2014-05-31 12:00:00.0005'", "'9999-12-31 23:59:59.9999'", "'1900-01-01 02:00+05:00'", "20140531",
          "'not a date'", "''", "-1", "'2014-05-31 12:00:00.123456789'"}},
        // Without a declared type: the driver names the column by its first row's value.
        {"u", "", Reading::number, {"7.75", "'12abc'", "'abc'", "20140531", "'+5'", "'007'", "-5", "' 12'", "''"}},
        {"v", "", Reading::number, {"'abc'", "7.75", "20140531", "'12abc'", "-5", "9223372036854775807"}},
        // Computed, its first row NULL: the driver guesses text for it.
        {"CASE WHEN id = 0 THEN NULL ELSE i END", "computed", Reading::number, {}},
    };
    check_matrix("SQLite, any value in any column", cs, columns,
                 [&](const std::string& sql) { return python_sqlite3(cs.substr(cs.find("Database=") + 9), sql); }, true);
}

TEST(TypeMatrix, PostgreSQL)
{
    ZORVANE_REQUIRE_DATABASE(PostgresDb);
    const std::string cs = PostgresDb::fresh_connection_string();
    ASSERT_TRUE(executed(cs, "CREATE TYPE mood AS ENUM ('sad', 'happy')"));
    std::vector<Column> columns = {
        {"si", "SMALLINT", Reading::number, {"-32768", "32767"}},
        {"i", "INTEGER", Reading::number, {"-2147483648", "2147483647"}},
        {"bi", "BIGINT", Reading::number,
         {"-9223372036854775808", "9223372036854775807", "9007199254740992", "9007199254740993", "150000000000"}},
        {"dc", "NUMERIC(38,10)", Reading::number,
         {"1234567890.1234567890", "-0.0000000001", "9999999999999999999999999999.9999999999", "0"}},
        {"n", "NUMERIC", Reading::number,
         {"'NaN'", "'Infinity'", "'-Infinity'", "18446744073709551615", "1e-20", "-1e300"}},
        {"r", "REAL", Reading::number,
         {"1.5", "'3.4028235e38'", "'-3.4028235e38'", "'1e-45'", "'NaN'", "'Infinity'", "'-Infinity'", "'-0'",
          "0.1"}},
        {"d", "DOUBLE PRECISION", Reading::number,
         {"0.1", "0.1::float8 + 0.2::float8", "'1.7976931348623157e308'", "'5e-324'", "'2.2250738585072014e-308'",
          "'-0'", "'NaN'", "'Infinity'", "'-Infinity'"}},
        {"m", "MONEY", Reading::number, {"12.5", "-1234567.89"}},
        {"b", "BOOLEAN", Reading::bool_text, {"true", "false"}},
        // psqlODBC writes the infinities and years past 9999 as other dates: they show as the
        // server's text, or as #NUM! where no reading gives it. (A date BC reaches no reader with
        // its era: psqlODBC gives '2000-01-01 BC' as 2000-01-01.)
        {"dt", "DATE", Reading::date,
         {"'1899-12-31'", "'1900-01-01'", "'1900-02-28'", "'1900-03-01'", "'2000-02-29'", "'9999-12-31'",
          "'0001-01-01'", "'infinity'", "'-infinity'", "'10000-01-01'"}},
        {"tm", "TIME(6)", Reading::time, {"'00:00:00'", "'13:45:10.123456'", "'23:59:59.999999'", "'24:00:00'"}},
        {"ts", "TIMESTAMP(6)", Reading::timestamp,
         {"'1900-01-01 00:00:00'", "'1900-02-28 23:59:59.5'", "'1900-03-01 00:00:00.000001'",
          "'2000-02-29 12:34:56.789'", "'9999-12-31 23:59:59.999999'", "'1899-12-31 23:59:59'", "'infinity'",
          "'-infinity'", "'2000-01-01 12:00:00 BC'", "'10000-01-01 00:00:00'", "'9999-12-31 23:59:59'"}},
        {"tz", "TIMESTAMPTZ", Reading::timestamp,
         {"'2014-03-05 13:45:10.5+01'", "'2000-02-29 23:59:59.999999+00'", "'infinity'", "'-infinity'"}},
        {"tt", "TIMETZ", Reading::text, {"'13:45:10+02'"}},
        {"iv", "INTERVAL", Reading::text, {"'1 day 02:00:00'", "'-3 years 1 mon'"}},
        {"u", "UUID", Reading::upper_text, {"'123e4567-e89b-12d3-a456-426614174000'"}},
        {"j", "JSON", Reading::text, {"'{\"a\": [1, 2.5, null]}'"}},
        {"jb", "JSONB", Reading::text, {"'{\"b\": true, \"a\": 1}'"}},
        {"e", "mood", Reading::text, {"'happy'", "'sad'"}},
        {"c", "CHAR(5)", Reading::text, {"'ab'"}},
        {"vc", "VARCHAR(40)", Reading::text, {"'Søren'", "''"}},
        {"t", "TEXT", Reading::text,
         {surrogates, "repeat('ab', 20000)", "repeat('\xF0\x9F\x98\x80', 40000)", "E'two\\nlines'"}},
        {"by", "BYTEA", Reading::binary, {"'\\x0102'", "''"}},
    };
    std::string database = database_of(cs);
    check_matrix("PostgreSQL", cs, columns, [&](const std::string& sql) { return psql(database, sql); }, false);
}

TEST(TypeMatrix, MariaDB)
{
    ZORVANE_REQUIRE_DATABASE(MariaDb);
    const std::string cs = MariaDb::fresh_connection_string();
    std::vector<Column> columns = {
        {"ti", "TINYINT", Reading::number, {"-128", "127"}},
        {"tu", "TINYINT UNSIGNED", Reading::number, {"255", "0"}},
        {"si", "SMALLINT", Reading::number, {"-32768", "32767"}},
        {"mi", "MEDIUMINT", Reading::number, {"-8388608", "8388607"}},
        {"i", "INT", Reading::number, {"-2147483648", "2147483647"}},
        {"iu", "INT UNSIGNED", Reading::number, {"4294967295"}},
        {"bi", "BIGINT", Reading::number,
         {"-9223372036854775808", "9223372036854775807", "9007199254740992", "9007199254740993"}},
        {"bu", "BIGINT UNSIGNED", Reading::number, {"18446744073709551615", "9223372036854775808"}},
        {"dc", "DECIMAL(38,10)", Reading::number,
         {"1234567890.1234567890", "-9999999999999999999999999999.9999999999", "-0.0000000001"}},
        {"f", "FLOAT", Reading::number, {"1.5", "3.40282e38", "-1.17549e-38"}},
        {"d", "DOUBLE", Reading::number,
         {"0.1", "0.1e0 + 0.2e0", "1.7976931348623157e308", "2.2250738585072014e-308", "-0.0e0", "5e-324"}},
        {"bo", "BOOLEAN", Reading::number, {"TRUE", "FALSE"}},
        {"b1", "BIT(1)", Reading::bits, {"b'1'", "b'0'"}},
        {"bt", "BIT(8)", Reading::bits, {"b'101'", "b'11111111'"}},
        {"b64", "BIT(64)", Reading::bits,
         {"b'1111111111111111111111111111111111111111111111111111111111111111'", "b'0'",
          "b'100000000000000000000000000000000000000000000000000001'"}},
        {"y", "YEAR", Reading::number, {"1901", "2155", "0"}},
        {"zf", "INT ZEROFILL", Reading::number, {"5", "123", "0"}},
        {"zd", "DECIMAL(10,2) ZEROFILL", Reading::number, {"3.5", "0"}},
        // Zero and invalid dates are MariaDB's own: they show as its text.
        {"dt", "DATE", Reading::date,
         {"'1899-12-31'", "'1900-01-01'", "'1900-02-28'", "'1900-03-01'", "'2000-02-29'", "'9999-12-31'",
          "'1000-01-01'", "'0000-00-00'", "'2020-01-00'", "'2020-02-30'"}},
        {"tm", "TIME(6)", Reading::time,
         {"'00:00:00'", "'13:45:10.123456'", "'23:59:59.999999'", "'-838:59:59'", "'838:59:59'"}},
        {"dtt", "DATETIME(6)", Reading::timestamp,
         {"'1000-01-01 00:00:00'", "'1900-02-28 23:59:59.5'", "'1900-03-01 00:00:00.000001'",
          "'2000-02-29 12:34:56.789'", "'9999-12-31 23:59:59.999999'", "'2020-00-00 12:00:00'",
          "'2020-02-31 23:59:59.999999'", "'0000-00-00 00:00:00'"}},
        {"ts", "TIMESTAMP(6) NULL", Reading::timestamp,
         {"'1970-01-01 00:00:01'", "'2038-01-19 03:14:07.999999'", "'0000-00-00 00:00:00'"}},
        {"c", "CHAR(5)", Reading::text, {"'ab'"}},
        {"vc", "VARCHAR(40)", Reading::text, {"'Søren'", "''"}},
        {"t", "MEDIUMTEXT", Reading::text,
         {surrogates, "REPEAT('ab', 20000)", "REPEAT('\xF0\x9F\x98\x80', 40000)", "'two\\nlines'"}},
        {"e", "ENUM('sad','happy')", Reading::text, {"'happy'", "'sad'"}},
        {"st", "SET('x','y')", Reading::text, {"'x,y'", "''"}},
        {"j", "JSON", Reading::text, {"'{\"a\": [1, 2.5, null]}'"}},
        {"u", "UUID", Reading::text, {"'123e4567-e89b-12d3-a456-426614174000'"}},
        {"ip", "INET6", Reading::text, {"'::1'", "'::ffff:192.0.2.1'"}},
        {"bn", "BINARY(2)", Reading::binary, {"'ab'"}},
        {"vb", "VARBINARY(4)", Reading::binary, {"x'00ff'"}},
        {"bl", "BLOB", Reading::binary, {"x'0102'", "''"}},
    };
    std::string database = database_of(cs);
    check_matrix("MariaDB", cs, columns, [&](const std::string& sql) { return mariadb_client(database, sql); },
                 false, "SET STATEMENT sql_mode='ALLOW_INVALID_DATES' FOR ");
}

// ---- headings: the labels the engine's own client shows for the same statement ----

const std::string labelled = "SELECT sum(o.amount), o.amount*1.1, count(*) AS \"sales.count\", o.amount AS \"v1.5\", "
                             "1 AS \"it's \"\"q\"\"\", 2 AS \"Ünï 日本\", 3 AS \"" + std::string(128, 'x') +
                             "\" FROM (SELECT 2.5 AS amount) o GROUP BY o.amount";

void check_headings(const std::string& cs, const std::vector<std::string>& client_argv, char row_end, char cell_end,
                    const std::string& environment = "")
{
    db::SerialCalendar calendar;
    OPER12 cells = test::run_query(u(cs), u(labelled), true, calendar).value;
    ASSERT_TRUE(cells.is(xltypeMulti)) << show(cells);
    std::vector<std::string> headings;
    for (size_t c = 0; c < cells.columns(); ++c)
        headings.push_back(show(cells(0, c)));
    Run r = run(client_argv, environment);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(headings, split(r.out.substr(0, r.out.find(row_end)), cell_end));
}

// Without the option that leaves the headings out.
std::vector<std::string> without(std::vector<std::string> argv, const std::string& option)
{
    argv.erase(std::find(argv.begin(), argv.end(), option));
    return argv;
}

TEST(Headings, SQLite)
{
    const std::string cs = SqliteDb::fresh_connection_string();
    check_headings(cs,
                   {"python3", "-c",
                    "import sqlite3, sys\nc = sqlite3.connect(':memory:').execute(sys.argv[1])\n"
                    "print('\\x1f'.join(d[0] for d in c.description))",
                    labelled},
                   '\n', '\x1f');
}

TEST(Headings, PostgreSQL)
{
    ZORVANE_REQUIRE_DATABASE(PostgresDb);
    const std::string cs = PostgresDb::fresh_connection_string();
    auto argv = without(PostgresDb::client_command(database_of(cs)), "-t");
    argv.insert(argv.end(), {"-P", "footer=off", "-c", labelled});
    check_headings(cs, argv, '\x1e', '\x1f', PostgresDb::client_environment());
}

TEST(Headings, MariaDB)
{
    ZORVANE_REQUIRE_DATABASE(MariaDb);
    const std::string cs = MariaDb::fresh_connection_string();
    auto argv = without(MariaDb::client_command(database_of(cs)), "--skip-column-names");
    argv.insert(argv.end(), {"-e", labelled});
    check_headings(cs, argv, '\n', '\t');
}

} // namespace
