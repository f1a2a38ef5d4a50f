#!/usr/bin/env bash
# Builds the Linux add-in, host and tests into build/, or with --windows also both Windows builds
# (Zorvane.xll, zorvane.exe and our XLCall32.dll) into build-win32/ and build-win64/. Warnings are
# errors. Target names instead of --windows build only those targets of build/.
#   scripts/build.sh [--windows | TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -DZORVANE_WERROR=ON >/dev/null
if [ $# -gt 0 ] && [ "$1" != "--windows" ]; then
  cmake --build build -j"$jobs" --target "$@"
  exit 0
fi
cmake --build build -j"$jobs"

if [ "${1:-}" = "--windows" ]; then
  for arch in i686:build-win32 x86_64:build-win64; do
    tc=${arch%%:*}; dir=${arch##*:}
    cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$tc.cmake" -DZORVANE_WERROR=ON >/dev/null
    cmake --build "$dir" -j"$jobs"
    scripts/check-windows-dll.sh "$dir/Zorvane.xll" "$tc" "$dir/generated/Zorvane.def"
    scripts/check-windows-host.sh "$dir" "$tc"
  done
fi
