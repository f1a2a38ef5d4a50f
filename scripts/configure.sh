#!/usr/bin/env bash
# Configures a build folder from a preset of CMakePresets.json (linux, win32, win64, asan, fuzz).
# A folder configured before the presets, from another source folder or with a toolchain file
# that is gone, is configured afresh.
#   scripts/configure.sh PRESET BUILD_DIR [CMAKE_ARG...]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$1 dir=$2
shift 2
cache="$dir/CMakeCache.txt"
if [ -f "$cache" ]; then
  home=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
  toolchain=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$cache")
  if [ "$home" != "$(pwd -P)" ] || { [ -n "$toolchain" ] && [ ! -f "$toolchain" ]; }; then
    rm -rf "$cache" "$dir/CMakeFiles"
  fi
fi
cmake --preset "$preset" -B "$dir" "$@" >/dev/null
