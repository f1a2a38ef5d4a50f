#!/usr/bin/env python3
"""Sheets of zQuery cells that each wait on the server, through the host, on a local PostgreSQL:
- 24 cells of 0.25 s server time (pg_sleep) and 100 cells of 0.1 s, calculated as the spreadsheet
  calculates asynchronous functions, against the same sheets with --excel-version 12.0 (a host
  without them, where the cells run one after another), measured in the same run;
- one zQuery of 100,000 rows on its own, asynchronous, against the same cell on the older host's
  road and, with --before BUILD, against another build's host (the build before this change).
Every figure is the whole host process, start to exit; the best of REPEAT runs.

  bench/async_bench.py [BUILD_DIR] [--before OTHER_BUILD_DIR]

A throwaway cluster is started in a temporary folder on a free loopback port and removed after."""
import os
import shutil
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from reuse_bench import Cluster, command_line, timed  # noqa: E402

REPEAT = int(os.environ.get("REPEAT", "5"))


def sheet(path, cs, cells, statement):
    with open(path, "w") as f:
        f.write("A1: '%s\n" % cs)
        for i in range(1, cells + 1):
            f.write('B%d: =INDEX(zQuery($A$1,"%s",%d),1,2)\n' % (i, statement, i))
        f.write("print B%d\n" % cells)


def best(cmd, expected):
    runs = []
    for _ in range(REPEAT):
        seconds, out = timed(cmd)
        if out.strip() != expected:
            sys.exit("unexpected result of %s: %r" % (" ".join(cmd), out[:80]))
        runs.append(seconds)
    return min(runs)


def main():
    host, before = command_line()
    folder = tempfile.mkdtemp(prefix="zorvane-async-bench-")
    cluster = None
    try:
        cluster = Cluster(folder)
        cs = cluster.connection_string()
        print("zQuery sheets on local PostgreSQL 15 through psqlODBC (whole host process, best of %d)" % REPEAT)
        # Four at once make 24 cells of 0.25 s six turns, 1.5 s of server time before the host's own.
        for cells, wait, limit, target in ((24, "0.25", "", 1.5), (24, "0.25", "MaxQueries=8;", 1.5),
                                           (100, "0.1", "", 4.0)):
            path = os.path.join(folder, "sleep-%d.sheet" % cells)
            sheet(path, cs + limit, cells, "SELECT pg_sleep(%s)::text, CAST(? AS INTEGER)" % wait)
            concurrent = best([host, "run", path], str(cells))
            serial = best([host, "--excel-version", "12.0", "run", path], str(cells))
            print("  %3d cells of %4s s%-14s: asynchronous %6.2f s, one after another (12.0) %6.2f s, "
                  "ratio %.2f (at most %.1f s wanted)" % (cells, wait, " " + limit.rstrip(";"), concurrent, serial,
                                                          concurrent / serial, target))
        rows = os.path.join(folder, "rows.sheet")
        with open(rows, "w") as f:
            f.write("A1: '%s\n" % cs)
            f.write('B1: =ROWS(zQuery($A$1,"SELECT g, \'name \' || g, g * 0.5 FROM generate_series(1, ?) AS g",'
                    '100000))\n')
            f.write("print B1\n")
        alone = best([host, "run", rows], "100000")
        sync = best([host, "--excel-version", "12.0", "run", rows], "100000")
        print("  100,000 rows: asynchronous %.3f s, the older host's road %.3f s, ratio %.2f"
              % (alone, sync, alone / sync))
        if before:
            earlier = best([os.path.join(before, "zorvane"), "run", rows], "100000")
            print("  100,000 rows: %s %.3f s, this build / that one %.2f (1.0 within noise wanted)"
                  % (before, earlier, alone / earlier))
    finally:
        if cluster:
            cluster.stop()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
