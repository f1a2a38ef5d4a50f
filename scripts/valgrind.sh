#!/usr/bin/env bash
# Memcheck over the host and the add-in end to end (they share one process, so a report may come
# from either): the demo sheet, SQL literals, text, regular expressions, queries on SQLite and
# the cache, web queries against a local server, macros, alerts and the clock, and an analyst's
# sheet of query columns in cells. Each run must end without a memory error and without a leak
# of ours; what the system's libraries keep for the life of the process is suppressed in
# tests/reliability/valgrind.supp, with the reason for each.
#   scripts/valgrind.sh            (uses the build in VALGRIND_BUILD, default build; builds it)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(realpath -m "${VALGRIND_BUILD:-build}")
if [ ! -x "$build/zorvane" ]; then
  scripts/configure.sh linux "$build"
fi
cmake --build "$build" -j"${JOBS:-2}" --target zorvane Zorvane >/dev/null

work=$(mktemp -d)
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  [ -n "${VALGRIND_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

# The demo sheet with its database beside it, one of our own, and pages for the web functions on
# a local server.
cp demo/demo.sheet "$work/demo.sheet"
python3 demo/make_demo_db.py "$work/zorvane-demo.sqlite" >/dev/null
sqlite3 "$work/shop.db" "CREATE TABLE items (id INTEGER, name VARCHAR(40), price DOUBLE PRECISION, sold TIMESTAMP);
  INSERT INTO items VALUES (1, 'bolt', 0.25, '2014-05-31 18:00:00'), (2, 'nut', 0.1, NULL), (3, 'O''Brien', 12.5, '2014-06-01 08:30:15');"
mkdir -p "$work/www"
printf 'alpha\n42\n\ngamma\n' > "$work/www/lines.txt"
printf '{"city":"Oslo","temp":-3.5,"tags":["a"]}' > "$work/www/data.json"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()')
(cd "$work/www" && exec python3 -m http.server "$port" --bind 127.0.0.1 >/dev/null 2>&1) &
server_pid=$!
for _ in $(seq 50); do
  python3 -c "import socket; socket.create_connection(('127.0.0.1',$port),0.2)" 2>/dev/null && break
  sleep 0.1
done
web="http://127.0.0.1:$port"
shop="Driver=SQLite3;Database=$work/shop.db"

cat > "$work/session.sheet" <<SHEET
A1: =zStatement("$shop","SELECT * FROM items ORDER BY id",TRUE)
print A1
A2: =zSELECT("$shop","name","items",CONCATENATE("name = ",zS("O'Brien")))
print A2
print =zCache_List(TRUE)
run zShowLoadMsg
print status
advance 11
print status
run zClearCache
print =zCache_MemoryUsed()
alert cancel
print =zSplit(REPT(",",16384),",")
SHEET

memcheck=(valgrind -q --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible
          --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes
          --suppressions="$root/tests/reliability/valgrind.supp" --gen-suppressions=all)
host="$build/zorvane"
passed=0
failed=0
check() {
  local name=$1
  shift
  local status=0
  "${memcheck[@]}" "$host" "$@" >"$work/$name.out" 2>"$work/$name.err" || status=$?
  # 99 is memcheck's own verdict; 3 only says that a printed value is a failure, which several
  # checks print on purpose; any other status is the host's failure.
  if [ "$status" -eq 0 ] || [ "$status" -eq 3 ]; then
    passed=$((passed + 1))
    echo "ok   $name" >&2
  else
    failed=$((failed + 1))
    echo "FAIL $name (exit $status)" >&2
    cat "$work/$name.out" "$work/$name.err" >&2
  fi
}

check demo run "$work/demo.sheet"
check literals eval --csv '=zSQLDate(41790)' '=zSQLDateTime(41790.75)' '=zS("O'"'"'Brien")' '=zS(REPT("x",32767))'
check text eval --csv '=zSplit("1,2,3;4,5,6",",",";")' '=zJoin({"a","b","c"},", ")' '=zVersion()' '=zFileLocation()'
check regex eval --csv '=REGEX.MATCH({"123","a123"},"\d+")' '=REGEX.REPLACE("2014-05-31","(\d+)-(\d+)-(\d+)","$3/$2/$1")' \
  '=REGEX.SEARCH("abc123def456","([a-z]+)(\d+)")' '=REGEX.MATCH("a","(unclosed")' '=REGEX.REPLACE("a1b22","\d+","#",REGEX_FORMAT_FIRST_ONLY())'
check queries eval --csv "=zStatement(\"$shop\",\"SELECT * FROM items\",TRUE)" "=zListTables(\"$shop\")" \
  "=zListColumns(\"$shop\",\"items\")" "=zStatement(\"$shop\",\"SELECT * FROM nowhere\")" \
  '=zStatement("Driver=No Such Driver","SELECT 1")' '=zCache_List(TRUE)'
check web eval --csv "=zWebQuery(\"$web/lines.txt\")" "=zWebQueryJSON(\"$web/data.json\")" \
  "=zWebQueryJSON(\"$web/data.json\",\"TEMP\")" '=zWebQuery("http://127.0.0.1:1/")' '=zWebQuery("ftp://x/")'
check session run "$work/session.sheet"
# An analyst's sheet: query columns in cells read by the conditional functions and lookups, LET,
# TEXTSPLIT, a circle of references, and every row as a JSON record.
cat > "$work/analyst.sheet" <<SHEET
B1: =zStatement("$shop","SELECT name FROM items ORDER BY id")
C1: =zStatement("$shop","SELECT price FROM items ORDER BY id")
D1: =E1
E1: =D1
print =SUMIF(B1,"n*",IFNA(C1,0))&" "&SUMIFS(IFNA(C1#,0),B1#,"<>bolt")&" "&COUNTIFS(B1,"*",C1,">0")&" "&MATCH("nut",B1,0)
print =LET(parts,TEXTSPLIT("a,b;c",",",";"),ROWS(parts)&COUNTA(parts)&COUNTBLANK(parts)&ROUNDUP(1.1,0)&TODAY())
print =zStatement("$shop","SELECT * FROM items ORDER BY id",TRUE)
SHEET
check analyst --json=records run "$work/analyst.sheet"

echo "valgrind: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
