#include "databases.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "db/statement_run.h"
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

// The servers refuse to run as root: as root, the cluster belongs to an unprivileged account
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
        throw std::runtime_error("no unprivileged account to run the database servers");
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

// What every throwaway server has: its folder, its account, its loopback port and test user, and
// why it did not start, if it did not.
struct TestServer {
    TempFolder folder;
    ServerAccount account;
    int port = 0;
    std::string user = "zorvane";
    std::string password = "Zorvane-Secret-1";
    bool running = false;
    std::string failure;

    // Runs start, keeping its failure for unavailable(); stop then cleans up what was started.
    template <class Server> static void launch_or_note(Server& server)
    {
        try {
            server.start();
        }
        catch (const std::exception& e) {
            server.failure = e.what();
            server.stop();
        }
    }
};

struct PostgresCluster : TestServer {
    PostgresCluster() { launch_or_note(*this); }
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

const char* const mariadb_server = "/usr/sbin/mariadbd";

// A throwaway MariaDB server: its own data folder and socket in a temporary folder, TCP on a free
// loopback port only, a user with a password for the driver; shut down and removed at exit.
struct MariaServer : TestServer {
    MariaServer() { launch_or_note(*this); }
    ~MariaServer() { stop(); }

    std::string socket() const { return (folder.path / "socket").string(); }

    std::string client(const std::string& database = "") const
    {
        return "mariadb --no-defaults --socket=" + shell_quote(socket()) + " --user=root" +
               (database.empty() ? "" : " --database=" + shell_quote(database));
    }

    // One command of the server's administration client over its socket, as root; whether it
    // succeeded.
    bool admin(const std::string& verb) const
    {
        return run({"sh", "-c", "mariadb-admin --no-defaults --socket=" + shell_quote(socket()) + " --user=root " +
                                    verb + " >/dev/null 2>&1"})
                   .status == 0;
    }

    void stop()
    {
        if (!running)
            return;
        admin("shutdown");
        // The server is gone once its pid file is.
        for (int i = 0; i < 600 && fs::exists(folder.path / "pid"); ++i)
            usleep(100000);
        running = false;
    }

    void start()
    {
        account = server_account();
        if (account.as_other && chown(folder.path.c_str(), account.uid, account.gid) != 0)
            throw std::runtime_error("cannot hand the server folder to the server account");
        std::string data = shell_quote((folder.path / "data").string());
        // Temporary tables of a server's own: servers started side by side (one per test program)
        // would otherwise meet in the shared temporary folder under the same names.
        fs::create_directory(folder.path / "tmp");
        if (account.as_other && chown((folder.path / "tmp").c_str(), account.uid, account.gid) != 0)
            throw std::runtime_error("cannot hand the temporary folder to the server account");
        const std::string tmp = "env TMPDIR=" + shell_quote((folder.path / "tmp").string()) + " ";
        Run init = run({"sh", "-c",
                        command(account, tmp + "mariadb-install-db --no-defaults --datadir=" + data +
                                             " --auth-root-authentication-method=normal --skip-test-db") +
                            " 2>&1"});
        if (init.status != 0)
            throw std::runtime_error("mariadb-install-db failed: " + init.out);
        port = static_cast<int>(closed_port());
        launch();
        Run grant = run({"sh", "-c", client() + " -e " +
                                         shell_quote("CREATE USER '" + user + "'@'127.0.0.1' IDENTIFIED BY '" +
                                                     password + "'; GRANT ALL ON *.* TO '" + user + "'@'127.0.0.1';") +
                                         " 2>&1"});
        if (grant.status != 0)
            throw std::runtime_error("cannot make the test user: " + grant.out);
    }

    // The server on its data folder and port, as first started or after a stop.
    void launch()
    {
        std::string data = shell_quote((folder.path / "data").string());
        const std::string tmp = "env TMPDIR=" + shell_quote((folder.path / "tmp").string()) + " ";
        std::string options = " --no-defaults --datadir=" + data + " --port=" + std::to_string(port) +
                              " --bind-address=127.0.0.1 --skip-name-resolve --socket=" + shell_quote(socket()) +
                              " --tmpdir=" + shell_quote((folder.path / "tmp").string()) +
                              " --pid-file=" + shell_quote((folder.path / "pid").string()) +
                              " --log-error=" + shell_quote((folder.path / "log").string()) +
                              " --innodb-buffer-pool-size=32M --innodb-log-file-size=16M"
                              " --character-set-server=utf8mb4 --collation-server=utf8mb4_bin"
                              " --max-recursive-iterations=10000000"; // 1000 by default, silently
        // The server stays in the foreground of a shell of its own that nothing waits for.
        Run launched = run({"sh", "-c", command(account, tmp + mariadb_server + options) + " >/dev/null 2>&1 &"});
        if (launched.status != 0)
            throw std::runtime_error("mariadbd did not start");
        running = true;
        bool up = false;
        for (int i = 0; i < 600 && !up; ++i) {
            up = admin("ping");
            if (!up)
                usleep(100000);
        }
        if (!up)
            throw std::runtime_error("mariadbd did not answer within 60 s: " + log());
    }

    std::string log() const
    {
        std::ifstream in(folder.path / "log");
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
};

MariaServer& maria()
{
    static MariaServer m;
    return m;
}

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

// Runs CREATE DATABASE through the driver, on a connection to a database the server has.
void create_database(const std::string& existing, const std::string& statement)
{
    StubCalendar calendar;
    db::QueryResult q = test::run_query(xll::utf8_to_xstring(existing), u(statement), false, calendar);
    if (q.value.is(xltypeStr))
        throw std::runtime_error("CREATE DATABASE failed: " + xll::xstring_to_utf8(q.value.text()));
}

// The server's first process, from the pid file it wrote (first line).
pid_t pid_in(const fs::path& file)
{
    std::ifstream in(file);
    long pid = 0;
    in >> pid;
    return static_cast<pid_t>(pid);
}

// The process and its children, as the kernel lists them.
std::vector<pid_t> process_tree(pid_t root)
{
    std::vector<pid_t> all{root};
    for (size_t i = 0; i < all.size(); ++i) {
        std::ifstream in("/proc/" + std::to_string(all[i]) + "/task/" + std::to_string(all[i]) + "/children");
        for (long child = 0; in >> child;)
            all.push_back(static_cast<pid_t>(child));
    }
    return all;
}

void signal_tree(pid_t root, int signal)
{
    if (root <= 0)
        return;
    for (pid_t pid : process_tree(root))
        kill(pid, signal);
}

// The process that started pid, from the fourth field of its stat line; 0 when gone.
pid_t parent_of(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const size_t name_end = line.rfind(')');
    if (name_end == std::string::npos)
        return 0;
    std::istringstream rest(line.substr(name_end + 1));
    char state = 0;
    long parent = 0;
    rest >> state >> parent;
    return static_cast<pid_t>(parent);
}

// Thaws the tree, and the account switcher it runs under: runuser stops itself when its child is
// stopped, and stopped it would never reap the server once the server ends, leaving both behind.
void thaw_tree(pid_t root)
{
    signal_tree(root, SIGCONT);
    const pid_t parent = root > 0 ? parent_of(root) : 0;
    if (parent > 1 && parent != getpid())
        kill(parent, SIGCONT);
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
    create_database(connection_string("postgres", port(), password()), "CREATE DATABASE " + name + " ENCODING 'UTF8'");
    return connection_string(name, port(), password());
}

void PostgresDb::stop() { cluster().stop(); }

void PostgresDb::freeze() { signal_tree(pid_in(cluster().folder.path / "data" / "postmaster.pid"), SIGSTOP); }
void PostgresDb::thaw() { thaw_tree(pid_in(cluster().folder.path / "data" / "postmaster.pid")); }

void PostgresDb::restart()
{
    auto& c = cluster();
    c.stop();
    c.launch();
}

std::vector<std::string> PostgresDb::client_command(const std::string& database)
{
    return {std::string(pg_bin) + "/psql", "-X", "-q", "-A", "-t", "-F", "\x1f", "-R", "\x1e", "-P", "null=\x01",
            "-h", "127.0.0.1", "-p", std::to_string(port()), "-U", user(), "-d", database};
}

std::string PostgresDb::client_environment()
{
    return "PGPASSWORD=" + shell_quote(password()) + " PGCLIENTENCODING=UTF8";
}

int PostgresDb::port() { return cluster().port; }
std::string PostgresDb::user() { return cluster().user; }
std::string PostgresDb::password() { return cluster().password; }

bool in_ci()
{
    const char* ci = std::getenv("CI");
    return ci && *ci && std::string(ci) != "false" && std::string(ci) != "0";
}

std::string MariaDb::unavailable()
{
    if (!fs::exists(mariadb_server))
        return std::string("the MariaDB server is missing (") + mariadb_server + "); install mariadb-server";
    auto& m = maria();
    return m.running ? std::string() : "the MariaDB test server did not start: " + m.failure;
}

std::string MariaDb::fresh_connection_string()
{
    std::string name = "zt" + std::to_string(next_number());
    create_database(connection_string("mysql", port(), password()),
                    "CREATE DATABASE " + name + " CHARACTER SET utf8mb4 COLLATE utf8mb4_bin");
    return connection_string(name, port(), password());
}

int MariaDb::port() { return maria().port; }
void MariaDb::stop() { maria().stop(); }

void MariaDb::restart()
{
    auto& m = maria();
    m.stop();
    m.launch();
}

void MariaDb::freeze() { signal_tree(pid_in(maria().folder.path / "pid"), SIGSTOP); }
void MariaDb::thaw() { thaw_tree(pid_in(maria().folder.path / "pid")); }
std::string MariaDb::user() { return maria().user; }
std::string MariaDb::password() { return maria().password; }

std::string MariaDb::connection_string(const std::string& database, int port, const std::string& password)
{
    return "Driver=MariaDB Unicode;Server=127.0.0.1;Port=" + std::to_string(port) + ";Database=" + database +
           ";Uid=" + user() + ";Pwd=" + password + ";";
}

std::vector<std::string> MariaDb::client_command(const std::string& database)
{
    return {"mariadb", "--no-defaults", "--socket=" + maria().socket(), "--user=root", "--database=" + database,
            "--batch", "--skip-column-names", "--default-character-set=utf8mb4"};
}

std::string PostgresDb::connection_string(const std::string& database, int port, const std::string& password)
{
    return "Driver=PostgreSQL Unicode;Server=127.0.0.1;Port=" + std::to_string(port) + ";Database=" + database +
           ";Uid=" + user() + ";Pwd=" + password + ";";
}

} // namespace test
