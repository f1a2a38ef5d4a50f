#!/usr/bin/env python3
"""200 different small queries (SELECT name FROM t WHERE id=N) on a local PostgreSQL through
psqlODBC, in one host process, by zStatement (one after another) and by zQuery (asynchronous, a
few at once), measured in the same run against:
- the same 200 queries with a connection string of their own each, so that every query opens and
  closes its connection, as every query did before connections were kept;
- python3-pyodbc running them on one persistent connection;
- optionally, with --before BUILD, the same sheet through another build's host (an older one).
Process view: wall time of each process less that of a process doing no query (the host running a
sheet of 200 constant cells, Python importing pyodbc). The host and pyodbc run in turn, REPEAT
times, and the ratio is the median of the pairs'; the other figures are the best of REPEAT runs.
The whole-run ratios compare the processes start to exit, the host's start and the interpreter's
included.

  bench/reuse_bench.py [BUILD_DIR] [--before OTHER_BUILD_DIR]

A throwaway cluster is started in a temporary folder on a free loopback port and removed after."""
import os
import pwd
import shutil
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PG_BIN = "/usr/lib/postgresql/15/bin"
PYODBC_PYTHON = "/usr/bin/python3"  # Debian's python3-pyodbc belongs to the system interpreter
REPEAT = int(os.environ.get("REPEAT", "9"))
QUERIES = 200
PASSWORD = "bench-secret"

PEER = r'''
import sys, time
import pyodbc
if sys.argv[1] == "-":
    sys.exit(0)
t0 = time.perf_counter()
con = pyodbc.connect(sys.argv[1])
cur = con.cursor()
for i in range(1, int(sys.argv[2]) + 1):
    rows = cur.execute("SELECT name FROM t WHERE id=%d" % i).fetchall()
    assert rows[0][0] == "name %d" % i
con.close()
print("%.6f" % (time.perf_counter() - t0))
'''


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Cluster:
    """A PostgreSQL cluster of its own; as root it runs as nobody, as the server demands."""

    def __init__(self, folder):
        self.folder = folder
        self.port = free_port()
        self.prefix = []
        if os.geteuid() == 0:
            nobody = pwd.getpwnam("nobody")
            os.chown(folder, nobody.pw_uid, nobody.pw_gid)
            self.prefix = ["runuser", "-u", "nobody", "--"]
        pwfile = os.path.join(folder, "pwfile")
        with open(pwfile, "w") as f:
            f.write(PASSWORD + "\n")
        if self.prefix:
            os.chown(pwfile, pwd.getpwnam("nobody").pw_uid, -1)
        self.data = os.path.join(folder, "data")
        subprocess.run(self.prefix + [PG_BIN + "/initdb", "-D", self.data, "-U", "bench", "--pwfile=" + pwfile,
                                      "--auth-local=trust", "--auth-host=scram-sha-256", "-E", "UTF8", "--no-locale"],
                       check=True, capture_output=True)
        options = "-c listen_addresses=127.0.0.1 -c port=%d -c unix_socket_directories=%s -c fsync=off" % (
            self.port, folder)
        subprocess.run(self.prefix + [PG_BIN + "/pg_ctl", "-D", self.data, "-l", os.path.join(folder, "log"), "-o",
                                      options, "-w", "start"], check=True, capture_output=True)

    def stop(self):
        subprocess.run(self.prefix + [PG_BIN + "/pg_ctl", "-D", self.data, "-m", "fast", "-w", "stop"],
                       capture_output=True)

    def connection_string(self, extra=""):
        return ("Driver=PostgreSQL Unicode;Server=127.0.0.1;Port=%d;Database=postgres;Uid=bench;Pwd=%s;%s"
                % (self.port, PASSWORD, extra))

    def psql(self, sql):
        subprocess.run(self.prefix + [PG_BIN + "/psql", "-h", self.folder, "-p", str(self.port), "-U", "bench",
                                      "-d", "postgres", "-q", "-c", sql], check=True, capture_output=True)


def timed(cmd):
    """Seconds of wall time the process took, and what it printed."""
    t0 = time.perf_counter()
    out = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
    return time.perf_counter() - t0, out


def best_wall(cmd):
    return min(timed(cmd) for _ in range(REPEAT))


def median(values):
    return sorted(values)[len(values) // 2]


def write_sheet(path, cells):
    with open(path, "w") as f:
        for i, formula in enumerate(cells, 1):
            f.write("A%d: %s\n" % (i, formula))
        f.write("print A%d\n" % len(cells))


def command_line():
    """The host of BUILD_DIR (default build/) and the other build of --before, or None."""
    args = sys.argv[1:]
    before = None
    if "--before" in args:
        at = args.index("--before")
        before = args[at + 1]
        del args[at:at + 2]
    build = args[0] if args else os.path.join(HERE, "..", "build")
    host = os.path.join(build, "zorvane")
    if not os.path.exists(host):
        sys.exit("no host at %s: build first" % host)
    if not os.path.exists(PG_BIN + "/initdb"):
        sys.exit("PostgreSQL 15 server binaries are missing (%s)" % PG_BIN)
    return host, before


def main():
    host, before = command_line()
    folder = tempfile.mkdtemp(prefix="zorvane-reuse-bench-")
    cluster = None
    try:
        cluster = Cluster(folder)
        cluster.psql("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40)); "
                     "INSERT INTO t SELECT g, 'name ' || g FROM generate_series(1, 1000) AS g")
        cs = cluster.connection_string()
        kept = os.path.join(folder, "kept.sheet")
        write_sheet(kept, ['=zStatement("%s","SELECT name FROM t WHERE id=%d")' % (cs, i)
                           for i in range(1, QUERIES + 1)])
        # psqlODBC ignores a keyword it does not know: each string is another, the data source the same.
        own = os.path.join(folder, "own.sheet")
        write_sheet(own, ['=zStatement("%s","SELECT name FROM t WHERE id=%d")' % (cluster.connection_string(
            "Bench=%d;" % i), i) for i in range(1, QUERIES + 1)])
        bound = os.path.join(folder, "bound.sheet")
        write_sheet(bound, ['=zQuery("%s","SELECT name FROM t WHERE id=?",%d)' % (cs, i) for i in range(1, QUERIES + 1)])
        constants = os.path.join(folder, "constants.sheet")
        write_sheet(constants, ["=%d" % i for i in range(1, QUERIES + 1)])
        peer = os.path.join(folder, "peer.py")
        with open(peer, "w") as f:
            f.write(PEER)

        host_base, _ = best_wall([host, "run", constants])
        py_base, _ = best_wall([PYODBC_PYTHON, peer, "-"])
        # The two in turn, a ratio per pair: the machine's drift during the run falls out.
        kept_q, py_q, ratios, whole, whole_bound = [], [], [], [], []
        for r in range(REPEAT + 1):
            order = [("kept", [host, "run", kept]), ("py", [PYODBC_PYTHON, peer, cs, str(QUERIES)]),
                     ("bound", [host, "run", bound])]
            times = {}
            for name, cmd in (order if r % 2 else order[::-1]):
                times[name], out = timed(cmd)
                if name != "py" and not out.startswith("name %d" % QUERIES):
                    sys.exit("unexpected result: %r" % out[:80])
            if r == 0:
                continue  # warm-up
            kept_q.append(times["kept"] - host_base)
            py_q.append(times["py"] - py_base)
            ratios.append(kept_q[-1] / py_q[-1])
            whole.append(times["kept"] / times["py"])
            whole_bound.append(times["bound"] / times["py"])
        own_wall, _ = best_wall([host, "run", own])
        own_q = own_wall - host_base

        print("%d distinct queries on local PostgreSQL 15 through psqlODBC (process wall time less that of a "
              "process doing no query; %d runs each)" % (QUERIES, REPEAT))
        print("  baselines: zorvane with %d constant cells %.1f ms, python importing pyodbc %.1f ms"
              % (QUERIES, host_base * 1e3, py_base * 1e3))
        print("  zorvane, connection kept       median %8.1f ms  %6.3f ms/query"
              % (median(kept_q) * 1e3, median(kept_q) * 1e3 / QUERIES))
        print("  pyodbc, one connection         median %8.1f ms  %6.3f ms/query" % (median(py_q) * 1e3,
                                                                                      median(py_q) * 1e3 / QUERIES))
        print("  zorvane, a connection each       best %8.1f ms  %6.3f ms/query" % (own_q * 1e3, own_q * 1e3 / QUERIES))
        if before:
            before_host = os.path.join(before, "zorvane")
            before_base, _ = best_wall([before_host, "run", constants])
            before_wall, _ = best_wall([before_host, "run", kept])
            before_q = before_wall - before_base
            print("  %s, same sheet best %8.1f ms  %6.3f ms/query" % (before_host, before_q * 1e3,
                                                                       before_q * 1e3 / QUERIES))
            print("older build / kept:                        %.1f" % (before_q / median(kept_q)))
        print("a connection each / kept:                  %.1f  (at least 10 wanted)" % (own_q / median(kept_q)))
        print("kept / pyodbc, median of the pairs:        %.2f" % median(ratios))
        print("whole runs, zStatement / pyodbc, median:   %.2f (at most 1.5 wanted)" % median(whole))
        print("whole runs, zQuery / pyodbc, median:       %.2f (at most 1.5 wanted)" % median(whole_bound))
    finally:
        if cluster:
            cluster.stop()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
