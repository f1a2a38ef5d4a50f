#!/usr/bin/env python3
"""Builds the demo database for demo.sheet: customers with non-ASCII names, and orders with
dates, times, timestamps, decimals, 64-bit integers and NULLs.

    python3 demo/make_demo_db.py [PATH]     (default: zorvane-demo.sqlite beside this script)"""
import os
import sqlite3
import sys

CUSTOMERS = [
    (1, "Müller GmbH", "Berlin", "2012-04-01"),
    (2, "Søren Kierkegaard ApS", "København", "2013-09-15"),
    (3, "日本商事", "東京", "2014-01-20"),
    (4, "Zoë's Café", "Paris", "2014-02-28"),
    (5, "Acme Corp", None, None),
]

# id, customer, ordered (DATE), at (TIME), shipped (TIMESTAMP), amount (NUMERIC), quantity,
# reference (BIGINT beyond 32 bits), note
ORDERS = [
    (101, 1, "2013-12-30", "09:15:00", "2014-01-02 16:45:10", 1250.50, 3, 7000000000123, "urgent"),
    (102, 1, "2014-02-14", "13:45:10", "2014-02-15 08:00:00", 99.95, 1, 5000000001, None),
    (103, 2, "2014-03-05", "17:30:00", None, 42.00, 12, 5000000002, "awaiting stock"),
    (104, 3, "2014-03-06", "06:05:07", "2014-03-10 11:11:11", 123456.78, 250, 6000000000, "大口注文"),
    (105, 4, "2014-05-31", "18:00:00", "2014-06-02 09:30:00", None, 2, 5000000004, "amount to be confirmed"),
    (106, 1, "2014-06-01", "12:00:00", "2014-06-03 14:20:00", 310.00, 5, 5000000005, None),
]


def build(path):
    # Built aside and moved into place: a sheet running meanwhile sees the old file or the new one.
    partial = path + ".partial"
    if os.path.exists(partial):
        os.remove(partial)
    con = sqlite3.connect(partial)
    con.execute("CREATE TABLE customers (id INTEGER PRIMARY KEY, name VARCHAR(60), city VARCHAR(40), since DATE)")
    con.execute("CREATE TABLE orders (id INTEGER PRIMARY KEY, customer_id INTEGER, ordered DATE, ordered_at TIME, "
                "shipped TIMESTAMP, amount NUMERIC(12,2), quantity INTEGER, reference BIGINT, note VARCHAR(80))")
    con.executemany("INSERT INTO customers VALUES (?, ?, ?, ?)", CUSTOMERS)
    con.executemany("INSERT INTO orders VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)", ORDERS)
    con.commit()
    con.close()
    os.replace(partial, path)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "zorvane-demo.sqlite")
    build(target)
    print(target)
