#!/usr/bin/python3
"""Makes the workbook fixtures of the workbook layer's tests: openpyxl writes the sources,
LibreOffice Calc (headless) opens them and writes the files the tests read, so the fixtures
are what a real spreadsheet program writes (shared strings, cached formula results, styles).

    /usr/bin/python3 make_fixtures.py          # writes every fixture here
    /usr/bin/python3 make_fixtures.py kinds.ods  # only the ones named

kinds.ods is the sheet of kinds.xlsx saved in LibreOffice's own format; difat_loop.xls is
kinds.xls with its compound file damaged so that its chain of allocation-table sectors comes
back on itself and claims two thousand million sectors: a reader that follows it eats memory
without bound.

Needs python3-openpyxl and libreoffice-calc-nogui.
"""
import datetime
import os
import shutil
import struct
import subprocess
import sys
import tempfile

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side

HERE = os.path.dirname(os.path.abspath(__file__))


def kinds(path):
    wb = Workbook()
    ws = wb.active
    ws.title = "Замеры"
    ws["A1"] = "Текст"
    ws["B1"] = 42
    ws["C1"] = 3.25
    ws["D1"] = True
    ws["E1"] = "=B1*2"
    ws["F1"] = datetime.datetime(2021, 3, 4, 5, 6, 7)
    ws["F1"].number_format = "DD.MM.YYYY HH:MM:SS"
    ws["G1"] = datetime.date(2020, 1, 2)
    ws["G1"].number_format = "DD.MM.YYYY"
    ws["H1"] = '=A1&"!"'
    ws["I1"] = "=1/0"
    ws["J1"] = "  пробелы  "
    ws["K1"] = "123"          # a number typed as text stays text
    ws["L1"] = 0.1
    ws["M1"] = datetime.time(12, 30)
    ws["M1"].number_format = "HH:MM"
    ws["N1"] = False
    ws["O1"] = 1234.5
    ws["O1"].number_format = "#,##0.00"
    ws["A2"] = "Текст"        # the same shared string again
    ws["P2"] = "край"
    ws["E7"] = -0.5
    ws["Z50"].fill = PatternFill("solid", fgColor="FFFF00")  # formatted, no value
    second = wb.create_sheet("Второй")
    second["A1"] = "второй лист"
    wb.save(path)


def styled(path):
    wb = Workbook()
    ws = wb.active
    ws.title = "Таблица"
    thin = Side(style="thin")
    ws["A1"] = "Заголовок таблицы"
    ws["A1"].font = Font(bold=True, size=14)
    ws.merge_cells("A1:E1")
    for c, t in zip("ABCDE", ["№", "Имя", "−20", "0", "+20"]):
        ws[c + "3"] = t
        ws[c + "3"].fill = PatternFill("solid", fgColor="DDEBF7")
        ws[c + "3"].border = Border(left=thin, right=thin, top=thin, bottom=thin)
        ws[c + "3"].alignment = Alignment(horizontal="center", wrap_text=True)
    for r in range(4, 7):
        ws.cell(r, 1, r - 3)
        ws.cell(r, 2, "элемент %d" % (r - 3))
        for c in range(3, 6):
            ws.cell(r, c, 100 * r + c).number_format = "#,##0"
    for c in "CDE":
        ws[c + "7"] = "=MIN(%s4:%s6)" % (c, c)
        ws[c + "7"].number_format = "0.0"
    ws["B7"] = "Итого"
    ws.column_dimensions["B"].width = 30
    ws.column_dimensions["C"].width = 12
    ws.row_dimensions[3].height = 30
    ws.freeze_panes = "C4"
    wb.save(path)


def convert(src, out_dir, fmt):
    subprocess.run(["soffice", "--headless", "--norestore", "--convert-to", fmt, "--outdir", out_dir, src],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)


def difat_loop(src, dst):
    """The compound file of src with a DIFAT sector appended whose entries all name the first
    allocation-table sector and whose link names itself; the header claims 2^31 - 1
    allocation-table and DIFAT sectors."""
    b = bytearray(open(src, "rb").read())
    first_fat = struct.unpack_from("<I", b, 0x4C)[0]
    own = len(b) // 512 - 1  # the sector number of the one appended
    sector = bytearray(512)
    for i in range(127):
        struct.pack_into("<I", sector, 4 * i, first_fat)
    struct.pack_into("<I", sector, 508, own)
    b += sector
    struct.pack_into("<I", b, 0x2C, 0x7FFFFFFF)
    struct.pack_into("<I", b, 0x44, own)
    struct.pack_into("<I", b, 0x48, 0x7FFFFFFF)
    for i in range(109):
        struct.pack_into("<I", b, 0x4C + 4 * i, first_fat)
    open(dst, "wb").write(bytes(b))


def main():
    if not shutil.which("soffice"):
        sys.exit("soffice (libreoffice-calc-nogui) is needed")
    wanted = set(sys.argv[1:])
    with tempfile.TemporaryDirectory() as tmp:
        kinds(os.path.join(tmp, "kinds.xlsx"))
        styled(os.path.join(tmp, "styled.xlsx"))
        out = os.path.join(tmp, "out")
        os.mkdir(out)
        convert(os.path.join(tmp, "kinds.xlsx"), out, 'xlsx:Calc MS Excel 2007 XML')
        convert(os.path.join(tmp, "kinds.xlsx"), out, "xls:MS Excel 97")
        convert(os.path.join(tmp, "kinds.xlsx"), out, "ods:calc8")
        convert(os.path.join(tmp, "styled.xlsx"), out, 'xlsx:Calc MS Excel 2007 XML')
        difat_loop(os.path.join(out, "kinds.xls"), os.path.join(out, "difat_loop.xls"))
        for name in ("kinds.xlsx", "kinds.xls", "kinds.ods", "styled.xlsx", "difat_loop.xls"):
            if wanted and name not in wanted:
                continue
            shutil.copy(os.path.join(out, name), os.path.join(HERE, name))
            print("wrote", name)


if __name__ == "__main__":
    main()
