#!/usr/bin/env bash
# The main job: builds the add-in and the host, makes the demo SQLite database and runs the demo
# sheet of queries through the host.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
python3 demo/make_demo_db.py build/demo.db
ZORVANE_DEMO_DB="$PWD/build/demo.db" build/zorvane run demo/demo.sheet
