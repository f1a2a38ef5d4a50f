#!/usr/bin/env bash
# The tests that run queries on worker threads, built with ThreadSanitizer: Esc, cancels and
# abandoned runs on SQLite, PostgreSQL and MariaDB, the kept connections, and queries that run at
# once (the scheduler, zQuery's waiting cells). Any data race in the
# add-in or a test fails the run; reports inside third-party drivers other than SQLite's are
# suppressed in tests/reliability/tsan.supp, each with its reason. Only these programs are built,
# to keep the run short.
#   scripts/tsan.sh            (build folder TSAN_BUILD, default build-tsan)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${TSAN_BUILD:-build-tsan}
scripts/configure.sh tsan "$build"
cmake --build "$build" -j"${JOBS:-2}" --target test_db_cancel test_db_reuse test_db_concurrent

export TSAN_OPTIONS=${TSAN_OPTIONS:-suppressions=$root/tests/reliability/tsan.supp:halt_on_error=1:second_deadlock_stack=1}
ctest --test-dir "$build" --output-on-failure -j"${JOBS:-2}" --timeout 600 -R '^(QueryTexts|SqliteRoad|ServerCancel|ConnectionPool|KeptConnection|KeptPostgres|QueryScheduler|WaitingCells)\.'
