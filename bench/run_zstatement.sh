#!/bin/sh
# zStatement (100,000 x 8 mixed columns and more) against python3-pyodbc's fetchall, one command:
#   bench/run_zstatement.sh [BUILD_DIR]      (default: build, beside this folder)
set -e
here=$(cd "$(dirname "$0")" && pwd)
exec python3 "$here/zstatement_bench.py" "${1:-$here/../build}"
