#!/usr/bin/env bash
# The 32-bit MariaDB ODBC driver for the 32-bit Windows build under Wine, whose ODBC32 bridges to
# the i386 unixODBC. Debian 12's odbc-mariadb packages of the two architectures replace each
# other, and the Linux suite needs the amd64 one installed: the i386 package is unpacked into a
# folder of the build instead (not installed), and a private copy of the system's driver list names
# it for MariaDB Unicode. Prints the folder to hand the Wine process as ODBCSYSINI; the user's ODBC
# configuration is read, never changed.
#   scripts/odbc-i386-mariadb.sh FOLDER
set -euo pipefail
dir=$(mkdir -p "$1" && cd "$1" && pwd)
lib="$dir/root/usr/lib/i386-linux-gnu/odbc/libmaodbc.so"
if [ ! -f "$lib" ]; then
  rm -rf "$dir/deb" && mkdir -p "$dir/deb"
  if ! (cd "$dir/deb" && apt-get download -qq odbc-mariadb:i386) >/dev/null 2>&1; then
    apt-get update -qq >/dev/null 2>&1 || true
    (cd "$dir/deb" && apt-get download -qq odbc-mariadb:i386) >&2
  fi
  dpkg-deb -x "$dir"/deb/odbc-mariadb_*_i386.deb "$dir/root"
fi
[ -f "$lib" ] || { echo "no i386 MariaDB driver in $dir" >&2; exit 1; }
mkdir -p "$dir/etc"
# The system's drivers, the one of MariaDB Unicode by its unpacked path.
awk -v lib="$lib" '
  /^\[/ { section = $0 }
  section == "[MariaDB Unicode]" && /^[ \t]*Driver[ \t]*=/ { print "Driver=" lib; next }
  { print }
' /etc/odbcinst.ini >"$dir/etc/odbcinst.ini"
if [ -f /etc/odbc.ini ]; then cp /etc/odbc.ini "$dir/etc/odbc.ini"; else : >"$dir/etc/odbc.ini"; fi
echo "$dir/etc"
