#!/usr/bin/env bash
# Builds the Linux add-in, host and tests into build/, or with --windows also both Windows builds
# (Zorvane.xll, zorvane.exe and our XLCall32.dll) into build-win32/ and build-win64/, each folder
# configured from its preset in CMakePresets.json. Warnings are errors. Target names instead of
# --windows build only those targets of build/.
#   scripts/build.sh [--windows | TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

scripts/configure.sh linux build
if [ $# -gt 0 ] && [ "$1" != "--windows" ]; then
  cmake --build build -j"$jobs" --target "$@"
  exit 0
fi
cmake --build build -j"$jobs"

if [ "${1:-}" = "--windows" ]; then
  for target in i686:win32:build-win32 x86_64:win64:build-win64; do
    IFS=: read -r tc preset dir <<< "$target"
    scripts/configure.sh "$preset" "$dir"
    cmake --build "$dir" -j"$jobs"
    scripts/check-windows-dll.sh "$dir/Zorvane.xll" "$tc" "$dir/generated/Zorvane.def"
    scripts/check-windows-host.sh "$dir" "$tc"
  done
fi
