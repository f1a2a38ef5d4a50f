#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (the fuzz preset: tests/fuzz on the add-in's layers),
# replays each target's corpus, then fuzzes each target in turn for FUZZ_SECONDS (default 30).
# What the fuzzer finds on the way is kept apart from the committed corpus, which stays
# hand-made; a crashing input is saved as <build>/findings/<target>/crash-* and fails the script.
#   scripts/fuzz.sh [TARGET...]        (default: every target)
# Environment: FUZZ_SECONDS, FUZZ_BUILD (default build-fuzz), JOBS (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(realpath -m "${FUZZ_BUILD:-build-fuzz}")
seconds=${FUZZ_SECONDS:-30}

scripts/configure.sh fuzz "$build"
cmake --build "$build" -j"${JOBS:-2}" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in tests/fuzz/*/corpus; do
    targets+=("$(basename "$(dirname "$dir")")")
  done
fi

# Leaks count as findings; the regex and split targets may spend a while on one input, which is
# still far under the time-out.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
passed=0
failed=0
for t in "${targets[@]}"; do
  bin="$build/fuzz_$t"
  corpus="$root/tests/fuzz/$t/corpus"
  findings="$build/findings/$t"
  work="$build/work/$t"
  mkdir -p "$findings" "$work"
  echo "== $t: replaying $(ls "$corpus" | wc -l) corpus inputs, then fuzzing ${seconds}s" >&2
  if "$bin" -runs=0 "$corpus" >"$findings/replay.log" 2>&1 &&
     "$bin" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$findings/" "$work" "$corpus" >"$findings/fuzz.log" 2>&1; then
    grep -E "^stat::number_of_executed_units" "$findings/fuzz.log" | sed "s/^/   $t /" >&2 || true
    passed=$((passed + 1))
  else
    echo "FAILED: $t (see $findings/replay.log and $findings/fuzz.log)" >&2
    tail -n 40 "$findings"/*.log >&2 || true
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
