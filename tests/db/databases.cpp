#include "databases.h"

#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "db/query.h"
#include "db_test.h"
#include "support/loopback.h"
#include "support/process.h"
#include "xll/text.h"

namespace fs = std::filesystem;

namespace test {

namespace {

const char* const pg_bin = "/usr/lib/postgresql/15/bin";

// A temporary folder that goes with its owner.
struct TempFolder {
    fs::path path;
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "zorvane-db-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary folder");
        path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

// The server refuses to run as root: as root, the cluster belongs to an unprivileged account
// (nobody, or one made for the purpose where nobody is missing).
struct ServerAccount {
    std::string prefix; // command prefix that runs as the account
    uid_t uid = 0;
    gid_t gid = 0;
    bool as_other = false;
};

ServerAccount server_account()
{
    ServerAccount a;
    a.uid = geteuid();
    a.gid = getegid();
    if (a.uid != 0)
        return a;
    const char* name = "nobody";
    passwd* pw = getpwnam(name);
    if (!pw) {
        name = "zorvane-pg";
        if (!getpwnam(name))
            run({"useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", name});
        pw = getpwnam(name);
    }
    if (!pw)
        throw std::runtime_error("no unprivileged account to run the PostgreSQL server");
    a.uid = pw->pw_uid;
    a.gid = pw->pw_gid;
    a.prefix = std::string("runuser -u ") + name + " --";
    a.as_other = true;
    return a;
}

std::string command(const ServerAccount& a, const std::string& cmd)
{
    return a.prefix.empty() ? cmd : a.prefix + " " + cmd;
}

struct PostgresCluster {
    TempFolder folder;
    ServerAccount account;
    int port = 0;
    std::string user = "zorvane";
    std::string password = "Zorvane-Secret-1";
    bool running = false;
    std::string failure;

    PostgresCluster()
    {
        try {
            start();
        }
        catch (const std::exception& e) {
            failure = e.what();
        }
    }
    ~PostgresCluster() { stop(); }

    // A fast shutdown: the server ends every session at once, so clients in the middle of a query
    // lose their connection. Not an immediate stop: on that, Debian's psqlODBC 13.02 now and then
    // dereferences a null pointer inside SQLFetch and takes the process down, which no caller of
    // the driver can prevent.
    void stop()
    {
        if (running)
            run({"sh", "-c",
                 command(account, std::string(pg_bin) + "/pg_ctl -D " + shell_quote((folder.path / "data").string()) +
                                      " -m fast -w stop") + " >/dev/null 2>&1"});
        running = false;
    }

    void start()
    {
        account = server_account();
        if (account.as_other && chown(folder.path.c_str(), account.uid, account.gid) != 0)
            throw std::runtime_error("cannot hand the cluster folder to the server account");
        fs::path pwfile = folder.path / "pwfile";
        std::ofstream(pwfile) << password << "\n";
        if (account.as_other && chown(pwfile.c_str(), account.uid, account.gid) != 0)
            throw std::runtime_error("cannot hand the password file to the server account");
        std::string data = shell_quote((folder.path / "data").string());
        Run init = run({"sh", "-c",
                        command(account, std::string(pg_bin) + "/initdb -D " + data + " -U " + user + " --pwfile=" +
                                             shell_quote(pwfile.string()) +
                                             " --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --no-locale") +
                            " 2>&1"});
        if (init.status != 0)
            throw std::runtime_error("initdb failed: " + init.out);
        port = static_cast<int>(closed_port());
        launch();
    }

    // The server on the cluster's port, as first started or after a stop.
    void launch()
    {
        std::string data = shell_quote((folder.path / "data").string());
        std::string log = shell_quote((folder.path / "log").string());
        std::string options = "-c listen_addresses=127.0.0.1 -c port=" + std::to_string(port) +
                              " -c unix_socket_directories=" + folder.path.string() + " -c fsync=off";
        Run start = run({"sh", "-c",
                         command(account, std::string(pg_bin) + "/pg_ctl -D " + data + " -l " + log + " -o " +
                                              shell_quote(options) + " -w -t 60 start") +
                             " 2>&1"});
        if (start.status != 0)
            throw std::runtime_error("pg_ctl start failed: " + start.out);
        running = true;
    }
};

PostgresCluster& cluster()
{
    static PostgresCluster c;
    return c;
}

TempFolder& sqlite_folder()
{
    static TempFolder f;
    return f;
}

int next_number()
{
    static int n = 0;
    return ++n;
}

} // namespace

std::string SqliteDb::fresh_connection_string()
{
    auto file = sqlite_folder().path / ("test-" + std::to_string(next_number()) + ".sqlite");
    return "Driver=SQLite3;Database=" + file.string();
}

std::string SqliteDb::unavailable() { return {}; }

std::string PostgresDb::unavailable()
{
    if (!fs::exists(fs::path(pg_bin) / "initdb"))
        return std::string("PostgreSQL server binaries are missing (") + pg_bin + "); install postgresql-15";
    auto& c = cluster();
    return c.running ? std::string() : "the PostgreSQL test cluster did not start: " + c.failure;
}

std::string PostgresDb::fresh_connection_string()
{
    std::string name = "zt" + std::to_string(next_number());
    StubCalendar calendar;
    db::QueryResult q = db::run_query(xll::utf8_to_xstring(connection_string("postgres", port(), password())),
                                      u("CREATE DATABASE " + name + " ENCODING 'UTF8'"), false, calendar);
    if (q.value.is(xltypeStr))
        throw std::runtime_error("CREATE DATABASE failed: " + xll::xstring_to_utf8(q.value.text()));
    return connection_string(name, port(), password());
}

void PostgresDb::stop() { cluster().stop(); }

void PostgresDb::restart()
{
    auto& c = cluster();
    c.stop();
    c.launch();
}

int PostgresDb::port() { return cluster().port; }
std::string PostgresDb::user() { return cluster().user; }
std::string PostgresDb::password() { return cluster().password; }

std::string PostgresDb::connection_string(const std::string& database, int port, const std::string& password)
{
    return "Driver=PostgreSQL Unicode;Server=127.0.0.1;Port=" + std::to_string(port) + ";Database=" + database +
           ";Uid=" + user() + ";Pwd=" + password + ";";
}

} // namespace test
