#!/usr/bin/python3
"""Helpers of export_libreoffice.sh (openpyxl and the zip module only).

    check_libreoffice.py blank EXPORT.xlsx OUT.xlsx
        a copy of the export whose stored results of rows 33 and 34 are 0, so only a
        recalculation can give them back
    check_libreoffice.py fill TEMPLATE.xlsx EXPORT.xlsx OUT.xlsx
        the template with the component rows (F5:S32) and the substations (C9, C21) of the
        export: its own formulas then name the limiting components in Q35 and Q36
    check_libreoffice.py compare EXPORT.xlsx RECALCULATED.xlsx FILLED_RECALCULATED.xlsx
        rows 33 and 34 recalculated by LibreOffice equal the stored ones, and the template's
        Q35 and Q36 give the export's T5 (without the spans named beside the line conductor)
"""
import re
import sys
import zipfile

from openpyxl import load_workbook

COLS = "FGHIJKLMNOPQRS"


def fail(msg):
    sys.exit("FAIL: " + msg)


def blank(src, dst):
    with zipfile.ZipFile(src) as zin, zipfile.ZipFile(dst, "w", zipfile.ZIP_DEFLATED) as zout:
        for item in zin.infolist():
            data = zin.read(item.filename)
            if item.filename == "xl/worksheets/sheet1.xml":
                text = data.decode("utf-8")
                n = 0
                for col in COLS:
                    for row in (33, 34):
                        pat = r'(<c r="%s%d"[^>]*>(?:(?!</c>).)*?<v>)[^<]*(</v>)' % (col, row)
                        text, k = re.subn(pat, r"\g<1>0\g<2>", text, flags=re.S)
                        n += k
                if n != 28:
                    fail("expected 28 results in rows 33 and 34, found %d" % n)
                data = text.encode("utf-8")
            zout.writestr(item, data)


def fill(template, export, dst):
    wb = load_workbook(template)
    ws = wb.active
    src = load_workbook(export, data_only=True).active
    for row in range(5, 33):
        for col in COLS:
            ws[col + str(row)] = src[col + str(row)].value
    ws["C9"] = src["C9"].value
    ws["C21"] = src["C21"].value
    wb.save(dst)


def compare(export, recalculated, filled):
    ours = load_workbook(export, data_only=True).active
    lo = load_workbook(recalculated, data_only=True).active
    if lo["B5"].value != ours["B5"].value:
        fail("LibreOffice did not read the workbook: B5 %r" % lo["B5"].value)
    for col in COLS:
        for row in (33, 34):
            a, b = lo[col + str(row)].value, ours[col + str(row)].value
            if a != b:
                fail("%s%d recalculated %r, stored %r" % (col, row, a, b))
    f = load_workbook(filled, data_only=True).active
    text = (f["Q35"].value or "") + (f["Q36"].value or "")
    # The program names beside the line conductor the span that limits it and why, which the
    # template's formulas cannot know.
    t5 = re.sub(r"провод ВЛ \([^)]*\)", "провод ВЛ", ours["T5"].value)
    if text != t5:
        fail("the template's Q35 and Q36 give %r, the export's T5 is %r" % (text, ours["T5"].value))
    print("libreoffice: ok; T5 = %s" % text)


def main():
    what = sys.argv[1]
    if what == "blank":
        blank(sys.argv[2], sys.argv[3])
    elif what == "fill":
        fill(sys.argv[2], sys.argv[3], sys.argv[4])
    elif what == "compare":
        compare(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        fail("unknown step " + what)


if __name__ == "__main__":
    main()
