#!/usr/bin/env bash
# Installs what building, testing and the demo need on Debian 12, and nothing when it is all there.
# With --linux only what the Linux build and the demo need (no Windows tool chain, no Wine).
# Never touches the user's ODBC configuration: the driver packages register themselves.
set -euo pipefail

packages=(
  cmake make g++ pkg-config libgtest-dev
  unixodbc unixodbc-dev libsqliteodbc odbc-postgresql postgresql
  mariadb-server mariadb-client odbc-mariadb
  libboost1.81-dev nlohmann-json3-dev libcurl4-openssl-dev
  python3 python3-pyodbc sqlite3 openssl ca-certificates
)
[ "${1:-}" = "--linux" ] || packages+=(
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  # The Windows host and add-in run the end-to-end suite under Wine, 64-bit and 32-bit; Wine's
  # ODBC32 bridges to the unixODBC library and the Linux drivers of the matching architecture
  # (the libraries only: the unixodbc programs of two architectures cannot sit side by side).
  wine wine64 wine32:i386 libodbc2:i386 libodbcinst2:i386 libsqliteodbc:i386 odbc-postgresql:i386
  # The i386 odbc-mariadb replaces the amd64 one: wine-test.sh unpacks it beside the build
  # (scripts/odbc-i386-mariadb.sh); the client library it needs installs side by side.
  libmariadb3:i386
  # Fuzz targets (clang's libFuzzer and sanitizer runtimes) and the memcheck run.
  clang libclang-rt-14-dev valgrind
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if [[ " ${missing[*]}" == *":i386"* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
