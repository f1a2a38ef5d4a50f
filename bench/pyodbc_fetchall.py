#!/usr/bin/python3
"""The peer: python3-pyodbc's fetchall over the same driver and file.

  pyodbc_fetchall.py PATH REPEAT   prints the best seconds of connect + execute + fetchall, and
                                   the row count
  pyodbc_fetchall.py PATH once     runs it once, for timing the whole process
  pyodbc_fetchall.py - once        only imports pyodbc: the process baseline
PATH may also be a whole connection string (one holding "="), for the servers' drivers."""
import sys
import time

import pyodbc


def fetch(path):
    con = pyodbc.connect(path if "=" in path else "Driver=SQLite3;Database=" + path)
    rows = con.cursor().execute("SELECT * FROM orders").fetchall()
    con.close()
    return rows


path, repeat = sys.argv[1], sys.argv[2]
if repeat == "once":
    if path != "-":
        fetch(path)
    sys.exit(0)
best = None
for _ in range(int(repeat)):
    t0 = time.perf_counter()
    rows = fetch(path)
    elapsed = time.perf_counter() - t0
    best = elapsed if best is None else min(best, elapsed)
print("%.6f %d" % (best, len(rows)))
