#!/usr/bin/env bash
# The main job: builds the add-in and the host, makes the demo SQLite database beside the demo
# sheet and runs the sheet of queries through the host. Afterwards `build/zorvane run
# demo/demo.sheet` works as it is, from any folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --linux
mkdir -p build
echo "Building (log in build/demo-build.log) ..." >&2
# The host and the add-in only: the demo needs no tests.
if ! scripts/build.sh zorvane Zorvane > build/demo-build.log 2>&1; then
  tail -n 40 build/demo-build.log >&2
  exit 1
fi
python3 demo/make_demo_db.py >/dev/null
build/zorvane run demo/demo.sheet
