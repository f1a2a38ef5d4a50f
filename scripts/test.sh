#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds Linux and both Windows builds (warnings
# are errors, exports and imports checked), runs every test, then the end-to-end suite again with
# the x86 and x64 Windows host and add-in under Wine, then the sanitizer, memcheck and fuzz runs.
set -euo pipefail
# Every database of the suite must run here: a server that cannot start fails its tests rather
# than skipping them.
export CI=${CI:-1}
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh --windows
ctest --test-dir build --output-on-failure -j2 --timeout 600
scripts/wine-test.sh build build-win32 build-win64
# Reliability: the suite again under AddressSanitizer and UndefinedBehaviorSanitizer, the threaded
# query tests under ThreadSanitizer, memcheck over the host and the add-in end to end, and every
# fuzz target (corpus replay, then 30 s).
scripts/sanitize.sh
scripts/tsan.sh
scripts/valgrind.sh
scripts/fuzz.sh
