#!/usr/bin/env bash
# Checks a Windows build of the add-in: every name of its module-definition file (written by the
# build, <build>/generated/Zorvane.def) is exported exactly as written and nothing else is, the host
# library is imported by ordinal only, and nothing but system DLLs is needed.
#   scripts/check-windows-dll.sh DLL i686|x86_64 DEF_FILE
set -euo pipefail
dll=$1 arch=$2 def=$3
dump=$("$arch-w64-mingw32-objdump" -p "$dll")

exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p')
status=0
names=
while read -r line; do
  name=$(printf '%s' "$line" | sed -n 's/^"\{0,1\}\([^"= ]*\)"\{0,1\}.*/\1/p')
  case "$line" in LIBRARY*|EXPORTS*|";"*|"") continue ;; esac
  names+="$name"$'\n'
  if ! grep -qxF -- "$name" <<< "$exports"; then
    echo "$dll: export $name missing" >&2; status=1
  fi
done < "$def"
while read -r name; do
  grep -qxF -- "$name" <<< "$names" || { echo "$dll: exports $name, which $def does not name" >&2; status=1; }
done <<< "$exports"

allowed='^(KERNEL32|USER32|ADVAPI32|ODBC32|WINHTTP|XLCall32|msvcrt|api-ms-win-crt-[a-z0-9-]+|ucrtbase)\.dll$'
for dll_name in $(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p'); do
  if ! grep -qiE "$allowed" <<< "$dll_name"; then
    echo "$dll: imports $dll_name, which is not a system DLL" >&2; status=1
  fi
done

xlcall=$(printf '%s\n' "$dump" | sed -n '/DLL Name: XLCall32.dll/,/^$/p')
if grep -qE '^\s+[0-9a-f]+\s+[0-9]+\s+[A-Za-z_]' <<< "$xlcall"; then
  echo "$dll: XLCall32 imported by name" >&2; status=1
fi
for ord in 1 3; do
  grep -qE "^\s+80+$ord\s+0*$ord\s" <<< "$xlcall" || { echo "$dll: XLCall32 ordinal $ord not imported" >&2; status=1; }
done
[ $status -eq 0 ] && echo "$dll: $(printf "%s\n" "$exports" | grep -c .) exports, system imports only"
exit $status
