#!/usr/bin/python3
"""Makes the workbooks of measured spans that the import tests read: openpyxl writes the
sheets, LibreOffice Calc (headless) opens them and saves the files the tests use, as .xlsx
and, for the sheets read both ways, as .xls, so the fixtures are what a spreadsheet program
writes.

    /usr/bin/python3 make_fixtures.py          # writes the .xlsx, .xls and .ods files here
    /usr/bin/python3 make_fixtures.py merged.xlsx  # only the ones named

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
        # Values in the wrong unit: suspension heights in centimetres, a span length of 26 km.
        "height_cm": [good[:5] + [1850, 1900] + good[7:]],
        "span_26000": changed(5, 26000),
    }


# The example row and the hint row of the crews' templates as the program wrote them before the
# example moved to a sheet of its own (setup/ImportTemplate.cpp).
OLD_EXAMPLE = ["10.30.25.06.2012", "1-2", "АС/240/32", 2, 250, 19, 19.5, 152, 154, 16, 151.8, 15.8, 140, 151.8,
               "Автомобильная дорога", 90, 16, 0, 16, 151.9, 180, "20/24", 1.5, 45, 0, 55.7, 2, 2, "Габариты в норме"]
OLD_HINTS = ["ч.мм.дд.мм.гггг или дата", "опора-опора", "[число х] марка/Al/St",
             "1 насел., 2 ненасел., 3 труднодост., 4 недост. склоны", "м", "м", "м", "м, можно не заполнять",
             "м, можно не заполнять", "м", "м, можно не заполнять", "м", "м", "м, можно не заполнять",
             "из списка типов; пусто - нет объекта", "м", "м (два габарита из трёх)", "м (0 - дорога)", "м",
             "м, можно не заполнять", "А", "воздух или воздух/провод", "м/с", "град. к оси ВЛ",
             "0 ясно, 1 облачно, 2 пасмурно, 3 вечер/ночь", "град., можно не заполнять", "1..7", "1..7",
             "можно не заполнять"]


def sloping_rows():
    """Eight two-point spans of 250 m climbing 17 m a span (a 110 kV line on a hillside), AC 240/32
    hung 20 m above the ground at every support, measured at a quarter and at three quarters of
    each span with the heights above sea level of the ground there: a parabola of 6 m sag over
    ground that rises evenly, so the conductor stands 15.5 m above the ground at both points and
    14 m at mid-span."""
    rows = []
    L, sag, hpr = 250.0, 6.0, 20.0
    for j in range(8):
        h1, h2 = 100.0 + 17 * j, 117.0 + 17 * j
        ground = lambda x: h1 + (h2 - h1) * x / L
        clear = lambda x: hpr - 4 * sag * x * (L - x) / L ** 2
        p1, p2 = (round(clear(62.5), 2), round(ground(62.5), 2), 62.5), (round(clear(187.5), 2), round(ground(187.5), 2), 187.5)
        rows.append(two("10.%02d.12.07.2023" % (10 + 2 * j), "%d-%d" % (j + 1, j + 2), "АС/240/32", 2,
                        (L, hpr, hpr, h1, h2), p1, p2, (round(clear(125), 2), 125, round(ground(125), 2)), NO_OBST,
                        (150, "18/25", 1, 90, 1, 56.3), (2, 2)))
    return rows


def raw_sheet(path, rows, title="Замеры"):
    """The rows as they are, from row 1."""
    wb = Workbook()
    ws = wb.active
    ws.title = title
    for r in rows:
        ws.append(r)
    wb.save(path)


def sheet(path, headers, rows, units=True):
    wb = Workbook()
    ws = wb.active
    ws.title = "Замеры"
    if rows is None:
        ws["A1"] = "Дата/время замера"
    else:
        ws.append(headers)
        if units:
            ws.append(["" for _ in headers][:1] + ["(единицы)"])
        for r in rows:
            ws.append(r)
            for c, v in enumerate(r, start=1):
                if isinstance(v, datetime.datetime):
                    ws.cell(ws.max_row, c).number_format = "DD.MM.YYYY HH:MM"
    wb.save(path)


def special_workbooks(tmp):
    """Workbooks written the way the crews' cases describe; name -> path of the openpyxl source,
    and whether LibreOffice re-saves it."""
    good = one_point_rows()[0]
    own = list(good)  # the crew's own span 1-2, without a crossed object
    own[0], own[14:20] = "09.15.12.07.2023", [E] * 6
    out = {}

    def path(name):
        return os.path.join(tmp, name + ".xlsx")

    # An older template: its example in row 3, untouched, and above a crew's own span 1-2.
    raw_sheet(path("old_template"), [ONE_HEADERS, OLD_HINTS, OLD_EXAMPLE, own])
    raw_sheet(path("old_template_untouched"), [ONE_HEADERS, OLD_HINTS, OLD_EXAMPLE])
    # The units row deleted: data from row 2; no header row at all.
    raw_sheet(path("units_deleted"), [ONE_HEADERS, good, one_point_rows()[4]])
    raw_sheet(path("no_headers"), [good, one_point_rows()[4]])
    # A sloping line measured at two points with the heights above sea level.
    sheet(path("two_points_sea"), TWO_HEADERS, sloping_rows())
    # Crossings at ground level measured by their clearance alone.
    road = list(good)
    road[14:20] = ["Автомобильная дорога", 90, E, E, 16, E]
    rail = list(one_point_rows()[4])
    rail[14:20] = ["Железная дорога", 120, E, E, 12.5, E]
    sheet(path("ground_crossings"), ONE_HEADERS, [road, rail])
    # Formulas: a suspension height copied from the cell beside it, a conductor from the row above.
    f = [list(good), list(one_point_rows()[4])]
    f[0][6] = "=F3"
    f[1][2] = "=C3"
    f[1][5] = "=G3-1.5"
    sheet(path("formulas"), ONE_HEADERS, f)
    # The same written by a program that stores no results of formulas (not re-saved).
    sheet(path("formulas_unsaved"), ONE_HEADERS, f)
    # Merged cells: the current written once over two columns.
    wb = Workbook()
    ws = wb.active
    ws.title = "Замеры"
    ws.append(ONE_HEADERS)
    m = list(good)
    m[21] = E
    ws.append(m)
    ws.merge_cells("U2:V2")
    wb.save(path("merged"))
    # The table on the second sheet, the first left empty.
    wb = Workbook()
    wb.active.title = "Лист1"
    ws = wb.create_sheet("Замеры")
    ws.append(ONE_HEADERS)
    ws.append(good)
    wb.save(path("second_sheet"))
    for name in ("old_template", "old_template_untouched", "units_deleted", "no_headers", "two_points_sea",
                 "ground_crossings", "formulas", "merged", "second_sheet"):
        out[name] = True
    out["formulas_unsaved"] = False
    return out


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
    wanted = set(sys.argv[1:])
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
        # LibreOffice's own format, and the workbooks of the crews' cases.
        convert(os.path.join(tmp, "one_point.xlsx"), out, "ods:calc8")
        written.append("one_point.ods")
        for name, resave in special_workbooks(tmp).items():
            src = os.path.join(tmp, name + ".xlsx")
            if resave:
                convert(src, out, "xlsx:Calc MS Excel 2007 XML")
            else:
                shutil.copy(src, os.path.join(out, name + ".xlsx"))
            written.append(name + ".xlsx")
        convert(os.path.join(tmp, "formulas.xlsx"), out, "xls:MS Excel 97")
        written.append("formulas.xls")
        for name in written:
            if wanted and name not in wanted:
                continue
            shutil.copy(os.path.join(out, name), os.path.join(HERE, name))
            print("wrote", name)


if __name__ == "__main__":
    main()
