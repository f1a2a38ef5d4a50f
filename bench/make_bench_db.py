#!/usr/bin/env python3
"""Builds the benchmark's SQLite file: ROWS rows of 8 mixed columns (integer, text, double,
integer, 64-bit integer, date, timestamp, text with NULLs)."""
import datetime
import sqlite3
import sys


def build(path, rows):
    con = sqlite3.connect(path)
    con.execute("DROP TABLE IF EXISTS orders")
    con.execute("CREATE TABLE orders (id INTEGER, customer VARCHAR(40), amount DOUBLE PRECISION, qty INTEGER, "
                "ref BIGINT, day DATE, stamp TIMESTAMP, note VARCHAR(80))")
    start = datetime.datetime(2014, 1, 1)
    names = ["Müller GmbH", "Søren & Co", "日本商事", "Acme Ltd", "Zorvane"]

    def row(i):
        t = start + datetime.timedelta(seconds=i * 37)
        return (i, names[i % len(names)] + " " + str(i % 1000), i * 0.25, i % 97, 5000000000 + i,
                t.strftime("%Y-%m-%d"), t.strftime("%Y-%m-%d %H:%M:%S"),
                None if i % 10 == 0 else "note number %d" % i)

    con.executemany("INSERT INTO orders VALUES (?, ?, ?, ?, ?, ?, ?, ?)", (row(i) for i in range(rows)))
    con.commit()
    con.close()


if __name__ == "__main__":
    build(sys.argv[1], int(sys.argv[2]))
