#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer: any memory
# error, leak or undefined behaviour in the add-in, the host or a test fails the run. Leaks that
# system libraries keep for the life of the process are suppressed in
# tests/reliability/lsan.supp, with the reason for each.
#   scripts/sanitize.sh            (build folder SANITIZE_BUILD, default build-sanitize)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${SANITIZE_BUILD:-build-sanitize}
# The asan preset keeps every warning an error but -Wmaybe-uninitialized: under
# -fsanitize=address GCC 12 reports uninitialised members inside libstdc++'s <regex> that are not.
scripts/configure.sh asan "$build"
cmake --build "$build" -j"${JOBS:-2}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/reliability/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j"${JOBS:-2}" --timeout 900
