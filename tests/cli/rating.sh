#!/usr/bin/env bash
# qemcli rating on the sample network with the shipped weather files: the forecast as JSON (every
# hour rated, the limit table's value beside it, the same hours for 1 and 2 jobs), the year into
# a CSV and a workbook, and the refusals of bad weather and bad usage.
set -euo pipefail
bin="$1"
source "$(dirname "$0")/common.bash"
year="$bin/data/Погода за год (синтетическая).csv"
forecast="$bin/data/Прогноз на 240 ч (пример).csv"

"$cli" rating "$net" --weather "$forecast" --all --json --jobs 1 >"$tmp/1.json" || fail "rating --json"
"$cli" rating "$net" --weather "$forecast" --all --json --jobs 2 >"$tmp/2.json" || fail "rating --json --jobs 2"
cmp -s "$tmp/1.json" "$tmp/2.json" || fail "the hours depend on the number of jobs"
python3 - "$tmp/1.json" <<'PY' || fail "rating JSON"
import json, sys
d = json.load(open(sys.argv[1]))
assert [l["Line"] for l in d["Lines"]] == [1, 2, 3], d["Lines"]
for l in d["Lines"]:
    hours = l["Hours"]
    assert len(hours) == 240 and l["Summary"]["Rated"] == 240, l["Summary"]
    assert hours[0]["Time"] == "2025-07-14T00:00+03:00", hours[0]
    for h in hours:
        assert h["DDTN"] is not None and 0 <= h["DDTN"] <= h["ADTN"] + 1e-9, h
        assert h["Cause"] in ("нагрев", "оборудование") or h["Cause"].startswith("габарит"), h
        assert h["StaticDDTN"] is not None, h
    s = l["Summary"]
    assert abs(s["HeatShare"] + s["ClearanceShare"] + s["EquipmentShare"] - 1) < 1e-3, s
PY

"$cli" rating "$net" --weather "$year" --line 1 --out "$tmp/год.csv" >"$tmp/summary.txt" || fail "rating --out csv"
grep -q "часов: 8760, рассчитано: 8760" "$tmp/summary.txt" || fail "summary: $(cat "$tmp/summary.txt")"
[ "$(wc -l <"$tmp/год.csv")" -eq 8761 ] || fail "CSV rows"
iconv -f cp1251 -t utf-8 "$tmp/год.csv" | sed -n 2p | grep -q "^1;110 кВ ПС Южная-ПС Северная;2025-01-01T00:00+03:00;" ||
    fail "CSV row: $(iconv -f cp1251 -t utf-8 "$tmp/год.csv" | sed -n 2p)"
"$cli" rating "$net" --weather "$forecast" --line 2 --ambient-only --sun classic --out "$tmp/прогноз.xlsx" >/dev/null ||
    fail "rating --out xlsx"
[ -s "$tmp/прогноз.xlsx" ] || fail "no workbook"

# The standards' models and the 30-minute current: the model named, every hour rated, the
# short-time current no less than the hour's conductor АДТН where the present load leaves room for
# it, and with the span that sets it; the CSV with its two columns more.
for m in ieee738 cigre601; do
  "$cli" rating "$net" --weather "$forecast" --line 1 --json --model $m --duration 30 >"$tmp/$m.json" || fail "--model $m"
  python3 - "$tmp/$m.json" "$tmp/1.json" $m <<'PY' || fail "rating --model $m"
import json, sys
d, qem = json.load(open(sys.argv[1])), json.load(open(sys.argv[2]))
assert d["Model"] == sys.argv[3], d.get("Model")
hours, own = d["Lines"][0]["Hours"], qem["Lines"][0]["Hours"]
assert len(hours) == 240 and all(h["DDTN"] is not None for h in hours)
assert any(abs(h["ConductorADTN"] - o["ConductorADTN"]) > 1 for h, o in zip(hours, own)), "same as the program's own"
some = [h for h in hours if h["ShortTime"]["I"] is not None]
assert some and all(h["ShortTime"]["Minutes"] == 30 for h in hours)
for h in some:
    assert h["ShortTime"]["I"] >= h["ConductorADTN"] - 1.1 and h["ShortTime"]["Span"], h
assert d["Lines"][0]["Summary"]["ShortTimeHours"] == len(some)
PY
done
"$cli" rating "$net" --weather "$forecast" --line 1 --duration 15 --load 300 --out "$tmp/15.csv" >"$tmp/15.txt" || fail "--duration --load"
iconv -f cp1251 -t utf-8 "$tmp/15.csv" | sed -n 1p | tr -d "\r" | grep -q ";Ток на 15 мин, А;Ограничивает ток на 15 мин$" || fail "CSV short-time columns"
grep -q "кратковременный ток, А: наименьший" "$tmp/15.txt" || fail "summary of the short-time current"

# Bad weather: refused with the row and the column, exit code 1, nothing written.
printf 'time,air temperature,wind speed,wind direction\n2025-07-01T10:00+03:00,20,2,90\n2025-07-01T12:00+03:00,20,2,90\n' >"$tmp/gap.csv"
if "$cli" rating "$net" --weather "$tmp/gap.csv" --line 1 --out "$tmp/gap-out.csv" 2>"$tmp/err" >/dev/null; then fail "a gap accepted"; fi
grep -q "строка 3, столбец 1 («time»): пропуск" "$tmp/err" || fail "gap message: $(cat "$tmp/err")"
[ ! -e "$tmp/gap-out.csv" ] || fail "output written for refused weather"
printf 'time,air temperature,wind speed,wind direction\n2025-07-01T10:00,20,2,90\n' >"$tmp/nooffset.csv"
if "$cli" rating "$net" --weather "$tmp/nooffset.csv" --line 1 --lon 37 2>"$tmp/err" >/dev/null; then fail "no offset accepted"; fi
grep -q "время без смещения от UTC" "$tmp/err" || fail "offset message: $(cat "$tmp/err")"
"$cli" rating "$net" --weather "$tmp/nooffset.csv" --line 1 --lon 37 --utc-offset 3 >/dev/null || fail "--utc-offset"
if "$cli" rating "$net" --weather "$tmp/nooffset.csv" --line 1 --utc-offset 3 2>"$tmp/err" >/dev/null; then fail "no longitude"; fi
grep -q "не задана долгота" "$tmp/err" || fail "longitude message: $(cat "$tmp/err")"
printf 'time,air temperature,wind speed,wind direction,line\n2025-07-01T10:00Z,20,2,90,9\n' >"$tmp/line.csv"
if "$cli" rating "$net" --weather "$tmp/line.csv" --all --lon 37 2>"$tmp/err" >/dev/null; then fail "unknown line"; fi
grep -q "строка 2, столбец «линия»: линии «9» нет в сети" "$tmp/err" || fail "line message: $(cat "$tmp/err")"
set +e
"$cli" rating "$net" --weather "$forecast" 2>/dev/null; [ $? -eq 2 ] || fail "neither --line nor --all"
"$cli" rating "$net" --weather "$forecast" --line 1 --sun noon 2>/dev/null; [ $? -eq 2 ] || fail "--sun noon"
"$cli" rating "$net" --weather "$forecast" --line 1 --out x.txt 2>/dev/null; [ $? -eq 2 ] || fail "--out x.txt"
"$cli" rating "$net" --weather "$forecast" --line 1 --model ieee 2>/dev/null; [ $? -eq 2 ] || fail "--model ieee"
"$cli" rating "$net" --weather "$forecast" --line 1 --duration 0 2>/dev/null; [ $? -eq 2 ] || fail "--duration 0"
"$cli" rating "$net" --weather "$forecast" --line 1 --load 300 2>/dev/null; [ $? -eq 2 ] || fail "--load alone"
echo "rating: ok"
