// Throwaway databases for the tests, one type per driver, so that each test body is written once
// and runs against every driver: a fresh SQLite file per test, and one PostgreSQL cluster and one
// MariaDB server per test program (started on first use in a temporary folder on a free loopback
// port, stopped and removed at exit).
#pragma once

#include <string>
#include <vector>

namespace test {

struct SqliteDb {
    static constexpr const char* name = "SQLite";
    // A connection string to a new, empty database file.
    static std::string fresh_connection_string();
    // Why the driver cannot be used here, or empty when it can.
    static std::string unavailable();
    // Column types of this dialect.
    static constexpr const char* text_type = "VARCHAR(100)";
    static constexpr const char* double_type = "DOUBLE PRECISION";
    static constexpr const char* numeric_type = "NUMERIC(12,2)";
    static constexpr const char* binary_type = "BLOB";
    static constexpr const char* timestamp_type = "TIMESTAMP";
    static constexpr const char* big_integer_type = "INTEGER"; // SQLite's INTEGER is 64-bit
    static constexpr const char* long_text_type = "TEXT";
};

struct PostgresDb {
    static constexpr const char* name = "PostgreSQL";
    // A connection string to a new, empty database of the shared cluster.
    static std::string fresh_connection_string();
    static std::string unavailable();
    static constexpr const char* text_type = "VARCHAR(100)";
    static constexpr const char* double_type = "DOUBLE PRECISION";
    static constexpr const char* numeric_type = "NUMERIC(12,2)";
    static constexpr const char* binary_type = "BYTEA";
    static constexpr const char* timestamp_type = "TIMESTAMP";
    static constexpr const char* big_integer_type = "BIGINT";
    static constexpr const char* long_text_type = "TEXT";

    // Stops the shared cluster at once, as a crash would; restart brings it back on its port.
    static void stop();
    static void restart();
    // Freezes every process of the cluster (SIGSTOP), as a server that never answers; thaw
    // (SIGCONT) lets it go on where it stood.
    static void freeze();
    static void thaw();

    // The cluster's coordinates, for tests of connection failures.
    static int port();
    static std::string user();
    static std::string password();
    // A connection string to one database of the cluster as its user; port and password are
    // given so that those tests can get either wrong on purpose.
    static std::string connection_string(const std::string& database, int port, const std::string& password);
    // The cluster's own client (psql) for one database, unaligned: fields end with \x1f, rows with
    // \x1e, NULL is \x01. Its reading of a statement's result.
    static std::vector<std::string> client_command(const std::string& database);
    static std::string client_environment();
};

struct MariaDb {
    static constexpr const char* name = "MariaDB";
    // A connection string to a new, empty database (utf8mb4) of the shared server.
    static std::string fresh_connection_string();
    static std::string unavailable();
    static constexpr const char* text_type = "VARCHAR(100)";
    static constexpr const char* double_type = "DOUBLE";
    static constexpr const char* numeric_type = "DECIMAL(12,2)";
    static constexpr const char* binary_type = "BLOB";
    // MariaDB's TIMESTAMP only reaches from 1970 to 2038.
    static constexpr const char* timestamp_type = "DATETIME(6)";
    static constexpr const char* big_integer_type = "BIGINT";
    static constexpr const char* long_text_type = "MEDIUMTEXT"; // TEXT holds 65535 bytes

    static int port();
    static std::string user();
    static std::string password();
    static std::string connection_string(const std::string& database, int port, const std::string& password);
    // Shuts the shared server down, ending every session; restart brings it back on its port.
    static void stop();
    static void restart();
    // As PostgresDb's.
    static void freeze();
    static void thaw();
    // The server's own client over its socket, as root, in batch mode: its reading of a
    // statement's result.
    static std::vector<std::string> client_command(const std::string& database);
};

// Skips a test whose database cannot be had here, and fails it in CI (CI set in the environment),
// where every database must run: a missing server never passes silently there.
#define ZORVANE_REQUIRE_DATABASE(Db)                                                                             \
    do {                                                                                                         \
        if (auto why_ = Db::unavailable(); !why_.empty()) {                                                      \
            if (::test::in_ci())                                                                                 \
                FAIL() << Db::name << ": " << why_;                                                              \
            GTEST_SKIP() << Db::name << ": " << why_;                                                            \
        }                                                                                                        \
    } while (0)

bool in_ci();

// Names each run of a test typed on the databases after its engine (Query/SQLite, Query/MariaDB).
struct DatabaseNames {
    template <class Db> static std::string GetName(int) { return Db::name; }
};

} // namespace test
