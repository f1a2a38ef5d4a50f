#!/usr/bin/env python3
"""Large results on every engine, in one run: zStatement's whole host run against python3-pyodbc's
fetchall over the same driver and against the barest C++ ODBC loops (odbc_floor), and the peak
memory of a million-row fetch against pyodbc's.

  bench/large_results_bench.py [BUILD_DIR]

The floor is also timed on a second thread while the first waits for it, as the add-in's fetch
runs beside the spreadsheet's thread (so that Esc can stop it): what a process with threads pays for
its locks, the C library's heap among them, the add-in pays too. And on the first thread once a
second has started and ended, which shows that price to be the process's, wherever the loop runs.

Times are process wall times, best of REPEAT rounds taken in turn, less each program's own
baseline (the host evaluating a constant, Python importing pyodbc, odbc_floor doing nothing). Each
ratio is also given as the median of the ratios within a round: the two commands of a round ran
one after the other, so a slow spell of the shared machine moves both, where it may give one of
them a best time the other never had.
Peaks are the maximum resident size /usr/bin/time reports for the whole process. Environment:
ENGINES (sqlite, postgresql, mariadb), ROWS (100000), BIG_ROWS (1000000; 0 skips the peak), REPEAT (5)."""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import bench_servers  # noqa: E402
import make_bench_db  # noqa: E402

ENGINES = os.environ.get("ENGINES", "sqlite,postgresql,mariadb").split(",")
ROWS = int(os.environ.get("ROWS", "100000"))
BIG_ROWS = int(os.environ.get("BIG_ROWS", "1000000"))
REPEAT = int(os.environ.get("REPEAT", "5"))
PYTHON = "/usr/bin/python3"  # Debian's python3-pyodbc belongs to the system interpreter
PEER = os.path.join(HERE, "pyodbc_fetchall.py")
FLOOR_MODES = ["cell-wide", "cell-narrow", "bound-64", "bound-512", "bound-64-narrow", "bound-512-narrow",
               "bound-64-narrow-typed", "bound-512-narrow-typed", "bound-512-narrow-typed-dates"]
# The fastest loops again on a second thread, while the first waits: as the add-in's fetch runs.
WORKER_MODES = ["bound-64-narrow-worker", "bound-512-narrow-worker", "bound-512-narrow-typed-worker",
                "bound-512-narrow-typed-dates-worker"]
# The same loops on the first thread of a process that has had a second: what the thread costs
# the process, wherever the loop runs.
AFTER_THREAD_MODES = [m[:-len("-worker")] + "-after-thread" for m in WORKER_MODES]


def rounds(cmds):
    """Each command's wall times, one a round. The commands take turns, a round at a time, so that
    a slow spell of the shared machine falls on all of them alike rather than on one."""
    times = [[] for _ in cmds]
    for _ in range(REPEAT):
        for i, cmd in enumerate(cmds):
            t0 = time.perf_counter()
            subprocess.run(cmd, check=True, capture_output=True)
            times[i].append(time.perf_counter() - t0)
    return times


def walls(cmds):
    """The best wall time of each command."""
    return [min(t) for t in rounds(cmds)]


def paired(a, a_base, b, b_base):
    """The median over the rounds of a's time over b's, each less its baseline."""
    return statistics.median((x - a_base) / (y - b_base) for x, y in zip(a, b))


def peak(cmd):
    """Wall seconds and the maximum resident size in MB of one run."""
    t0 = time.perf_counter()
    out = subprocess.run(["/usr/bin/time", "-v"] + cmd, check=True, capture_output=True, text=True)
    elapsed = time.perf_counter() - t0
    kb = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", out.stderr).group(1))
    return elapsed, kb / 1024


def host_cmd(host, conn, table, rows):
    query = '=ROWS(zStatement("%s","SELECT * FROM %s",TRUE))' % (conn, table)
    out = subprocess.run([host, "eval", "--csv", query], check=True, capture_output=True, text=True).stdout
    if out.strip() != str(rows + 1):
        sys.exit("zStatement returned %r for %d rows" % (out, rows))
    return [host, "eval", "--csv", query]


class SqliteSource:
    def __init__(self, folder):
        self.folder = folder

    def fill(self, name, rows):
        path = os.path.join(self.folder, name + ".sqlite")
        make_bench_db.build(path, rows)
        self.path = path

    def connection_string(self):
        return "Driver=SQLite3;Database=" + self.path

    def close(self):
        pass


def source(engine, folder):
    return {"sqlite": lambda: SqliteSource(folder), "postgresql": bench_servers.Postgres,
            "mariadb": bench_servers.Maria}[engine]()


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build")
    host, floor = os.path.join(build, "zorvane"), os.path.join(build, "bench", "odbc_floor")
    for program in (host, floor):
        if not os.path.exists(program):
            sys.exit("no %s: build first (scripts/build.sh zorvane Zorvane odbc_floor)" % program)
    host_base, py_base, floor_base = walls([[host, "eval", "--csv", "=ROWS({1;2})"], [PYTHON, PEER, "-", "once"],
                                            [floor, "-", "-", "none"]])
    print("baselines: zorvane %.1f ms, python %.1f ms, odbc_floor %.1f ms"
          % (host_base * 1e3, py_base * 1e3, floor_base * 1e3))
    with tempfile.TemporaryDirectory(prefix="zorvane-bench-") as tmp:
        for engine in ENGINES:
            db = source(engine, tmp)
            try:
                table = "orders"  # the peer's statement names it
                db.fill("small", ROWS)
                conn = db.connection_string()
                modes = FLOOR_MODES + WORKER_MODES + AFTER_THREAD_MODES
                all_times = rounds([host_cmd(host, conn, table, ROWS), [PYTHON, PEER, conn, "once"]] +
                                   [[floor, conn, "SELECT * FROM " + table, m] for m in modes])
                times = [min(t) for t in all_times]
                ours, py = times[0] - host_base, times[1] - py_base
                floors = {m: t - floor_base for m, t in zip(modes, times[2:])}
                best = min(FLOOR_MODES, key=floors.get)
                floor_times = all_times[2 + modes.index(best)]
                worker = min(WORKER_MODES, key=floors.get)
                worker_times = all_times[2 + modes.index(worker)]
                print("%s, %d x 8: zStatement %.3f s, pyodbc %.3f s (x%.2f faster, x%.2f in the rounds' median),"
                      " floor %s %.3f s (x%.2f of it, x%.2f in the rounds' median); floors: %s"
                      % (engine, ROWS, ours, py, py / ours, 1 / paired(all_times[0], host_base, all_times[1], py_base),
                         best, floors[best], ours / floors[best],
                         paired(all_times[0], host_base, floor_times, floor_base),
                         ", ".join("%s %.3f" % (m, t) for m, t in floors.items())))
                print("%s, %d x 8: zStatement x%.2f of the floor %s on a worker thread (x%.2f in the rounds' median)"
                      % (engine, ROWS, ours / floors[worker], worker,
                         paired(all_times[0], host_base, worker_times, floor_base)))
                after = min(AFTER_THREAD_MODES, key=floors.get)
                print("%s, %d x 8: the floor %s on the first thread after a second has been x%.2f of the"
                      " fastest floor; zStatement x%.2f of it (x%.2f in the rounds' median)"
                      % (engine, ROWS, after, floors[after] / floors[best], ours / floors[after],
                         paired(all_times[0], host_base, all_times[2 + modes.index(after)], floor_base)))
                if BIG_ROWS and engine != "mariadb":
                    db.fill("big", BIG_ROWS)
                    conn = db.connection_string()
                    ours_s, ours_mb = peak(host_cmd(host, conn, table, BIG_ROWS))
                    py_s, py_mb = peak([PYTHON, PEER, conn, "once"])
                    print("%s, %d x 8: zStatement %.2f s, peak %.0f MB; pyodbc %.2f s, peak %.0f MB;"
                          " peak ratio %.2f" % (engine, BIG_ROWS, ours_s, ours_mb, py_s, py_mb, ours_mb / py_mb))
            finally:
                db.close()


if __name__ == "__main__":
    main()
