#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds Linux and both Windows DLLs (warnings are
# errors, exports and imports checked), then runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh --windows
ctest --test-dir build --output-on-failure -j2 --timeout 600
