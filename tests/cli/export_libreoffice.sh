#!/usr/bin/env bash
# A full export opened by LibreOffice Calc (headless, recalculating every formula on load):
# its recalculated rows 33 and 34 equal the values the program stored, and the template's own
# formulas name the same limiting components as the program's T5.
set -euo pipefail
bin="$1"
src="$2"
source "$src/tests/cli/export_setup.bash"
helper="$py $src/tests/cli/check_libreoffice.py"
command -v soffice > /dev/null || fail "soffice (libreoffice-calc-nogui) is not installed"
mkdir "$tmp/lo" "$tmp/profile"
"$cli" export "$tmp/three.qem" --data "$data" --line 1 --out "$tmp/export.xlsx" > /dev/null || fail "export exit $?"

# A profile of its own: recalculate workbooks of other programs when they are loaded.
mkdir -p "$tmp/profile/user"
cat > "$tmp/profile/user/registrymodifications.xcu" <<'XCU'
<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
XCU
$helper blank "$tmp/export.xlsx" "$tmp/blanked.xlsx"
$helper fill "$data/шаблон экспорта.xlsx" "$tmp/export.xlsx" "$tmp/filled.xlsx"
timeout 600 soffice -env:UserInstallation=file://"$tmp/profile" --headless --norestore \
    --convert-to 'xlsx:Calc MS Excel 2007 XML' --outdir "$tmp/lo" "$tmp/blanked.xlsx" "$tmp/filled.xlsx" > /dev/null 2>&1 \
    || fail "soffice exit $?"
[[ -s "$tmp/lo/blanked.xlsx" && -s "$tmp/lo/filled.xlsx" ]] || fail "LibreOffice did not convert the workbooks"
$helper compare "$tmp/export.xlsx" "$tmp/lo/blanked.xlsx" "$tmp/lo/filled.xlsx"
echo "export_libreoffice: ok"
