#!/usr/bin/env bash
# qemcli span-report, line-report, allowtemp, series, sweep, limits, state and initial on the
# sample network of the data folder.
set -euo pipefail
bin="$1"
. "$(dirname "$0")/common.bash"
[[ -f "$net" ]] || fail "no sample network at $net"

# Span report, menu path and toolbar path (reference state recomputed first).
out=$("$cli" span-report "$net" --line 1 --span 9 --color=never) || fail "span-report exit $?"
grep -q "^Препятствие № 1$" <<<"$out" || fail "span-report: no section header"
grep -q "^       Пролет 9 - 10$" <<<"$out" || fail "span-report: no span line"
grep -Eq "^РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ (МОЖНО|НЕЛЬЗЯ)!!!$" <<<"$out" || fail "span-report: no verdict"
[[ $(grep -c "РАБОТАТЬ ПРИ" <<<"$out") == 1 ]] || fail "span-report: not exactly one verdict"
! grep -q $'\e' <<<"$out" || fail "span-report --color=never printed escapes"
rec=$("$cli" span-report "$net" --line 1 --span 9 --recompute --color=never) || fail "span-report --recompute exit $?"
grep -Eq "^РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ (МОЖНО|НЕЛЬЗЯ)!!!$" <<<"$rec" || fail "span-report --recompute: no verdict"

# Colours: red rows and the blue verdict wrapped in ANSI codes.
col=$("$cli" span-report "$net" --line 2 --span 27 --color=always) || fail "span-report --color=always exit $?"
grep -q $'^\e\\[31m |Ток в проводе, A |.*|\e\\[0m$' <<<"$col" || fail "red conductor row not wrapped in ESC[31m ... ESC[0m"
grep -q $'^\e\\[34mРАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ НЕЛЬЗЯ!!!\e\\[0m$' <<<"$col" || fail "verdict not blue"
plain=$("$cli" span-report "$net" --line 2 --span 27 --color=never)
[[ "$(sed $'s/\e\\[[0-9]*m//g' <<<"$col")" == "$plain" ]] || fail "colours change the text"

# Line report: the table and its summary.
lr=$("$cli" line-report "$net" --line 1 --color=never) || fail "line-report exit $?"
grep -q "^       Результаты расчета$" <<<"$lr" || fail "line-report: no title"
for s in " Макс. допустимый ток, А       - " " Длит. допустимый ток, А       - " \
         " Допустимый ток по габариту, А - " " Макс. температура провода, оС - "; do
    grep -q "^$s" <<<"$lr" || fail "line-report: no summary line '$s'"
done
[[ $(grep -c "^ в пролете " <<<"$lr") == 4 ]] || fail "line-report: not four spans named"
grep -q "^ |-\{146\}|$" <<<"$lr" || fail "line-report: no closing line"

# Allowable temperatures of all lines into a file: Windows-1251 with CR LF, three tables.
"$cli" allowtemp "$net" --all --out "$tmp/qemras.txt" --color=never >"$tmp/at.out" || fail "allowtemp exit $?"
[[ $(grep -c $'\r$' "$tmp/qemras.txt") == $(wc -l <"$tmp/qemras.txt") ]] || fail "qemras.txt: not CR LF throughout"
[[ $(grep -c $'^            \xC2\xCB ' "$tmp/qemras.txt") == 3 ]] || fail "qemras.txt: not three Windows-1251 tables"
[[ $(grep -c "^            ВЛ " "$tmp/at.out") == 3 ]] || fail "allowtemp: printed report lacks the tables"
"$cli" allowtemp "$net" --line 2 --out "$tmp/one.txt" >/dev/null || fail "allowtemp --line exit $?"
[[ $(grep -c $'^            \xC2\xCB ' "$tmp/one.txt") == 1 ]] || fail "allowtemp --line: not one table"

# Series: N1*N2*N3 rows; a second run replaces the file.
"$cli" series "$net" --line 1 --span 2 --n1 2 --n2 2 --n3 3 --dt 5 --dv 1 --di 30 --out "$tmp/111.txt" >/dev/null \
    || fail "series exit $?"
[[ $(wc -l <"$tmp/111.txt") == $((3 + 12 + 1)) ]] || fail "series: wrong number of lines"
"$cli" series "$net" --line 1 --span 2 --n1 1 --n2 1 --n3 1 --dt 0 --dv 0 --di 0 --out "$tmp/111.txt" >/dev/null
[[ $(wc -l <"$tmp/111.txt") == 5 ]] || fail "series: the second run did not replace 111.txt"
"$cli" series "$net" --line 1 --span 2 --n1 0 2>/dev/null && fail "series --n1 0 accepted"

# Sweep: 361 rows and the short footer.
"$cli" sweep "$net" --line 1 --span 2 --out "$tmp/sweep.txt" >/dev/null || fail "sweep exit $?"
[[ $(wc -l <"$tmp/sweep.txt") == $((3 + 361 + 1)) ]] || fail "sweep: wrong number of lines"
[[ "$(tail -n1 "$tmp/sweep.txt")" == "$(printf '%066d' 0 | tr 0 -)"$'\r' ]] || fail "sweep: footer is not 66 dashes"

# Component limits as JSON.
js=$("$cli" limits "$net" --line 1 --json) || fail "limits exit $?"
grep -q '"Temperatures":\[-20,-15,-10,-5,0,5,10,15,20,25,30,35,40,45\]' <<<"$js" || fail "limits: temperatures"
grep -q '"Name":"Провод ВЛ"' <<<"$js" || fail "limits: no line conductor"
grep -q '"BusFailed":false' <<<"$js" || fail "limits: bus rating failed"

# State and reference state.
"$cli" state "$net" --line 1 --span 9 --temp 50 | grep -q '^{"Sigma":' || fail "state"
"$cli" initial "$net" --line 1 --span 9 | grep -q '^{"Si":' || fail "initial"
"$cli" span-report "$net" --line 1 --span 999 2>/dev/null && fail "span-report accepted span 999"
echo ok
