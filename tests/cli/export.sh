#!/usr/bin/env bash
# qemcli export and export-all on networks made from the sample (qemtestnet): the workbooks read
# back with openpyxl against qemcli limits, an unrated line reported once and never written, line
# names that a file name cannot hold made safe, --out used as given.
set -euo pipefail
bin="$1"
src="$2"
source "$src/tests/cli/export_setup.bash"
check="$py $src/tests/cli/check_export.py"
net="$tmp/three.qem"
"$cli" dump "$net" > "$tmp/dump.json"
w1="$data/ПС Южная ПС Северная.xlsx"
w2="$data/ПС Заречная ПС Озёрная.xlsx"
w3="$data/ПС Восточная ПС Западная.xlsx"

# The full export of line 1 against the component limits of the same build.
"$cli" limits "$net" --data "$data" --line 1 --json > "$tmp/limits1.json" || fail "limits line 1 exit $?"
out=$("$cli" export "$net" --data "$data" --line 1) || fail "export line 1 exit $?"
[[ "$out" == "$w1" ]] || fail "export printed '$out'"
$check full "$w1" "$tmp/limits1.json" "$tmp/dump.json" 1

# The minimal export: "2.xlsx" holds rows 33 and 34 of the line's table.
"$cli" export "$net" --data "$data" --line 1 --min > /dev/null || fail "export --min exit $?"
$check short "$data/2.xlsx" "$w1"

# Line 2 cannot be rated: said once with line, span and reason; no workbook; exit 1.
if "$cli" limits "$net" --data "$data" --line 2 --json > "$tmp/limits2.json" 2> "$tmp/err"; then fail "limits of an unrated line exit 0"; fi
grep -q '"ConductorFailure":"Невозможно рассчитать' "$tmp/limits2.json" || fail "limits: no ConductorFailure"
grep -q '"DDTN":\[null,null,null,null,null,null,null,null,null,null,null,null,null,null\]' "$tmp/limits2.json" \
    || fail "limits: the unrated conductor has values"
! grep -q '100000' "$tmp/limits2.json" || fail "limits: the starting minimum shows"
[[ $(grep -c "провод ВЛ не рассчитан" "$tmp/err") == 1 ]] || fail "limits: the failure not said exactly once"
for opt in "" "--min"; do
    rm -f "$data/2.xlsx"
    if "$cli" export "$net" --data "$data" --line 2 $opt > /dev/null 2> "$tmp/err"; then fail "export $opt of an unrated line exit 0"; fi
    [[ $(grep -c "ВЛ 220 кВ ПС Заречная-ПС Озёрная: провод ВЛ не рассчитан" "$tmp/err") == 1 ]] || fail "export $opt: message"
    grep -q "пролёта № 3 - 4" "$tmp/err" || fail "export $opt: span not named"
    [[ ! -e "$w2" && ! -e "$data/2.xlsx" ]] || fail "export $opt of an unrated line wrote a workbook"
done

# All lines: the summary blocks, line 2's block without conductor values; exit 1 naming line 2.
rm -f "$w1"
if "$cli" export-all "$net" --data "$data" > "$tmp/written" 2> "$tmp/err"; then fail "export-all with an unrated line exit 0"; fi
grep -q "ПС Заречная-ПС Озёрная" "$tmp/err" || fail "export-all: the unrated line not named"
[[ -e "$w1" && -e "$w3" && ! -e "$w2" ]] || fail "export-all: per-line workbooks"
$check summary "$data/Все_ВЛ.xlsx" "$tmp/dump.json" 2 "$w1" - "$w3"

# A line whose name would leave the data folder gets a safe name inside it; nothing else is written.
before=$(find "$tmp" | sort)
out=$("$cli" export "$tmp/escape.qem" --data "$data" --line 1) || fail "escaping name: exit $?"
[[ "$out" == "$data/_ПС Южная ПС Северная.xlsx" ]] || fail "escaping name written as '$out'"
[[ "$(find "$tmp" | sort)" == "$(printf '%s\n%s' "$before" "$out" | sort)" ]] || fail "escaping name: other files changed"

# A substation name with "/" (imported from a crew's workbook): the workbook takes a safe name, or
# the one --out gives; export-all exits with 1 when it skips a line's workbook.
"$cli" import "$src/tests/core/data/import/one_point.xlsx" --points 1 --data "$data" --new "$tmp/slash.qem" \
    --from "ПС 110/10 Лесная" --to "ПС Бор" > /dev/null 2>&1 || fail "import with a / in the name"
out=$("$cli" export "$tmp/slash.qem" --data "$data" --line 1) || fail "export of a / name: exit $?"
[[ "$out" == "$data/ПС 110_10 Лесная ПС Бор.xlsx" ]] || fail "export of a / name wrote '$out'"
out=$("$cli" export "$tmp/slash.qem" --data "$data" --line 1 --out "$tmp/своя книга.xlsx") || fail "--out: exit $?"
[[ "$out" == "$tmp/своя книга.xlsx" && -s "$out" ]] || fail "--out wrote '$out'"
"$cli" export-all "$tmp/slash.qem" --data "$data" > /dev/null || fail "export-all of a / name: exit $?"
"$cli" import "$src/tests/core/data/import/one_point.xlsx" --points 1 --data "$data" --new "$tmp/clash.qem" \
    --from "шаблон" --to "экспорта" > /dev/null 2>&1 || fail "import of a line named like a template"
if "$cli" export-all "$tmp/clash.qem" --data "$data" --out "$tmp/сводка.xlsx" > /dev/null 2> "$tmp/err"; then
    fail "export-all that skipped a line exit 0"; fi
grep -q 'Книги линий не записаны' "$tmp/err" || fail "export-all: the skipped line not named"
[[ -s "$tmp/сводка.xlsx" ]] || fail "export-all: no summary"

# A missing network file.
if "$cli" export "$tmp/нет.qem" --data "$data" --line 1 2>/dev/null; then fail "missing network exported"; fi
echo "export: ok"
