#!/usr/bin/env bash
# The end-to-end suite again, with the Windows host and add-in under Wine: the same Linux-built
# test programs, the same sheets and expectations, for each Windows build given. Wine brings the
# real ODBC32 (bridged to unixODBC and its drivers), WinHTTP and registry; alerts are answered by
# the host. One private prefix inside the Linux build folder, made once and reused, and one Wine
# server kept alive for the whole run.
#   scripts/wine-test.sh LINUX_BUILD WINDOWS_BUILD...
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
[ $# -gt 1 ] || { echo "usage: $0 LINUX_BUILD WINDOWS_BUILD..." >&2; exit 2; }
linux=$(cd "$1" && pwd); shift

export WINEPREFIX="$linux/wine-prefix" WINEARCH=win64 WINEDEBUG=-all
# No browser or .NET engine: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine reads the Linux command line in the locale's character set: formulas are UTF-8.
export LANG=${LANG:-C.UTF-8}
case "${LANG}" in *UTF-8*|*utf8*) ;; *) export LANG=C.UTF-8 ;; esac
unset DISPLAY WAYLAND_DISPLAY

started=$(date +%s)
logs="$linux/wine-logs"
mkdir -p "$logs"
# Wine's background server keeps every pipe it inherits open: its output goes to files.
mkdir -p "$WINEPREFIX"
{ wineserver -k && wineserver -w; } >/dev/null 2>&1 || true # a server left by an earlier run
wineserver -p >"$logs/wineserver.log" 2>&1 || { cat "$logs/wineserver.log" >&2; exit 1; }
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >"$logs/wineboot.log" 2>&1 || { cat "$logs/wineboot.log" >&2; exit 1; }
else
  wineboot >"$logs/wineboot.log" 2>&1 || { cat "$logs/wineboot.log" >&2; exit 1; }
fi
echo "Wine prefix ready in $(( $(date +%s) - started ))s: $WINEPREFIX"

# Platform differences: the tests named in the table of windows-differences.md are not run here.
skip=$(sed -n 's/^| `\([^`]*\)` |.*/\1/p' "$root/tests/e2e/windows-differences.md" | paste -sd'|' -)

status=0
for build in "$@"; do
  build=$(cd "$build" && pwd)
  for file in zorvane.exe Zorvane.xll XLCall32.dll tests/host_dyncall_tests.exe tests/zorvane_async_addin.xll; do
    [ -f "$build/$file" ] || { echo "$build/$file is missing: build it first (scripts/build.sh --windows)" >&2; exit 1; }
  done
  # A 32-bit build reaches the i386 drivers; the i386 MariaDB driver cannot be installed beside
  # the amd64 one, so it comes unpacked, with a driver list of its own for Wine's process alone.
  odbc_ini=""
  if grep -qE '^ZORVANE_MINGW_ARCH:[A-Z]+=i686$' "$build/CMakeCache.txt" 2>/dev/null && [ ! -e /usr/lib/i386-linux-gnu/odbc/libmaodbc.so ]; then
    odbc_ini=$("$root/scripts/odbc-i386-mariadb.sh" "$linux/odbc-i386") || { echo "no 32-bit MariaDB driver" >&2; status=1; }
  fi
  # The tests run the host as a Linux program: this wrapper gives them its output through files.
  # ZORVANE_WINE_EXE runs a copy of the host instead (the tests of folders named in any letters).
  wrapper="$build/zorvane-wine"
  cat >"$wrapper" <<WRAPPER
#!/bin/sh
out=\$(mktemp) err=\$(mktemp)
${odbc_ini:+ODBCSYSINI='$odbc_ini' }wine "\${ZORVANE_WINE_EXE:-$build/zorvane.exe}" "\$@" >"\$out" 2>"\$err" </dev/null
status=\$?
cat "\$out"; cat "\$err" >&2
rm -f "\$out" "\$err"
exit \$status
WRAPPER
  chmod +x "$wrapper"
  wine winepath -w "$build/Zorvane.xll" >"$logs/winepath.out" 2>/dev/null
  addin=$(tr -d '\r\n' <"$logs/winepath.out")
  # The asynchronous test add-in's Windows build, for the tests of asynchronous calculation.
  wine winepath -w "$build/tests/zorvane_async_addin.xll" >"$logs/winepath.out" 2>/dev/null
  async_addin=$(tr -d '\r\n' <"$logs/winepath.out")

  # The calling conventions of the host, which only a Windows program can check.
  echo "== host dynamic calls of $(basename "$build") under Wine"
  if wine "$build/tests/host_dyncall_tests.exe" >"$logs/dyncall.out" 2>&1 </dev/null; then
    grep -E '^\[  PASSED  \]' "$logs/dyncall.out" || true
  else
    cat "$logs/dyncall.out"; status=1
  fi

  echo "== end-to-end suite with $build/zorvane.exe under Wine"
  t0=$(date +%s)
  ZORVANE_TEST_HOST="$wrapper" ZORVANE_TEST_ADDIN="$addin" ZORVANE_TEST_ASYNC_ADDIN="$async_addin" ZORVANE_TEST_WINDOWS_BUILD="$build" \
    ctest --test-dir "$linux" -L e2e ${skip:+-E "$skip"} --output-on-failure -j2 --timeout 600 || status=1
  echo "== $(basename "$build") under Wine: $(( $(date +%s) - t0 ))s"
done
echo "Wine stage: $(( $(date +%s) - started ))s"
exit $status
