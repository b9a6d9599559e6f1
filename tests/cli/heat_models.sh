#!/usr/bin/env bash
# qemcli currents and series with a heat-balance model: the plain output stays as it was, the
# models' values and the short-time ratings are added, the options are checked, heatmodels.txt
# of the data folder gives the standards' surface factors.
set -euo pipefail
bin="$1"
. "$(dirname "$0")/common.bash"
[[ -f "$net" ]] || fail "no sample network at $net"
py() { python3 -c "$1"; }

plain=$("$cli" currents "$net" --line 1 --span 4)
for m in qem ieee738 cigre601; do
    js=$("$cli" currents "$net" --line 1 --span 4 --model "$m" --duration 60 --step-current 1200) || fail "currents --model $m"
    # The plain figures come first, unchanged; then the model's.
    [[ "$js" == "${plain%\}}",* ]] || fail "$m: the plain figures changed: $js"
    JS="$js" M="$m" py '
import json, os, sys
d = json.loads(os.environ["JS"]); m = os.environ["M"]
def bad(w): sys.exit("FAIL: " + m + ": " + w)
if d["Model"] != m or d["ShortTime"]["Model"] != m: bad("model not named")
if m == "qem" and abs(d["ModelIMax"] - d["IMax"]) > 1e-9: bad("the program model is not the report")
st = d["ShortTime"]
if [r["Minutes"] for r in st["Ratings"]] != [15, 30, 60]: bad("durations")
I = [r["I"] for r in st["Ratings"]]
if not (I[0] > I[1] > I[2] >= d["ModelIMax"] - 0.01): bad("ratings not above the steady current, shorter larger: %s" % I)
if st["TLimit"] != 90 or st["Limit"] != "Tmax": bad("limit")
if not (0 < st["TimeToTMax"] < 15): bad("time to TMax %s" % st["TimeToTMax"])
if abs(st["T0"] - d["ModelTCond"]) > 1e-9: bad("T0 is not the steady temperature at the present load")
' || exit 1
done

# The surface factors: given ones, then the data folder's file.
a=$("$cli" currents "$net" --line 1 --span 4 --model ieee738 --emissivity 0.5 --absorptivity 0.5)
b=$("$cli" currents "$net" --line 1 --span 4 --model ieee738)
[[ "$a" == *'"Emissivity":0.5,"Absorptivity":0.5'* ]] || fail "--emissivity not taken: $a"
[[ "$a" != "$b" ]] || fail "the surface factors change nothing"
mkdir "$tmp/data"
cp "$bin/data/"*.cat "$tmp/data/"
iconv -f cp1251 -t utf-8 "$bin/data/heatmodels.txt" | sed 's/^Emissivity;.*/Emissivity;0.5/; s/^Absorptivity;.*/Absorptivity;0.5/' |
    iconv -f utf-8 -t cp1251 >"$tmp/data/heatmodels.txt"
c=$("$cli" currents "$net" --line 1 --span 4 --model ieee738 --data "$tmp/data")
[[ "${c#*Emissivity}" == "${a#*Emissivity}" ]] || fail "heatmodels.txt not read: $c"
printf 'Emissivity;2\r\n' >"$tmp/data/heatmodels.txt"
err=$("$cli" currents "$net" --line 1 --span 4 --model ieee738 --data "$tmp/data" 2>&1) && fail "a bad heatmodels.txt accepted"
grep -q "строка 1" <<<"$err" || fail "the bad line not named: $err"
"$cli" currents "$net" --line 1 --span 4 --data "$tmp/data" >/dev/null || fail "plain currents read heatmodels.txt"

# The line: its least phase current over the spans and the span that sets it.
js=$("$cli" currents "$net" --line 3 --span 2 --model ieee738 --duration 20 --step-current 3000 --whole-line)
JS="$js" py '
import json, os, sys
d = json.loads(os.environ["JS"]); L = d["Line"]
for k, r in enumerate(L["Ratings"]):
    spans = [s["Ratings"][k]["I"] for s in L["Spans"]]
    if r["I"] is None:
        if None not in spans: sys.exit("FAIL: the line has no rating though every span has")
        continue
    least = min(spans)  # one conductor count on the line: the least span sets it
    if abs(r["I"] / least - round(r["I"] / least)) > 1e-9 or spans[r["Span"] - 1] != least:
        sys.exit("FAIL: line rating %s is not the least span %s" % (r, least))
times = [s["TimeToTMax"] for s in L["Spans"] if s["TimeToTMax"] is not None]
if times and (abs(L["TimeToTMax"] - min(times)) > 1e-12 or L["Spans"][L["FirstSpan"] - 1]["TimeToTMax"] != L["TimeToTMax"]):
    sys.exit("FAIL: the first span to TMax")
' || exit 1

# Wrong usage.
for bad in "--model ieee" "--model ieee738 --emissivity 0" "--duration 0" "--whole-line" "--step-current -1"; do
    # shellcheck disable=SC2086
    set +e; "$cli" currents "$net" --line 1 --span 4 $bad >/dev/null 2>&1; rc=$?; set -e
    [[ $rc == 2 ]] || fail "currents $bad: exit $rc, not a usage error"
done

# The series by a model: its name above the table, other temperatures, the plain one unchanged.
"$cli" series "$net" --line 1 --span 4 --n1 2 --dt 5 --n3 2 --di 100 --out "$tmp/plain.txt" >/dev/null
"$cli" series "$net" --line 1 --span 4 --n1 2 --dt 5 --n3 2 --di 100 --out "$tmp/cigre.txt" --model cigre601 >/dev/null
head -1 "$tmp/cigre.txt" | iconv -f cp1251 -t utf-8 | grep -q "^Модель нагрева: CIGRE TB 601, излучательная способность 0.80, поглощательная 0.80" ||
    fail "series --model: no model line"
head -1 "$tmp/plain.txt" | iconv -f cp1251 -t utf-8 | grep -q "^-----" || fail "plain series changed"
[[ $(wc -l <"$tmp/cigre.txt") == $(($(wc -l <"$tmp/plain.txt") + 1)) ]] || fail "series --model rows"
echo ok
