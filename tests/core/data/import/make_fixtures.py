#!/usr/bin/python3
"""Makes the workbooks of measured spans that the import tests read: openpyxl writes the
sheets, LibreOffice Calc (headless) opens them and saves the files the tests use, as .xlsx
and, for the sheets read both ways, as .xls, so the fixtures are what a spreadsheet program
writes.

    /usr/bin/python3 make_fixtures.py          # writes the .xlsx and .xls files here

Needs python3-openpyxl and libreoffice-calc-nogui.
"""
import datetime
import importlib.util
import os
import shutil
import sys
import tempfile

from openpyxl import Workbook

HERE = os.path.dirname(os.path.abspath(__file__))

ONE_HEADERS = [
    "Дата/время замера", "№ прл", "Марка пр", "Тип метности", "расстояние между опорами",
    "Высота подвеса провода оп.1", "Высота подвеса провода оп.2", "Высота опоры над уровнем моря оп.1",
    "Высота опоры над уровнем моря оп.2", "Габарит о проводо до земли в середине пролёта",
    "Высота над уровнем моря в середине пролёта", "Габарит от провода до земли (мин),м",
    "Расстояние от опоры № (мин),м", "Высота над уровнем моря,м", "Тип пересекаемого объекта",
    "Расстояние от опоры № до пересекаемого объекта,м", "Габарит от провода пер. ВЛ до земли в месте пер.,м",
    "Высота пересекаемого объекта,м", "Габарит между проводом и пересекаемым объектом,м",
    "Высота над уровнем моря в месте пересечения,М", "Ток ВЛ,А", "Температура воздуха/провода,C", "Ветер,м/с",
    "Направление ветра, град", "Погодные условия", "Географическая широта", "Район по гололёду",
    "Район по ветру", "Заключение"]
TWO_HEADERS = ONE_HEADERS[:3] + ["Тип местности", "Расстояние между опорами"] + ONE_HEADERS[5:9] + [
    "Габарит от провода до земли в точке №1, м", "Высота над уровнем моря в точке №1, м",
    "Расстояние от опоры № ___, до точки №1, м", "Габарит от провода до земли в точке №2, м",
    "Высота над уровнем моря в точке №2, м", "Расстояние от опоры № ___, до точки №2, м"] + ONE_HEADERS[11:]

E = None  # an empty cell


def one(date, span, wire, tm, geo, mid, low, obst, weather, regions, concl=E):
    """A one-point row: geo = (Lpr, Hpr1, Hpr2, H1, H2), mid = (HMid, HSeaMid),
    low = (GabMin, LMin, HSeaMin), obst = (type, Lprep, GabZem, Hprep, GabPrep, HSeaPrep),
    weather = (I, temperatures, V, Alf, Tzv, Fi), regions = (RegG, RegV)."""
    return [date, span, wire, tm, *geo, *mid, *low, *obst, *weather[:5], weather[5], *regions, concl]


def two(date, span, wire, tm, geo, p1, p2, low, obst, weather, regions, concl=E):
    """A two-point row: p1, p2 = (HZam, HSeaZam, LZam)."""
    return [date, span, wire, tm, *geo, *p1, *p2, *low, *obst, *weather[:5], weather[5], *regions, concl]


NO_OBST = (E, E, E, E, E, E)
GEO_12 = (250, 19, 19.5, 152, 154)
GEO_23 = (260, 19.5, 20, 154, 153)
WEATHER = (180, "20/24", 1.5, 45, 0, 55.7)


def one_point_rows():
    return [
        # A span without crossed objects, every optional column filled.
        one("10.30.25.06.2012", "1-2", "АС/240/32", 2, GEO_12, (16.0, 151.8), (15.8, 140, 151.8), NO_OBST,
            WEATHER, (2, 2), "Габариты в норме"),
        # One span in two rows, two crossed objects (Cyrillic and Latin x); the later row wins.
        one("11.05.25.06.2012", "2-3", "2хАС/240/32", 2, GEO_23, (15.3, 153.2), (15.1, 150, 153.1),
            ("ВЛ 35кВ", 80, 15.5, 10, E, 153.6), WEATHER, (2, 2)),
        one(datetime.datetime(2012, 6, 25, 11, 15), " 2 - 3 ", "2xАС/240/32", 2, GEO_23, (15.3, 153.2),
            (15.1, 150, 153.1), ("Здание, сооружение", 200, E, 8, 7.5, E), (185, "21/26", 2, 30, 1, 55.7),
            (2, 3)),
        [E] * 29,  # a blank row between the spans
        # Optional columns empty; numbers typed as text with a decimal comma.
        one("12.00.25.06.2012", "3-4", "АС/240/32", "2", ("230,5", 18, 18, E, E), ("14,3", E), (14, 115, E),
            NO_OBST, (150, "19", "0,5", 90, 3, E), (2, 2)),
        [E] * 29,
        [E, "Замеры выполнил: бригада № 3"],  # a note under the table
    ]


def two_point_rows(bad=False):
    rows = [
        two("10.30.25.06.2012", "1-2", "АС/240/32", 2, GEO_12, (16.5, 151.9, 60), (16.9, 152.8, 190),
            (15.8, 140, 151.8), NO_OBST, WEATHER, (2, 2), "Габариты в норме"),
        two("11.05.25.06.2012", "2-3", "АС/240/32", 2, GEO_23, (15.9, 153.7, 70), (15.7, 153.1, 200),
            (15.1, 150, 153.1), ("Автомобильная дорога", 120, 15.4, 0, 15.4, 153.3), WEATHER, (2, 2)),
        two("12.00.25.06.2012", "3-4", "АС/240/32", 2, (230, 18, 18, E, E), (14.8, E, 50), (14.6, E, 170),
            (14.3, 115, E), NO_OBST, (150, 19, 0.5, 90, 3, E), (2, 2)),
    ]
    if bad:
        # The first point in the second half of the span: the data check refuses it.
        rows[1][11] = 0.6 * 260
    return rows


def multi_line_rows():
    rows = one_point_rows()
    return [["ПС Северная", "ПС Южная"], rows[0], rows[1], rows[2], [E] * 29, ["ПС Южная", "ПС Западная"], rows[4]]


def error_sheets():
    good = one_point_rows()[0]

    def changed(col, value):
        r = list(good)
        r[col - 1] = value
        return [r]

    eleven = []
    for k in range(11):
        r = list(good)
        r[14:20] = ["Автомобильная дорога", 10 + 20 * k, 16, 0, 16, E]
        eleven.append(r)
    return {
        "empty": None,
        "conductor": changed(3, "АС/241/32"),
        "terrain": changed(4, 5),
        "obstacle": [good[:14] + ["Дорога", 90, 16, 0, 16, E] + good[20:]],
        "number": changed(5, "25o"),
        "date": changed(1, "10.30.25.13.2012"),
        "eleven": eleven,
        "length": changed(5, 0),
    }


def sheet(path, headers, rows):
    wb = Workbook()
    ws = wb.active
    ws.title = "Замеры"
    if rows is None:
        ws["A1"] = "Дата/время замера"
    else:
        ws.append(headers)
        ws.append(["" for _ in headers][:1] + ["(единицы)"])
        for r in rows:
            ws.append(r)
            for c, v in enumerate(r, start=1):
                if isinstance(v, datetime.datetime):
                    ws.cell(ws.max_row, c).number_format = "DD.MM.YYYY HH:MM"
    wb.save(path)


def workbook_fixtures():
    """The workbook layer's fixture script, whose LibreOffice conversion this one shares."""
    path = os.path.join(HERE, "..", "workbooks", "make_fixtures.py")
    spec = importlib.util.spec_from_file_location("workbook_fixtures", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


convert = workbook_fixtures().convert


def main():
    if not shutil.which("soffice"):
        sys.exit("soffice (libreoffice-calc-nogui) is needed")
    both = {"one_point": (ONE_HEADERS, one_point_rows()), "two_points": (TWO_HEADERS, two_point_rows()),
            "two_points_check": (TWO_HEADERS, two_point_rows(bad=True)), "multi_line": (ONE_HEADERS, multi_line_rows())}
    only_xlsx = {"error_" + k: (ONE_HEADERS, v) for k, v in error_sheets().items()}
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "out")
        os.mkdir(out)
        written = []
        for name, (headers, rows) in {**both, **only_xlsx}.items():
            src = os.path.join(tmp, name + ".xlsx")
            sheet(src, headers, rows)
            convert(src, out, "xlsx:Calc MS Excel 2007 XML")
            written.append(name + ".xlsx")
            if name in both:
                convert(src, out, "xls:MS Excel 97")
                written.append(name + ".xls")
        for name in written:
            shutil.copy(os.path.join(out, name), os.path.join(HERE, name))
            print("wrote", name)


if __name__ == "__main__":
    main()
