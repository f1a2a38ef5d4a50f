#!/usr/bin/env bash
# Installs what building, testing and the demo need on Debian 12, and nothing when it is all there.
# Never touches the user's ODBC configuration: the driver packages register themselves.
set -euo pipefail

packages=(
  cmake make g++ pkg-config libgtest-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  unixodbc unixodbc-dev libsqliteodbc odbc-postgresql postgresql
  libboost1.81-dev nlohmann-json3-dev libcurl4-openssl-dev
  python3 python3-pyodbc sqlite3 openssl ca-certificates
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
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
