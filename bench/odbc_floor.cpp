// The floor under zStatement: the barest C++ loops that bring a result set into worksheet cells
// through the same driver manager and driver, with nothing of the add-in in between. Each run is
// a process of its own (connect, execute, fetch every value into a cell array, free), so that its
// wall time compares with a whole host run.
//   odbc_floor CONNECTION STATEMENT MODE   prints "rows cells" after one fetch
//   odbc_floor - - none                     the process alone: the baseline
// Modes:
//   cell-wide    SQLGetData of every value as UTF-16 text (the road before it read at the floor)
//   cell-narrow  SQLGetData of character columns as UTF-16, of every other column as 8-bit text
//   bound-N      columns bound to arrays of N rows (as cell-narrow), one SQLFetch per N rows
// A bound mode with "-narrow" binds character columns as 8-bit text too, read as the UTF-8 the
// drivers here hand (MariaDB's connector opens a converter for every UTF-16 value); with "-typed",
// time stamps as SQL_C_TYPE_TIMESTAMP (psqlODBC and MariaDB's connector print their text from the
// same fields), and with "-typed-dates" dates too (MariaDB's connector prints theirs as well).
// Every loop makes a date's text or fields into its date number, as a cell must hold it.
// A mode ending in "-worker" runs the same loop on a second thread while the first waits for it, as
// the add-in's fetch runs beside the spreadsheet's thread: a process with threads pays for its
// locks (the C library's heap among them) what a process with one thread does not. One ending in
// "-after-thread" runs it on the first thread once a second has started and ended: the C library
// keeps to its atomic locks for the rest of the process, so the price is the process's, not the
// thread's.
#include <sql.h>
#include <sqlext.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// A worksheet cell as the add-in hands it over: a number, or a counted UTF-16 text of its own.
struct Cell {
    double number = 0;
    char16_t* text = nullptr;
};

bool character_type(SQLSMALLINT t)
{
    return t == SQL_CHAR || t == SQL_VARCHAR || t == SQL_LONGVARCHAR || t == SQL_WCHAR || t == SQL_WVARCHAR ||
           t == SQL_WLONGVARCHAR;
}

void text_cell(Cell& cell, const SQLWCHAR* units, size_t n)
{
    cell.text = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
    cell.text[0] = static_cast<char16_t>(n);
    std::memcpy(cell.text + 1, units, n * sizeof(char16_t));
}

// UTF-8 into a counted UTF-16 text of its own.
void utf8_cell(Cell& cell, const char* bytes, size_t n)
{
    cell.text = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
    char16_t* out = cell.text + 1;
    for (size_t i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? b : b & (0x3F >> (length - 1));
        for (size_t k = 1; k < length && i + k < n; ++k)
            c = c << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        i += length;
        if (c < 0x10000) {
            *out++ = static_cast<char16_t>(c);
        }
        else {
            *out++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    cell.text[0] = static_cast<char16_t>(out - cell.text - 1);
}

// The worksheet's date number of a day and its seconds (from 1900-03-01 on).
double date_number(int y, int m, int d, double seconds)
{
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long days = era * 146097L + yoe * 365 + yoe / 4 - yoe / 100 + doy - 693959; // from 1899-12-30
    return static_cast<double>(days) + seconds / 86400;
}

int two(const char* p) { return (p[0] - '0') * 10 + p[1] - '0'; }

void number_cell(Cell& cell, const char* digits, size_t n)
{
    auto [end, ec] = std::from_chars(digits, digits + n, cell.number);
    // "YYYY-MM-DD" and "YYYY-MM-DD HH:MM:SS[.f]": a date number.
    if (end == digits + 4 && n >= 10 && *end == '-') {
        double seconds = 0;
        if (n >= 19)
            std::from_chars(digits + 17, digits + n, seconds);
        if (n >= 16)
            seconds += two(digits + 11) * 3600 + two(digits + 14) * 60;
        cell.number = date_number(static_cast<int>(cell.number), two(digits + 5), two(digits + 8), seconds);
    }
}

void stamp_cell(Cell& cell, const SQL_TIMESTAMP_STRUCT& t)
{
    cell.number = date_number(t.year, t.month, t.day,
                              t.hour * 3600 + t.minute * 60 + (t.second * 1000000000LL + t.fraction) / 1e9);
}

void check(SQLRETURN rc, const char* what)
{
    if (!SQL_SUCCEEDED(rc)) {
        std::fprintf(stderr, "%s failed\n", what);
        std::exit(1);
    }
}

struct Column {
    bool stamp = false; // a time stamp (or date) bound as its fields
    bool wide = false;
    bool utf8 = false; // a character column bound as 8-bit text
    SQLLEN width = 0; // bytes of one bound value
    std::vector<char> data;
    std::vector<SQLLEN> indicators;
};

int fetch_all(const char* connection, const char* statement, const std::string& mode);

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: odbc_floor CONNECTION STATEMENT cell-wide|cell-narrow|bound-N[-narrow][-typed[-dates]][-worker|-after-thread]|none\n");
        return 2;
    }
    std::string mode = argv[3];
    if (mode == "none")
        return 0;
    const std::string after_thread = "-after-thread";
    if (mode.ends_with(after_thread)) {
        mode.resize(mode.size() - after_thread.size());
        std::thread([] {}).join();
        return fetch_all(argv[1], argv[2], mode);
    }
    const std::string worker = "-worker";
    if (mode.ends_with(worker)) {
        mode.resize(mode.size() - worker.size());
        int status = 0;
        std::thread fetch([&] { status = fetch_all(argv[1], argv[2], mode); });
        fetch.join();
        return status;
    }
    return fetch_all(argv[1], argv[2], mode);
}

namespace {

int fetch_all(const char* connection, const char* statement, const std::string& mode)
{
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), "env");
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    check(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), "dbc");
    check(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connection)), SQL_NTS, nullptr, 0, nullptr,
                           SQL_DRIVER_NOPROMPT),
          "connect");
    check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), "stmt");
    const size_t block = mode.rfind("bound-", 0) == 0 ? std::strtoul(mode.c_str() + 6, nullptr, 10) : 1;
    const bool narrow_text = block > 1 && mode.find("-narrow") != std::string::npos;
    const bool typed_stamps = block > 1 && mode.find("-typed") != std::string::npos;
    const bool typed_dates = typed_stamps && mode.find("-dates") != std::string::npos;
    if (block > 1)
        SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(block), 0);
    SQLULEN fetched_rows = 0;
    SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_rows, 0);
    check(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(statement)), SQL_NTS), "execute");
    SQLSMALLINT count = 0;
    SQLNumResultCols(stmt, &count);
    const size_t n = static_cast<size_t>(count);
    std::vector<Column> columns(n);
    for (size_t j = 0; j < n; ++j) {
        SQLSMALLINT type = 0, decimals = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeCol(stmt, static_cast<SQLUSMALLINT>(j + 1), nullptr, 0, nullptr, &type, &size, &decimals,
                       &nullable);
        Column& c = columns[j];
        c.stamp = (typed_stamps && type == SQL_TYPE_TIMESTAMP) || (typed_dates && type == SQL_TYPE_DATE);
        c.utf8 = narrow_text && character_type(type);
        c.wide = !c.utf8 && (mode == "cell-wide" || character_type(type));
        const SQLULEN characters = std::min<SQLULEN>(size ? size : 255, 255);
        c.width = c.stamp  ? static_cast<SQLLEN>(sizeof(SQL_TIMESTAMP_STRUCT))
                  : c.wide ? static_cast<SQLLEN>((characters + 1) * sizeof(SQLWCHAR))
                  : c.utf8 ? static_cast<SQLLEN>(characters * 4 + 1)
                           : 64;
        if (block > 1) {
            c.data.resize(static_cast<size_t>(c.width) * block);
            c.indicators.resize(block);
            check(SQLBindCol(stmt, static_cast<SQLUSMALLINT>(j + 1),
                             c.stamp ? SQL_C_TYPE_TIMESTAMP : c.wide ? SQL_C_WCHAR : SQL_C_CHAR, c.data.data(),
                             c.width, c.indicators.data()),
                  "bind");
        }
    }
    std::vector<Cell> cells;
    cells.reserve(n * 1024);
    size_t rows = 0;
    SQLWCHAR wide[256];
    char narrow[64];
    for (;;) {
        SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, "fetch");
        const size_t got = block > 1 ? fetched_rows : 1;
        for (size_t r = 0; r < got; ++r) {
            for (size_t j = 0; j < n; ++j) {
                Column& c = columns[j];
                cells.emplace_back();
                Cell& cell = cells.back();
                if (block > 1) {
                    const SQLLEN ind = c.indicators[r];
                    const char* p = c.data.data() + r * static_cast<size_t>(c.width);
                    if (ind == SQL_NULL_DATA)
                        continue;
                    if (c.wide)
                        text_cell(cell, reinterpret_cast<const SQLWCHAR*>(p), static_cast<size_t>(ind) / sizeof(SQLWCHAR));
                    else if (c.utf8)
                        utf8_cell(cell, p, static_cast<size_t>(ind));
                    else if (c.stamp)
                        stamp_cell(cell, *reinterpret_cast<const SQL_TIMESTAMP_STRUCT*>(p));
                    else
                        number_cell(cell, p, static_cast<size_t>(ind));
                    continue;
                }
                SQLLEN ind = 0;
                if (c.wide) {
                    SQLGetData(stmt, static_cast<SQLUSMALLINT>(j + 1), SQL_C_WCHAR, wide, sizeof wide, &ind);
                    if (ind != SQL_NULL_DATA)
                        text_cell(cell, wide, std::min<size_t>(static_cast<size_t>(ind) / sizeof(SQLWCHAR), 255));
                }
                else {
                    SQLGetData(stmt, static_cast<SQLUSMALLINT>(j + 1), SQL_C_CHAR, narrow, sizeof narrow, &ind);
                    if (ind != SQL_NULL_DATA)
                        number_cell(cell, narrow, std::min<size_t>(static_cast<size_t>(ind), 63));
                }
            }
            ++rows;
        }
    }
    std::printf("%zu %zu\n", rows, cells.size());
    for (Cell& c : cells)
        std::free(c.text);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return 0;
}

} // namespace
