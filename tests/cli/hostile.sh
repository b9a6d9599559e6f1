#!/usr/bin/env bash
# Damaged and hostile files met from the command line: a damaged conductor catalog is reported
# once by every command that loads it; text from files reaches the terminal without control
# characters; JSON stays valid UTF-8; unusable values and norms are named; a huge network file
# is refused at once and merging goes on without it.
set -euo pipefail
bin="$1"
. "$(dirname "$0")/common.bash"
esc=$'\e'

# Writes bytes (printf escapes) at an offset of a file.
poke() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }
data() { rm -rf "$tmp/data"; mkdir "$tmp/data"; cp "$bin/data/"*.cat "$tmp/data/"; }

# A conductor catalog cut short: said once by each command that loads the catalogs.
data
head -c 100 "$bin/data/glld.cat" >"$tmp/data/glld.cat"
for cmd in "span-report $(printf %q "$net") --line 1 --span 2" "line-report $(printf %q "$net") --line 1" "catalog"; do
    eval "\"$cli\" $cmd --data \"$tmp/data\"" >/dev/null 2>"$tmp/err" || true
    [[ $(grep -c "Файл каталога проводов .* повреждён" "$tmp/err") == 1 ]] || fail "$cmd: catalog damage not said once: $(cat "$tmp/err")"
done

# A line name with escape sequences is printed with '?' in their place.
cp "$net" "$tmp/evil.qem"
poke "$tmp/evil.qem" 4 '\x0a\x1b[2J\x1b]0;x\x07'
out=$("$cli" span-report "$tmp/evil.qem" --line 1 --span 2 --color=never) || fail "span-report of the renamed line"
grep -q "для ВЛ 110 кВ ?\[2J?\]0;x?-" <<<"$out" || fail "escapes not replaced: $(grep 'для ВЛ' <<<"$out")"
col=$("$cli" span-report "$tmp/evil.qem" --line 1 --span 2 --color=always)
stripped=$(sed $'s/^\e\\[3[14]m//; s/\e\\[0m$//' <<<"$col")
[[ $stripped != *"$esc"* ]] || fail "escapes beyond the colours"
"$cli" dump "$tmp/evil.qem" >"$tmp/out"
grep -qF '"From":"\u001b[2J\u001b]0;x\u0007"' "$tmp/out" || fail "dump: escapes not escaped in JSON"

# So is a damaged second line of LODL.txt in the message about it.
data
printf '/tmp\r\n12\e[2J\r\n' >"$tmp/data/LODL.txt"
"$cli" catalog --data "$tmp/data" >/dev/null 2>"$tmp/err" && fail "damaged LODL.txt accepted"
grep -q '"12?\[2J"' "$tmp/err" || fail "LODL.txt message: $(cat "$tmp/err")"
! grep -q "$esc" "$tmp/err" || fail "escape printed from LODL.txt"

# A file name that is not UTF-8 is escaped in the JSON of merge, which stays valid UTF-8.
mkdir "$tmp/m"
cp "$net" "$tmp/m/"$'\xcf\xf0\xe8\xec\xe5\xf0'".qem"
out=$("$cli" merge "$tmp/m") || fail "merge"
grep -qF '"Merged":["\udccf\udcf0\udce8\udcec\udce5\udcf0.qem"]' <<<"$out" || fail "merge JSON: $out"
iconv -f UTF-8 -t UTF-8 <<<"$out" >/dev/null || fail "merge JSON is not UTF-8"

# A cable insert limit that is not finite: named, nothing printed as a number, exit code 1.
cp "$net" "$tmp/cab.qem"
poke "$tmp/cab.qem" 69 '\x00\x00\x80\x7f'
"$cli" limits "$tmp/cab.qem" --line 1 --json >"$tmp/out" 2>"$tmp/err" && fail "limits with CabDDTN = inf succeeded"
grep -q "«ДДТН кабеля» = inf" "$tmp/err" || fail "limits: the cable's ДДТН not named: $(cat "$tmp/err")"
! grep -qi "nan\|inf" "$tmp/out" || fail "limits printed a non-finite value"

# Norms that are not numbers are refused, naming the file.
data
poke "$tmp/data/hdg7.cat" 0 '\x00\x00\xc0\x7f'
"$cli" span-report "$net" --line 1 --span 2 --data "$tmp/data" >"$tmp/out" 2>"$tmp/err" && fail "NaN norms accepted"
grep -q 'hdg7.cat" повреждён: NormGround\[0\]\[0\] = nan' "$tmp/err" || fail "norms: $(cat "$tmp/err")"
[[ ! -s "$tmp/out" ]] || fail "a report with NaN norms"

# A network followed by a gigabyte of nothing: refused at once by check, named by merge.
cp "$net" "$tmp/m/huge.qem"
truncate -s 1G "$tmp/m/huge.qem"
"$cli" check "$tmp/m/huge.qem" >"$tmp/out" && fail "check accepted the huge file"
grep -q "после последней линии лишние" "$tmp/out" || fail "check: $(cat "$tmp/out")"
"$cli" merge "$tmp/m" >"$tmp/out" 2>"$tmp/err" && fail "merge hid the huge file"
grep -q "huge.qem» повреждён: после последней линии лишние .* — файл не включён в DB_1.qem" "$tmp/err" || fail "merge: $(cat "$tmp/err")"
grep -q '"Lines":3' "$tmp/out" || fail "merge left out the sound file: $(cat "$tmp/out")"
echo ok
