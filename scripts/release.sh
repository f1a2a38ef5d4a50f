#!/usr/bin/env bash
# Release artifacts: dist/x86/Zorvane.xll (32-bit Excel) and dist/x64/Zorvane.xll (64-bit Excel),
# taken from the Windows builds the Wine suite tests (build-win32/, build-win64/; built here with
# warnings as errors when missing or out of date), each checked to export exactly the names of the
# module-definition file its build wrote and to import only system DLLs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

for target in i686:x86:win32:build-win32 x86_64:x64:win64:build-win64; do
  IFS=: read -r arch name preset dir <<< "$target"
  # The configuration the tests run (optimised, with debug information, stripped below).
  scripts/configure.sh "$preset" "$dir"
  cmake --build "$dir" -j"$jobs" --target Zorvane
  mkdir -p "dist/$name"
  cp "$dir/Zorvane.xll" "dist/$name/Zorvane.xll"
  "$arch-w64-mingw32-strip" --strip-debug "dist/$name/Zorvane.xll"
  scripts/check-windows-dll.sh "dist/$name/Zorvane.xll" "$arch" "$dir/generated/Zorvane.def"
done
ls -l dist/x86/Zorvane.xll dist/x64/Zorvane.xll
