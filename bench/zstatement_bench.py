#!/usr/bin/env python3
"""zStatement through the headless host against python3-pyodbc's fetchall, over the same SQLite
ODBC driver and the same files, measured in the same run. Best of REPEAT runs each.

Two views:
- query: zStatement's own elapsed time for the database work into the worksheet array (the
  "ms" column of zCache_List) against pyodbc's connect + execute + fetchall in the interpreter;
- process: the wall time of `zorvane eval` running the query, less that of the same process
  evaluating a constant, against the wall time of a Python process doing the fetchall, less that
  of one only importing pyodbc. This adds the host's copy of the array and both teardowns."""
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_bench_db  # noqa: E402

SIZES = [int(n) for n in os.environ.get("SIZES", "10000,100000,1000000").split(",")]
REPEAT = int(os.environ.get("REPEAT", "3"))
PYODBC_PYTHON = "/usr/bin/python3"  # Debian's python3-pyodbc belongs to the system interpreter
PEER = os.path.join(HERE, "pyodbc_fetchall.py")


def best_wall(cmd):
    best, out = None, ""
    for _ in range(REPEAT):
        t0 = time.perf_counter()
        out = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
        elapsed = time.perf_counter() - t0
        best = elapsed if best is None else min(best, elapsed)
    return best, out


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build")
    host = os.path.join(build, "zorvane")
    if not os.path.exists(host):
        sys.exit("no host at %s: build first (cmake --build %s)" % (host, build))
    with tempfile.TemporaryDirectory(prefix="zorvane-bench-") as tmp:
        host_base, _ = best_wall([host, "eval", "--csv", "=ROWS({1;2})"])
        py_base, _ = best_wall([PYODBC_PYTHON, PEER, "-", "once"])
        print("baselines subtracted in the process view: zorvane %.1f ms, python %.1f ms"
              % (host_base * 1000, py_base * 1000))
        print("%9s | %-37s | %-37s" % ("", "query (add-in vs fetchall)", "process (end to end)"))
        print("%9s | %9s %9s %9s %6s | %9s %9s %9s %6s" % ("rows", "zS s", "py s", "zS us/row", "ratio",
                                                           "zS s", "py s", "zS us/row", "ratio"))
        for rows in SIZES:
            path = os.path.join(tmp, "orders-%d.sqlite" % rows)
            make_bench_db.build(path, rows)
            query = '=ROWS(zStatement("Driver=SQLite3;Database=%s","SELECT * FROM orders",TRUE))' % path
            best_ms = None
            wall = None
            for _ in range(REPEAT):
                t0 = time.perf_counter()
                out = subprocess.run([host, "eval", "--csv", query, "=INDEX(zCache_List(FALSE),1,2)"], check=True,
                                     capture_output=True, text=True).stdout.splitlines()
                elapsed = time.perf_counter() - t0
                if out[1] != str(rows + 1):
                    sys.exit("zStatement returned %r for %d rows" % (out[1], rows))
                ms = float(out[3])
                best_ms = ms if best_ms is None else min(best_ms, ms)
                wall = elapsed if wall is None else min(wall, elapsed)
            ours_query, ours_process = best_ms / 1000, wall - host_base
            py = subprocess.run([PYODBC_PYTHON, PEER, path, str(REPEAT)], check=True, capture_output=True,
                                text=True).stdout.split()
            if int(py[1]) != rows:
                sys.exit("pyodbc returned %s rows for %d" % (py[1], rows))
            py_query = float(py[0])
            py_wall, _ = best_wall([PYODBC_PYTHON, PEER, path, "once"])
            py_process = py_wall - py_base
            print("%9d | %9.3f %9.3f %9.2f %6.2f | %9.3f %9.3f %9.2f %6.2f"
                  % (rows, ours_query, py_query, ours_query / rows * 1e6, py_query / ours_query,
                     ours_process, py_process, ours_process / rows * 1e6, py_process / ours_process))
        print("ratio = pyodbc time / zStatement time: above 1, zStatement is the faster")


if __name__ == "__main__":
    main()
