#!/usr/bin/env bash
# Checks a Windows build of the host: zorvane.exe exports the callbacks under their plain names
# (no stdcall decoration), our XLCall32.dll has XLCallVer at ordinal 1 and Excel4v at ordinal 3,
# and neither needs anything but system DLLs (everything else is linked statically).
#   scripts/check-windows-host.sh BUILD_DIR i686|x86_64
set -euo pipefail
dir=$1 arch=$2
objdump="$arch-w64-mingw32-objdump"
status=0
allowed='^(KERNEL32|USER32|ADVAPI32|SHELL32|msvcrt|api-ms-win-crt-[a-z0-9-]+|ucrtbase)\.dll$'

names() { sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p'; }

for file in zorvane.exe XLCall32.dll; do
  dump=$("$objdump" -p "$dir/$file")
  for dll_name in $(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p'); do
    grep -qiE "$allowed" <<<"$dll_name" || { echo "$dir/$file: imports $dll_name, which is not a system DLL" >&2; status=1; }
  done
done

exe_names=$("$objdump" -p "$dir/zorvane.exe" | names)
for name in MdCallBack12 Excel4v XLCallVer; do
  grep -qxF "$name" <<<"$exe_names" || { echo "$dir/zorvane.exe: export $name missing" >&2; status=1; }
done

lib=$("$objdump" -p "$dir/XLCall32.dll")
lib_names=$(printf '%s\n' "$lib" | names)
table=$(printf '%s\n' "$lib" | sed -n '/Export Address Table --/,/^$/p')
for entry in 1:XLCallVer 3:Excel4v; do
  ord=${entry%%:*} name=${entry##*:}
  grep -qE "\+base\[ *$ord\]" <<<"$table" || { echo "$dir/XLCall32.dll: no ordinal $ord" >&2; status=1; }
  grep -qxF "$name" <<<"$lib_names" || { echo "$dir/XLCall32.dll: export $name missing" >&2; status=1; }
done
# The name must sit at its ordinal: the name table's index is the ordinal less the base, 1.
grep -qE "^\s*\[ *0\] XLCallVer$" <<<"$(printf '%s\n' "$lib" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')" \
  || { echo "$dir/XLCall32.dll: XLCallVer is not ordinal 1" >&2; status=1; }
grep -qE "^\s*\[ *2\] Excel4v$" <<<"$(printf '%s\n' "$lib" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')" \
  || { echo "$dir/XLCall32.dll: Excel4v is not ordinal 3" >&2; status=1; }

[ $status -eq 0 ] && echo "$dir: zorvane.exe and XLCall32.dll export the host's entries, system imports only"
exit $status
