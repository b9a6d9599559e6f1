#!/usr/bin/env bash
# qemcli import and template: the crews' template imports into a line whose exported limit table
# is filled; every refusal exits non-zero and leaves the target network file byte for byte as it was.
set -euo pipefail
bin=$1
src=$2
fx=$src/tests/core/data/import
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
q="$bin/qemcli"

# The template, imported as it is, holds no data (its example is on a sheet of its own); filled
# by a crew with the example's values (openpyxl) it makes a line whose exported limit table is
# filled (read back with openpyxl against the program's own limits).
data="$tmp/data"
mkdir "$data"
cp "$bin/data/"*.cat "$bin/data/"*.xlsx "$data/"
for p in 1 2; do
  "$q" template --points $p --out "$tmp/t$p.xlsx"
  if "$q" import "$tmp/t$p.xlsx" --points $p --data "$data" --new "$tmp/e$p.qem" --from "ПС А" --to "ПС Б" \
      >/dev/null 2>"$tmp/err"; then echo "template $p: its example imported"; exit 1; fi
  grep -q 'Таблица пуста' "$tmp/err"
  /usr/bin/python3 - "$tmp/t$p.xlsx" <<'PY'
import sys
from openpyxl import load_workbook
wb = load_workbook(sys.argv[1])
example, sheet = wb["Пример заполнения"], wb["Замеры"]
for c in range(1, example.max_column + 1):
    sheet.cell(3, c).value = example.cell(3, c).value
sheet.cell(3, 1).value = "9.15.26.06.2012"
wb.save(sys.argv[1])
PY
  out=$("$q" import "$tmp/t$p.xlsx" --points $p --data "$data" --new "$tmp/t$p.qem" --from "ПС А" --to "ПС Б")
  echo "$out" | grep -q '"Spans":1,"Imported":1' || { echo "template $p: $out"; exit 1; }
  "$q" limits "$tmp/t$p.qem" --data "$data" --line 1 --json > "$tmp/limits.json"
  grep -q '"ConductorFailure":null' "$tmp/limits.json" || { echo "template $p: the conductor is not rated"; exit 1; }
  "$q" dump "$tmp/t$p.qem" > "$tmp/dump.json"
  "$q" export "$tmp/t$p.qem" --data "$data" --line 1 >/dev/null
  /usr/bin/python3 "$src/tests/cli/check_export.py" full "$data/ПС А ПС Б.xlsx" "$tmp/limits.json" "$tmp/dump.json" 1
done

cp "$bin/data/Пример сети.qem" "$tmp/net.qem"
cp "$tmp/net.qem" "$tmp/orig.qem"
refused() {  # the command must fail with a message and leave net.qem as it was
  if "$q" "$@" >"$tmp/out" 2>"$tmp/err"; then echo "not refused: $*"; exit 1; fi
  [ -s "$tmp/err" ] || { echo "no message: $*"; exit 1; }
  cmp -s "$tmp/net.qem" "$tmp/orig.qem" || { echo "target changed: $*"; exit 1; }
}
refused import "$fx/error_conductor.xlsx" --points 1 --append "$tmp/net.qem"
grep -q 'Провод: АС/241/32 не найден' "$tmp/err"
refused import "$fx/two_points_check.xls" --points 2 --append-to-line "$tmp/net.qem" --line 2
grep -q 'проверьте данные первого замера в пролёте № 2 - 3 (строка 4)' "$tmp/err"
refused import "$fx/error_eleven.xlsx" --points 1 --append "$tmp/net.qem"
refused import "$fx/one_point.xlsx" --points 1 --new "$tmp/net.qem" --from А  # exists: not replaced without --yes
"$q" import "$fx/one_point.xlsx" --points 1 --new "$tmp/unnamed.qem" >/dev/null 2>"$tmp/err" && exit 1
grep -q 'Введите начало и конец линии' "$tmp/err"               # a new line needs its names
[ ! -e "$tmp/unnamed.qem" ]
refused import "$fx/one_point.xlsx" --points 3 --append "$tmp/net.qem"         # usage
refused import "$fx/one_point.xlsx" --points 1 --multi --append-to-line "$tmp/net.qem" --line 1
printf 'junk' > "$tmp/junk.xlsx"
refused import "$tmp/junk.xlsx" --points 1 --append "$tmp/net.qem"
grep -q 'ошибка при открытии' "$tmp/err"

# Accepted imports: a line appended, spans appended to line 1 keeping its class, a file replaced with --yes.
"$q" import "$fx/one_point.xls" --points 1 --append "$tmp/net.qem" --from "ПС Новая" --to "ПС Старая" >/dev/null
"$q" import "$fx/two_points.xlsx" --points 2 --append-to-line "$tmp/net.qem" --line 1 | grep -q '"U":"110","Spans":29,"Imported":3'
"$q" check "$tmp/net.qem" >/dev/null
"$q" import "$fx/multi_line.xlsx" --points 1 --multi --voltage 220 --new "$tmp/net.qem" --yes | grep -q '"Line":2,"From":"ПС Южная"'
echo "import: ok"
