#!/usr/bin/env bash
# qemcli merge: DB_1.qem holds the lines of every other network file of the folder.
set -euo pipefail
bin=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$bin/data/Пример сети.qem" "$tmp/a.qem"
cp "$bin/data/Пример сети.qem" "$tmp/b.QEM"
out=$("$bin/qemcli" merge "$tmp")
echo "$out" | grep -q '"Lines":6' || { echo "unexpected: $out"; exit 1; }
# A second merge leaves the first DB_1.qem out of the sum.
out=$("$bin/qemcli" merge "$tmp")
echo "$out" | grep -q '"Lines":6' || { echo "unexpected second merge: $out"; exit 1; }
"$bin/qemcli" check "$tmp/DB_1.qem" >/dev/null
# A file that is not a network is named and left out.
printf 'junk' > "$tmp/c.qem"
if "$bin/qemcli" merge "$tmp" 2>"$tmp/err" >/dev/null; then echo "damaged file not reported"; exit 1; fi
grep -q 'c.qem' "$tmp/err"
"$bin/qemcli" check "$tmp/DB_1.qem" >/dev/null
echo "merge: ok"
