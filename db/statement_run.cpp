#include "db/statement_run.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <new>
#include <vector>

#include "db/bound_columns.h"
#include "db/column_label.h"
#include "db/column_reader.h"
#include "db/driver_family.h"
#include "db/fetched_rows.h"
#include "db/limits.h"
#include "db/odbc_connection.h"
#include "db/sql_diagnostics.h"
#include "xll/platform.h"
#include "xll/text.h"

namespace db {

namespace {

using xll::OPER12;

// Frees the statement on every way out of a run, exceptions included: a statement left to its
// owner could be freed after its connection, whose disconnect already freed it.
struct ReleasedOnExit {
    OdbcStatement& statement;
    ~ReleasedOnExit() { statement.release(); }
};

// The exception being handled becomes the run's failure, the one place where a run's failures
// turn into data. The rows read so far go first: telling the failure needs memory too, and where
// there is not even room for that the failure is still told, as one of unknown cause.
void fail_as_caught(QueryResult& q, size_t fetched, const DriverFamily& family) noexcept
{
    using Cause = Failure::Cause;
    q.value.release();
    try {
        try {
            throw;
        }
        catch (const QueryStopped&) {
            q.fail(FailureKind::cancelled, {Cause::stopped, fetched, {}, {}});
        }
        catch (const SqlError& e) {
            // The records read again with what the connection knows of its engine by now.
            q.fail(e.kind() == FailureKind::statement ? failure_kind(family, e.records()) : e.kind(),
                   {Cause::error, 0, e, {}});
        }
        // Memory may be there at the next try.
        catch (const std::bad_alloc&) {
            q.fail(FailureKind::transient, {Cause::out_of_memory, fetched, {}, {}});
        }
        catch (const xll::AllocationFailure&) {
            q.fail(FailureKind::transient, {Cause::out_of_memory, fetched, {}, {}});
        }
        catch (const std::exception& e) { // a value the add-in cannot read, a result past the sheet
            q.fail(FailureKind::limit, {Cause::message, 0, {}, e.what()});
        }
    }
    catch (...) {
        q.fail(FailureKind::transient, {});
    }
}

// Throws bad_alloc while the driver still has its room: see driver_memory_headroom. Asked of
// malloc, not new: the room is address space, mapped and given back without being touched. Called
// through a volatile pointer, so that no optimizer takes the unused block for one it may drop.
void ensure_driver_headroom()
{
    static void* (*volatile allocate)(size_t) = std::malloc;
    void* room = allocate(driver_memory_headroom);
    if (room == nullptr)
        throw std::bad_alloc();
    std::free(room);
}

// Whether the rows fetched from before to after passed another values_between_headroom_checks.
bool headroom_due(size_t before, size_t after, size_t columns)
{
    return before * columns / values_between_headroom_checks != after * columns / values_between_headroom_checks;
}

bool worth_giving_back(size_t rows, SQLSMALLINT columns)
{
    return rows * static_cast<size_t>(std::max<SQLSMALLINT>(columns, 1)) >= values_worth_giving_back;
}

double milliseconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

void QueryResult::fail(FailureKind why, Failure what)
{
    value.release();
    status = QueryStatus::failed;
    kind = why;
    failure = std::move(what);
}

StatementExecution direct_execution(xll::xstring_view statement)
{
    return [text = xll::xstring(statement)](OdbcConnection& connection, OdbcStatement& stmt) {
        connection.execute_direct(text, stmt);
    };
}

QueryResult run_statement(OdbcConnection& connection, OdbcStatement& stmt, const StatementExecution& execute,
                          bool headers, Calendar& calendar, RunProgress* run)
{
    ReleasedOnExit release{stmt};
    QueryResult q;
    const size_t offset = headers ? 1 : 0;
    size_t fetched = 0;
    SQLSMALLINT count = 0;
    auto start = std::chrono::steady_clock::now();
    try {
        connection.allocate_statement(stmt);
        BoundColumns::prepare(stmt.get(), connection.family());
        if (run) {
            // What a cancel needs, then the phase, told before looking: a stop asked from now on
            // reaches the statement's cancel, and one asked before is seen here, so the
            // statement is never sent.
            run->session.store(connection.session());
            run->cancel_way.store(connection.family().cancel);
            run->phase.store(Phase::executing);
            run->throw_if_stopped();
        }
        execute(connection, stmt);
        q.executed = true;
        // Executed: from here a stop is seen between rows; a statement without rows is complete.
        if (run)
            run->phase.store(Phase::fetching);
        SQLRETURN rc = SQLNumResultCols(stmt.get(), &count);
        if (!SQL_SUCCEEDED(rc) || count <= 0) {
            // No result set (an update, a definition), or no way to tell: the empty value.
            count = 0;
            q.value.release();
        }
        else {
            const size_t n = static_cast<size_t>(count);
            // Past the worksheet's columns this fails with the array's check text.
            q.value = OPER12(static_cast<int>(minimum_result_rows), static_cast<int>(n));
            for (size_t i = 0; i < q.value.size(); ++i)
                q.value[i] = xll::xlerr::NA;

            FetchedRows rows(n);
            std::vector<ColumnShape> shapes(n);
            for (size_t j = 0; j < n; ++j) {
                SQLWCHAR name[512] = {};
                SQLSMALLINT name_length = 0, decimals = 0, nullable = 0;
                ColumnShape& shape = shapes[j];
                SQLDescribeColW(stmt.get(), static_cast<SQLUSMALLINT>(j + 1), name, 512, &name_length,
                                &shape.sql_type, &shape.size, &decimals, &nullable);
                shape.kind = column_kind(connection.handle(), stmt.get(), static_cast<SQLUSMALLINT>(j + 1),
                                         shape.sql_type, connection.text());
                if (headers) {
                    xll::xstring scratch, label = column_label(stmt.get(), static_cast<SQLUSMALLINT>(j + 1),
                                                               worksheet_text(name));
                    rows.row(0)[j] = connection.text().incoming(label, scratch);
                }
            }

            // Drivers that hold the whole result (PostgreSQL's, SQLite's on a static cursor) know
            // its height: a result past the worksheet's rows fails before a row is fetched.
            SQLLEN expected = -1;
            if (!SQL_SUCCEEDED(SQLRowCount(stmt.get(), &expected)) || expected <= 0)
                expected = BoundColumns::static_rows(stmt.get());
            if (expected > 0)
                FetchedRows::check_height(offset + static_cast<size_t>(expected));
            ColumnReader reader(calendar, connection.text(), connection.family());
            BoundColumns bound;
            const bool blocks = bound.bind(stmt.get(), shapes, connection.text(), connection.family());
            // Values a block cut where the driver cannot position on their rows: read once the
            // blocks are done, each row fetched back alone. Row (from 0 of the result), column.
            std::vector<std::pair<size_t, SQLUSMALLINT>> later;
            std::vector<FetchedCell*> row_cells; // of the block being read
            for (;;) {
                if (run)
                    run->throw_if_stopped();
                rc = SQLFetch(stmt.get());
                if (rc == SQL_NO_DATA)
                    break;
                // A failed fetch (a server gone, a value the driver cannot convert) is the result:
                // the rows read so far are not the whole result and must not pass for it. Its
                // records are the statement's.
                if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
                    check_sql_diagnostics(rc, stmt, SQL_NULL_HDBC, connection.text());
                if (blocks && connection.family().null_fields_may_be_dates) {
                    rc = bound.refetch_doubtful_fields(stmt.get(), fetched);
                    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) // the buffers hold the last fetch no more
                        check_sql_diagnostics(rc == SQL_NO_DATA ? SQL_ERROR : rc, stmt, SQL_NULL_HDBC,
                                              connection.text());
                }
                if (blocks) {
                    const size_t block = bound.rows();
                    row_cells.resize(block);
                    if (block > 0) // the block's rows made first: making a row may move those before it
                        rows.row(fetched + offset + block - 1);
                    for (size_t r = 0; r < block; ++r) {
                        if (bound.row_failed(r))
                            check_sql_diagnostics(SQL_ERROR, stmt, SQL_NULL_HDBC, connection.text());
                        row_cells[r] = rows.row(fetched + offset + r);
                    }
                    // Column by column: each column's values take the same road through the block.
                    for (size_t j = 0; j < n; ++j)
                        reader.read_block(stmt.get(), static_cast<SQLUSMALLINT>(j + 1), bound.column(j),
                                          shapes[j].kind, row_cells.data(), block, bound.positions(), fetched, later);
                    const size_t before = fetched;
                    fetched += block;
                    if (headroom_due(before, fetched, n))
                        ensure_driver_headroom();
                }
                else {
                    FetchedCell* cells = rows.row(fetched + offset);
                    for (size_t j = 0; j < n; ++j)
                        reader.read(stmt.get(), static_cast<SQLUSMALLINT>(j + 1), shapes[j].kind, cells[j]);
                    ++fetched;
                    if (headroom_due(fetched - 1, fetched, n))
                        ensure_driver_headroom();
                }
                if (run)
                    run->rows.store(fetched);
            }
            std::sort(later.begin(), later.end()); // by row: each row is fetched back once
            for (size_t i = 0; i < later.size(); ++i) {
                const auto [row, column] = later[i];
                if (run)
                    run->throw_if_stopped();
                if (i == 0 || later[i - 1].first != row) {
                    rc = bound.fetch_alone(stmt.get(), row);
                    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) // a row gone from a static cursor
                        check_sql_diagnostics(rc == SQL_NO_DATA ? SQL_ERROR : rc, stmt, SQL_NULL_HDBC,
                                              connection.text());
                }
                reader.read(stmt.get(), column, shapes[column - 1].kind, rows.row(offset + row)[column - 1]);
            }
            // The driver lets its copy of the result go before the worksheet's array is made.
            stmt.release();
            if (worth_giving_back(fetched, count))
                xll::platform::give_back_free_memory();
            rows.hand_over(q.value, minimum_result_rows);
        }
    }
    catch (...) {
        fail_as_caught(q, fetched, connection.family());
    }
    stmt.release();
    if (worth_giving_back(fetched, count))
        xll::platform::give_back_free_memory();
    q.elapsed_ms = milliseconds_since(start);
    q.last_row = static_cast<int>(offset + fetched) - 1;
    q.last_column = static_cast<int>(count) - 1;
    return q;
}

} // namespace db
