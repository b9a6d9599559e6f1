#!/usr/bin/env bash
# qemcli currents against the span report of the same span: for every section (obstacle) of
# spans with and without obstacles, the maximum, long-term, ground and obstacle currents and the
# clearance temperatures printed by the report are the JSON values as the report prints them.
set -euo pipefail
bin="$1"
cli="$bin/qemcli"
net="$bin/data/Пример сети.qem"
fail() { echo "FAIL: $*" >&2; exit 1; }

# Fields of a report row: "| a | b | ..." -> "a|b|..." with blanks removed.
cells() { sed -e 's/^ *|//' -e 's/ *| *$//' -e 's/ *| */|/g' -e 's/^ *//'; }

checked=0
for ls in "1 1" "1 4" "1 9" "1 18" "2 5" "2 27" "3 5" "3 20"; do
    set -- $ls
    line=$1 span=$2
    rep=$("$cli" span-report "$net" --line "$line" --span "$span" --color=never) || fail "span-report $line/$span"
    sections=$(grep -c "^Препятствие № " <<<"$rep")
    for ((k = 1; k <= sections; ++k)); do
        sec=$(awk -v k="$k" '/^Препятствие № /{n++} n==k' <<<"$rep")
        cur=$(grep "^ |Ток в проводе, A |" <<<"$sec" | cells)
        tmp=$(grep "^ |Температура пров.|" <<<"$sec" | cells)
        js=$("$cli" currents "$net" --line "$line" --span "$span" --obstacle "$k") || fail "currents $line/$span/$k"
        get() { sed -E "s/.*\"$1\":([^,}]*).*/\1/" <<<"$js"; }
        layoutB=0
        grep -q "До пересеч." <<<"$sec" && layoutB=1
        awk -F'|' -v imax="$(get IMax)" -v ilong="$(get ILong)" -v ig="$(get IGround)" -v tg="$(get TGround)" \
            -v io="$(get IObst)" -v to="$(get TObst)" -v cur="$cur" -v tmp="$tmp" -v b="$layoutB" \
            -v where="line $line span $span section $k" '
            function r0(x) { return sprintf("%.0f", x) }
            function bad(what) { print "FAIL: " where ": " what > "/dev/stderr"; exit 1 }
            # A clearance temperature cell: "> max" above TMax, 0 below zero, else the number.
            function tcell(t, cell, tmax, fmt) {
                if (cell == "> max") return t > tmax - 0.5
                if (t < 0) return cell == "0"
                return sprintf(fmt, t) == cell
            }
            BEGIN {
                split(cur, c, "|"); split(tmp, t, "|")
                if (r0(imax) != c[3]) bad("IMax " imax " vs " c[3])
                if (r0(ilong) != c[4]) bad("ILong " ilong " vs " c[4])
                if (r0(ig) != c[5]) bad("IGround " ig " vs " c[5])
                if (!tcell(tg, t[5], t[3], b ? "%.1f" : "%.0f")) bad("TGround " tg " vs " t[5])
                if (b && r0(io) != c[6]) bad("IObst " io " vs " c[6])
                if (b && !tcell(to, t[6], t[3], "%.0f")) bad("TObst " to " vs " t[6])
                if (!b && (io != 0 || to != 0)) bad("no obstacle, yet IObst " io " TObst " to)
            }' </dev/null
        checked=$((checked + 1))
    done
done
[[ $checked -ge 10 ]] || fail "only $checked sections checked"

# The sections of the report are the obstacles; a span without obstacles has one.
"$cli" currents "$net" --line 1 --span 1 --obstacle 2 2>/dev/null && fail "--obstacle beyond the sections accepted"
echo ok
