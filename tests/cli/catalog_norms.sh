#!/usr/bin/env bash
# qemcli catalog and qemcli norms on the shipped data folder and on a folder without catalogs.
set -euo pipefail
bin="$1"
cli="$bin/qemcli"
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$cli" catalog --data "$bin/data")
grep -q "АС- 240/ 39" <<<"$out" || fail "catalog lacks АС 240/39"
grep -q "80895" <<<"$out" || fail "catalog lacks the breaking force of АС 240/39"
first=$(grep -m1 -- "-  16/  0" <<<"$out") || fail "catalog lacks А 16"
[[ "$first" == *"  1 "* ]] || fail "А 16 is not the first entry: $first"

json=$("$cli" catalog --data "$bin/data" --json)
grep -q '"sorted":true' <<<"$json" || fail "catalog --json not sorted"
grep -q '"Name":"АС","SAlN":240,"SStN":39' <<<"$json" || fail "catalog --json lacks АС 240/39"

out=$("$cli" norms --data "$bin/data")
grep -q "ПУЭ 7" <<<"$out" || fail "norms: no ПУЭ 7"
grep -Eq "^Населенная +23\.0 +15\.5" <<<"$out" || fail "norms: populated-area row"
out6=$("$cli" norms --data "$bin/data" --pue6)
grep -Eq "^Населенная +23\.0 +8\.0" <<<"$out6" || fail "norms --pue6: populated-area row"
"$cli" norms --data "$bin/data" --json | grep -q '"WindReg":\[25,29,32,36,40,45,49,0,0,0\]' || fail "norms --json regions"

empty=$(mktemp -d)
trap 'rm -rf "$empty"' EXIT
if "$cli" catalog --data "$empty" 2>/dev/null; then fail "catalog in an empty folder succeeded"; fi
if "$cli" norms --data "$empty/none" 2>/dev/null; then fail "norms with a missing folder succeeded"; fi
[[ ! -e "$empty/qem.cfg" ]] || fail "a listing wrote qem.cfg"
echo ok
