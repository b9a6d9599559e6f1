#!/usr/bin/python3
"""Reads exported workbooks with openpyxl (a reader the program did not write) and checks them
against the program's own numbers.

    check_export.py full WORKBOOK LIMITS.json DUMP.json LINE
        the whole-line table of line LINE (1-based) of the network dumped in DUMP.json,
        against `qemcli limits --json` of that line
    check_export.py short SHORT.xlsx FULL.xlsx
        the minimal export against rows 33 and 34 of the full table of the same line
    check_export.py summary SUMMARY.xlsx DUMP.json UNRATED_LINE WORKBOOK...
        the blocks of the all-lines export: line i at row 34 (i - 1) + 1, equal to A1:T5 of its
        own workbook (given in line order, "-" for the unrated line, whose rows 5-6 are empty
        and whose T5 says why)
"""
import json
import sys

from openpyxl import load_workbook

VOLT = ["750", "500", "330", "220", "110", "35", "10", "6"]
COLS = "FGHIJKLMNOPQRS"


def fail(msg):
    sys.exit("FAIL: " + msg)


def check(cond, msg):
    if not cond:
        fail(msg)


def title(line):
    return "ВЛ " + VOLT[line["Uvl"]] + "кВ " + line["From"] + "-" + line["To"]


def full(path, limits_path, dump_path, line_no):
    limits = json.load(open(limits_path, encoding="utf-8"))
    line = json.load(open(dump_path, encoding="utf-8"))["Lines"][line_no - 1]
    ws = load_workbook(path, data_only=True).active
    formulas = load_workbook(path).active
    comps = limits["Components"]
    check(len(comps) == 14, "14 components")
    # Rows 5-32 against the program's component limits.
    for i, comp in enumerate(comps):
        for kind, row in (("DDTN", 5 + 2 * i), ("ADTN", 6 + 2 * i)):
            for c, col in enumerate(COLS):
                cell = ws[col + str(row)].value
                want = comp[kind][c]
                where = "%s%d (%s %s)" % (col, row, comp["Name"], kind)
                if want is None:
                    check(cell is None, where + ": empty expected, found %r" % (cell,))
                elif comp["Name"] == "Кабельная вставка":
                    check(cell == want, where + ": %r != %r" % (cell, want))
                else:
                    check(isinstance(cell, (int, float)) and cell == round(cell), where + ": whole amperes, found %r" % (cell,))
                    check(abs(cell - want) <= 0.5 + 1e-3, where + ": %r far from %r" % (cell, want))
    # No table value "500000" is left: those cells are empty.
    for row in range(5, 33):
        for col in COLS:
            check(ws[col + str(row)].value != 500000, "%s%d holds 500000" % (col, row))
    # Equipment rows: +45 C repeats +40 C.
    for row in list(range(13, 21)) + list(range(25, 33)):
        check(ws["S%d" % row].value == ws["R%d" % row].value, "S%d != R%d" % (row, row))
    # Rows 33 and 34: the formulas, with values equal to the least of the components present.
    for c, col in enumerate(COLS):
        for row, first in ((33, 5), (34, 6)):
            f = formulas[col + str(row)].value
            check(isinstance(f, str) and f.startswith("=MIN(" + col + str(first) + ","), "%s%d formula %r" % (col, row, f))
            present = [ws[col + str(r)].value for r in range(first, 33, 2) if ws[col + str(r)].value is not None]
            check(ws[col + str(row)].value == min(present), "%s%d = %r, least %r" % (col, row, ws[col + str(row)].value, min(present)))
    # Texts.
    v = VOLT[line["Uvl"]]
    # An unset line number (0) is an empty cell.
    check(ws["A5"].value == (line["NVL"] or None), "A5 %r" % ws["A5"].value)
    check(ws["B5"].value == title(line), "B5 %r" % ws["B5"].value)
    check(ws["C33"].value == title(line), "C33 %r" % ws["C33"].value)
    check(ws["C9"].value == "ПС " + v + " кВ " + line["From"], "C9 %r" % ws["C9"].value)
    check(ws["C21"].value == "ПС " + v + " кВ " + line["To"], "C21 %r" % ws["C21"].value)
    by_name = {c["Name"]: c for c in comps}
    check(ws["E5"].value == by_name["Провод ВЛ"]["Text"], "E5 %r" % ws["E5"].value)
    for cell, name in (("E9", "Ош1"), ("E11", "Ш1"), ("E21", "Ош2"), ("E23", "Ш2")):
        want = by_name[name]["Text"]
        check(ws[cell].value == (want if want else None), "%s %r != %r" % (cell, ws[cell].value, want))
    t5 = ws["T5"].value
    check(isinstance(t5, str) and t5.startswith("ДДТН ограничивает: ") and "АДТН ограничивает: " in t5, "T5 %r" % t5)
    # The work area is emptied.
    for row in ws.iter_rows(min_row=35, max_row=62, min_col=1, max_col=17):
        for cell in row:
            check(cell.value is None, "%s not emptied: %r" % (cell.coordinate, cell.value))
    print("full: ok", path)


def short(path, full_path):
    ws = load_workbook(path, data_only=True).active
    table = load_workbook(full_path, data_only=True).active
    check(ws["A4"].value == table["B5"].value, "A4 %r" % ws["A4"].value)
    for c, col in enumerate(COLS):
        for row, trow in ((4, 33), (5, 34)):
            cell = ws.cell(row=row, column=c + 2).value
            check(isinstance(cell, (int, float)), "row %d column %d not a number: %r" % (row, c + 2, cell))
            check(cell == table[col + str(trow)].value, "row %d column %d: %r != %r" % (row, c + 2, cell, table[col + str(trow)].value))
    print("short: ok", path)


def summary(path, dump_path, unrated, books):
    lines = json.load(open(dump_path, encoding="utf-8"))["Lines"]
    ws = load_workbook(path, data_only=True).active
    check(len(books) == len(lines), "one workbook argument per line")
    for i, (line, book) in enumerate(zip(lines, books)):
        top = 34 * i + 1
        check(ws["A%d" % top].value == "Допустимые токовые нагрузки элементов ВЛ (ДДТН и АДТН), А", "block %d title" % (i + 1))
        check(ws["B%d" % (top + 4)].value == title(line), "block %d line %r" % (i + 1, ws["B%d" % (top + 4)].value))
        check(ws["A%d" % (top + 4)].value == (line["NVL"] or None), "block %d number" % (i + 1))
        check(ws["D%d" % (top + 5)].value == "ВЛ в целом, ДДТН", "block %d: the line's own ДДТН" % (i + 1))
        check(ws["D%d" % (top + 6)].value == "ВЛ в целом, АДТН", "block %d: the line's own АДТН" % (i + 1))
        if i + 1 == unrated:
            check(book == "-", "the unrated line has no workbook")
            for col in COLS:
                for r in (4, 5, 6):
                    check(ws["%s%d" % (col, top + r)].value is None, "unrated block: %s%d not empty" % (col, top + r))
            t5 = ws["T%d" % (top + 4)].value
            check(isinstance(t5, str) and t5.startswith("Провод ВЛ не рассчитан: "), "unrated T5 %r" % t5)
            continue
        own = load_workbook(book, data_only=True).active
        for r in range(1, 6):
            for c in range(1, 21):
                a, b = ws.cell(row=top + r - 1, column=c).value, own.cell(row=r, column=c).value
                check(a == b, "block %d row %d column %d: %r != %r" % (i + 1, r, c, a, b))
        # Under the conductor's row, the line's own limits: rows 33 and 34 of its table.
        for col in COLS:
            for r, trow in ((5, 33), (6, 34)):
                a, b = ws["%s%d" % (col, top + r)].value, own["%s%d" % (col, trow)].value
                check(a == b, "block %d: %s%d %r, its table's %s%d %r" % (i + 1, col, top + r, a, col, trow, b))
        check(ws["F%d" % (top + 4)].fill.fgColor.rgb == own["F5"].fill.fgColor.rgb, "styles copied")
    # Nothing between the blocks.
    for r in range(8, 35):
        check(all(ws.cell(row=r, column=c).value is None for c in range(1, 21)), "row %d not empty" % r)
    print("summary: ok", path)


def main():
    what = sys.argv[1]
    if what == "full":
        full(sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5]))
    elif what == "short":
        short(sys.argv[2], sys.argv[3])
    elif what == "summary":
        summary(sys.argv[2], sys.argv[3], int(sys.argv[4]), sys.argv[5:])
    else:
        fail("unknown check " + what)


if __name__ == "__main__":
    main()
