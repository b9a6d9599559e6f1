#!/usr/bin/env bash
# qemcli span-report and line-report --pdf: A4 documents with the heading, the report text, the
# page numbers, landscape for the wide line table, the table titles repeated on every page.
set -euo pipefail
bin="$1"
. "$(dirname "$0")/common.bash"

# qemcli starts without the window toolkit: the PDF is laid out by qempdf beside it.
if ldd "$cli" | grep -q 'libQt'; then fail "qemcli links the window toolkit: $(ldd "$cli" | grep libQt | head -3)"; fi

"$cli" span-report "$net" --line 3 --span 2 --pdf "$tmp/span.pdf" >"$tmp/out" 2>"$tmp/err" || fail "span-report --pdf exit $?"
[[ ! -s "$tmp/out" && ! -s "$tmp/err" ]] || fail "span-report --pdf printed something: $(cat "$tmp/out" "$tmp/err")"
info=$(pdfinfo "$tmp/span.pdf") || fail "span.pdf is not a PDF"
grep -q "^Pages: *1$" <<<"$info" || fail "span.pdf: not one page"
grep -q "^Page size: *595 x 842 pts (A4)" <<<"$info" || fail "span.pdf: not portrait A4: $info"
text=$(pdftotext -layout "$tmp/span.pdf" -)
for s in "Расчет режима пролета" "ВЛ 500 кВ ПС Восточная-ПС Западная, пролет 2 - 3" "Препятствие № 1" \
         "Стрела провеса" "РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ" "Страница 1 из 1"; do
    grep -qF "$s" <<<"$text" || fail "span.pdf lacks '$s'"
done
# The same report as the text output, line by line (the PDF keeps its spacing).
"$cli" span-report "$net" --line 3 --span 2 --color=never >"$tmp/span.txt"
grep -qF "$(sed -n '/Стрела провеса/p' "$tmp/span.txt" | tr -s ' ')" <<<"$(tr -s ' ' <<<"$text")" \
    || fail "span.pdf: the sag row differs from the text report"

"$cli" line-report "$net" --line 3 --pdf "$tmp/line.pdf" || fail "line-report --pdf exit $?"
info=$(pdfinfo "$tmp/line.pdf")
grep -q "^Page size: *842 x 595 pts (A4)" <<<"$info" || fail "line.pdf: not landscape A4: $info"
pages=$(sed -n 's/^Pages: *//p' <<<"$info")
(( pages >= 2 )) || fail "line.pdf: 40 spans on $pages page(s)"
for ((p = 1; p <= pages; ++p)); do
    page=$(pdftotext -f $p -l $p -layout "$tmp/line.pdf" -)
    grep -qF "Страница $p из $pages" <<<"$page" || fail "line.pdf page $p: no page number"
    grep -qF "№ Препятствия" <<<"$page" || fail "line.pdf page $p: the column titles are not repeated"
done
pdftotext "$tmp/line.pdf" - | grep -qF "Макс. температура провода" || fail "line.pdf: no summary"

# An unwritable place is an error with a message, not a crash.
"$cli" span-report "$net" --line 1 --span 1 --pdf "$tmp/no/such/folder/x.pdf" 2>"$tmp/err" && fail "unwritable PDF accepted"
grep -q "PDF" "$tmp/err" || fail "no message for an unwritable PDF: $(cat "$tmp/err")"
echo ok
