// qemdata: generates the binary catalogs shipped with the program from the text tables of
// data/, with the program's own writers, so that the shipped files always match their
// sources.
//
//   qemdata SOURCE_DIR OUTPUT_DIR
//
// Writes into OUTPUT_DIR:
//   glld.cat                   conductors.csv (sorted like the program sorts it)
//   hdg7.cat, hdg6.cat         norms_pue7.csv, norms_pue6.csv, regions.csv; empty cells
//                              filled from assumptions.csv
//   концевое оборудование.cat  equipment.csv
//   heatmodels.txt             conductor_strands.csv: the outer strand diameters of the
//                              conductors and the default emissivity and absorptivity of the
//                              standards' heat-balance models (model/HeatModelData.h)
//   Пример сети.qem            the sample line network (tools/qemdata/SampleNetwork.cpp),
//                              built from the catalogs just written
//   шаблон экспорта*.xlsx      the spreadsheet templates, from template_*.txt
//                              (tools/qemdata/Template.h)
//   Шаблон замеров по 1 точке.xlsx, Шаблон замеров по 2 точкам.xlsx
//                              the workbooks the field crews fill in for the import
//                              (setup/ImportTemplate.h)
//   Погода за год (синтетическая).csv, Прогноз на 240 ч (пример).csv
//                              the sample weather of the hourly ratings
//                              (tools/qemdata/SampleWeather.h)
// A missing source table skips its file with a warning; a malformed one is an error.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>

#include "engine/Units.h"
#include "model/Catalog.h"
#include "model/Cp1251.h"
#include "model/HeatModelData.h"
#include "model/KOCat.h"
#include "model/NetworkFile.h"
#include "model/NormsFile.h"
#include "platform/FileSystem.h"
#include "setup/ImportTemplate.h"
#include "tools/qemdata/Csv.h"
#include "tools/qemdata/SampleNetwork.h"
#include "tools/qemdata/SampleWeather.h"
#include "tools/qemdata/Template.h"

namespace fs = std::filesystem;
using namespace qem;
using qemdata::CsvError;
using qemdata::CsvTable;

namespace {

int g_warnings = 0;

void Warn(const std::string& text) {
    ++g_warnings;
    std::cerr << "qemdata: warning: " << text << "\n";
}

float ToSingle(double v) { return static_cast<float>(v); }

// conductors.csv -> glld.cat
void MakeConductorCatalog(const CsvTable& t, const fs::path& out) {
    t.require({"Name", "SAlN", "SStN", "SAl", "SSt", "D", "DSt", "R", "MAl", "MSt", "Break", "TMax"});
    if (t.rows.size() > static_cast<std::size_t>(kMaxWires)) throw CsvError(t.file + ": more than 255 conductors");
    WireCatalog cat;
    std::string noBreak;
    for (const auto& row : t.rows) {
        const int k = ++cat.NWires;
        TyWire& w = cat.Wires[k];
        w.Name.assign(Utf8ToCp1251(qemdata::Cell(row, "Name")));
        auto need = [&](const char* col) {
            double v = 0;
            if (!qemdata::Number(t, row, col, v))
                throw CsvError(t.file + ": line " + std::to_string(row.line) + ": empty " + col);
            return ToSingle(v);
        };
        w.SAlN = need("SAlN");
        w.SStN = need("SStN");
        w.D = need("D");
        w.DSt = need("DSt");
        w.R = need("R");
        w.AlfaR = kCatalogAlfaR;
        w.MAl = need("MAl");
        w.MSt = need("MSt");
        w.TMax = need("TMax");
        cat.WireSAl[k] = need("SAl");
        cat.WireSSt[k] = need("SSt");
        double brk = 0;
        if (qemdata::Number(t, row, "Break", brk)) {
            cat.WireBreak[k] = ToSingle(brk);
        } else {
            cat.WireBreak[k] = 0;  // not known: the program warns before using it
            const std::string text = WireDisplayText(w);
            noBreak.push_back(' ');
            noBreak.append(text, text.find_first_not_of(' '));
        }
    }
    if (!noBreak.empty()) std::cerr << "qemdata: breaking force not known (kept 0):" << noBreak << "\n";
    SortCatalog(cat);
    WriteCatalogFile(out / kDefaultWireCatFile, cat);
    std::cout << "qemdata: " << kDefaultWireCatFile << ": " << int(cat.NWires) << " conductors\n";
}

int ClassIndex(const std::string& kv) {
    for (int u = 0; u < 8; ++u)
        if (kv == kVoltageText[u]) return u;
    return -1;
}

// Values that fill the empty cells of one edition: (table, class, column) -> value.
using Fill = std::map<std::string, double>;

std::string Key(const std::string& table, const std::string& kv, const std::string& col) {
    return table + "/" + kv + "/" + col;
}

Fill ReadAssumptions(const fs::path& file, const std::string& edition) {
    Fill f;
    if (!fs::exists(file)) {
        Warn("assumptions.csv not found: empty norm cells become 0");
        return f;
    }
    CsvTable t = qemdata::ReadCsv(file);
    t.require({"Edition", "Table", "Class_kV", "Column", "Value"});
    for (const auto& row : t.rows) {
        if (qemdata::Cell(row, "Edition") != edition) continue;
        double v = 0;
        if (!qemdata::Number(t, row, "Value", v))
            throw CsvError(t.file + ": line " + std::to_string(row.line) + ": empty Value");
        f[Key(qemdata::Cell(row, "Table"), qemdata::Cell(row, "Class_kV"), qemdata::Cell(row, "Column"))] = v;
    }
    return f;
}

void ReadRegions(const fs::path& file, Norms& n) {
    for (int k = 1; k <= 7; ++k) {
        n.IceReg[k] = kDefaultIceReg[k - 1];
        n.WindReg[k] = kDefaultWindReg[k - 1];
    }
    if (!fs::exists(file)) {
        Warn("regions.csv not found: the regions of the rules (1.0..4.0 cm, 25..49 m/s) are written");
        return;
    }
    CsvTable t = qemdata::ReadCsv(file);
    t.require({"Region", "IceWall_cm", "Wind_ms"});
    static const char* const kRoman[] = {"I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X"};
    for (const auto& row : t.rows) {
        int k = 0;
        for (int i = 0; i < 10; ++i)
            if (qemdata::Cell(row, "Region") == kRoman[i]) k = i + 1;
        if (k == 0) throw CsvError(t.file + ": line " + std::to_string(row.line) + ": unknown region");
        double ice = 0, wind = 0;
        if (qemdata::Number(t, row, "IceWall_cm", ice)) n.IceReg[k] = ToSingle(ice);
        if (qemdata::Number(t, row, "Wind_ms", wind)) n.WindReg[k] = ToSingle(wind);
    }
}

// norms_pue?.csv + assumptions + regions -> hdg?.cat
void MakeNorms(const fs::path& src, const std::string& edition, const fs::path& out) {
    const fs::path file = src / ("norms_pue" + edition + ".csv");
    const std::string outName = NormsFileName(edition == "6");
    if (!fs::exists(file)) {
        Warn(file.filename().string() + " not found: " + outName + " not written");
        return;
    }
    CsvTable t = qemdata::ReadCsv(file);
    t.require({"Table", "Class_kV"});
    const Fill fill = ReadAssumptions(src / "assumptions.csv", edition);
    Norms n;
    ReadRegions(src / "regions.csv", n);
    int assumed = 0;
    auto value = [&](const qemdata::CsvRow& row, const std::string& table, const std::string& kv,
                     const std::string& col) -> float {
        double v = 0;
        const bool given = qemdata::Number(t, row, col, v);
        auto it = fill.find(Key(table, kv, col));
        if (given) {
            if (it != fill.end())
                Warn("ПУЭ-" + edition + " " + table + " " + kv + " kV " + col +
                     ": the source gives a value, the assumption is not used");
            return ToSingle(v);
        }
        if (it != fill.end()) {
            ++assumed;
            return ToSingle(it->second);
        }
        Warn("ПУЭ-" + edition + " " + table + " " + kv + " kV " + col + ": no value and no assumption, 0 written");
        return 0;
    };
    bool seen[3][8] = {};
    for (const auto& row : t.rows) {
        const std::string table = qemdata::Cell(row, "Table"), kv = qemdata::Cell(row, "Class_kV");
        const int u = ClassIndex(kv);
        if (u < 0) throw CsvError(t.file + ": line " + std::to_string(row.line) + ": unknown class " + kv);
        if (table == "ground") {
            const char* cols[] = {"Populated", "Unpopulated", "HardToReach", "Slopes"};
            for (int tm = 0; tm < 4; ++tm) n.NormGround[u][tm] = value(row, table, kv, cols[tm]);
            seen[0][u] = true;
        } else if (table == "cross") {
            n.NormCross[u][0] = value(row, table, kv, "Value");
            seen[1][u] = true;
        } else if (table == "obstacle") {
            const char* cols[] = {"Building", "Road", "Railway", "Tram", "Trolleybus"};
            for (int kind = 0; kind < 5; ++kind) n.NormObst[u][kind] = value(row, table, kv, cols[kind]);
            seen[2][u] = true;
        } else {
            throw CsvError(t.file + ": line " + std::to_string(row.line) + ": unknown table " + table);
        }
    }
    for (int tb = 0; tb < 3; ++tb)
        for (int u = 0; u < 8; ++u)
            if (!seen[tb][u])
                Warn(t.file + ": no " +
                     (tb == 0   ? "ground"
                      : tb == 1 ? "cross"
                                : "obstacle") +
                     " row for " + kVoltageText[u] + " kV, 0 written");
    WriteNormsFile(out / outName, n);
    std::cout << "qemdata: " << outName << ": norms of ПУЭ " << edition << ", " << assumed
              << " empty cells filled from assumptions.csv\n";
}

// equipment.csv -> концевое оборудование.cat
void MakeEquipment(const CsvTable& t, const fs::path& out) {
    std::vector<std::string> cols = {"Kind", "Name", "FullName", "U_kV", "I_A"};
    const char* const temps[] = {"-20", "-15", "-10", "-5", "0", "5", "10", "15", "20", "25", "30", "35", "40"};
    for (const char* c : temps) {
        cols.push_back(std::string("DDTN_") + c);
        cols.push_back(std::string("ADTN_") + c);
    }
    t.require(cols);
    KOCat cat;
    for (const auto& row : t.rows) {
        auto need = [&](const std::string& col) {
            double v = 0;
            if (!qemdata::Number(t, row, col, v))
                throw CsvError(t.file + ": line " + std::to_string(row.line) + ": empty " + col);
            return v;
        };
        TyKO ko;
        ko.Name.assign(Utf8ToCp1251(qemdata::Cell(row, "Name")));
        ko.FullName.assign(Utf8ToCp1251(qemdata::Cell(row, "FullName")));
        const double kind = need("Kind");
        if (kind != 0 && kind != 1 && kind != 2 && kind != 3)
            throw CsvError(t.file + ": line " + std::to_string(row.line) + ": Kind must be 0..3");
        ko.Kind = static_cast<Byte>(kind);
        ko.U = static_cast<Integer>(std::lround(need("U_kV") * 1000));
        ko.I = static_cast<Integer>(std::lround(need("I_A")));
        for (int c = 1; c <= 13; ++c) {
            ko.DDTN[c] = static_cast<Integer>(std::lround(need(std::string("DDTN_") + temps[c - 1])));
            ko.ADTN[c] = static_cast<Integer>(std::lround(need(std::string("ADTN_") + temps[c - 1])));
        }
        cat.push_back(ko);
    }
    SaveKOCat(out / fs::u8path(kKOCatFileName), cat);
    std::cout << "qemdata: " << kKOCatFileName << ": " << cat.size() << " entries\n";
}

// conductor_strands.csv -> heatmodels.txt, each construction checked against the actual sections
// of conductors.csv: n pi d^2 / 4 of its aluminium and steel wires to 0.01 mm2.
void MakeHeatModelFile(const CsvTable& t, const CsvTable* conductors, const fs::path& out) {
    t.require({"Name", "SAlN", "SStN", "NAl", "dAl_mm", "NSt", "dSt_mm"});
    HeatModelData d;
    for (const auto& row : t.rows) {
        auto need = [&](const char* col) {
            double v = 0;
            if (!qemdata::Number(t, row, col, v))
                throw CsvError(t.file + ": line " + std::to_string(row.line) + ": empty " + col);
            return v;
        };
        StrandRow r;
        r.name = Utf8ToCp1251(qemdata::Cell(row, "Name"));
        r.SAlN = ToSingle(need("SAlN"));
        r.SStN = ToSingle(need("SStN"));
        r.dMm = need("dAl_mm");
        if (!(r.dMm > 0 && r.dMm < 100))
            throw CsvError(t.file + ": line " + std::to_string(row.line) + ": dAl_mm must lie between 0 and 100");
        const double SAl = need("NAl") * kPi / 4 * r.dMm * r.dMm,
                     SSt = need("NSt") * kPi / 4 * std::pow(need("dSt_mm"), 2);
        const std::string what =
            qemdata::Cell(row, "Name") + " " + qemdata::Cell(row, "SAlN") + "/" + qemdata::Cell(row, "SStN");
        bool found = false;
        for (const auto& c : conductors ? conductors->rows : std::vector<qemdata::CsvRow>{}) {
            double al = 0, st = 0, cSAl = 0, cSSt = 0;
            if (qemdata::Cell(c, "Name") != qemdata::Cell(row, "Name") ||
                !qemdata::Number(*conductors, c, "SAlN", al) || !qemdata::Number(*conductors, c, "SStN", st) ||
                ToSingle(al) != r.SAlN || ToSingle(st) != r.SStN)
                continue;
            found = true;
            qemdata::Number(*conductors, c, "SAl", cSAl);
            qemdata::Number(*conductors, c, "SSt", cSSt);
            if (std::fabs(SAl - cSAl) > 0.006 || std::fabs(SSt - cSSt) > 0.006)
                Warn(t.file + ": line " + std::to_string(row.line) + ": the construction of " + what +
                     " does not give the actual sections of conductors.csv");
        }
        if (conductors && !found)
            Warn(t.file + ": line " + std::to_string(row.line) + ": " + what + " is not in conductors.csv");
        d.strands.push_back(r);
    }
    SaveHeatModelData(out, d);
    std::cout << "qemdata: " << kHeatModelFileName << ": " << d.strands.size() << " conductors\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: qemdata SOURCE_DIR OUTPUT_DIR\n";
        return 2;
    }
    const fs::path src = argv[1], out = argv[2];
    try {
        fs::create_directories(out);
        if (fs::exists(src / "conductors.csv"))
            MakeConductorCatalog(qemdata::ReadCsv(src / "conductors.csv"), out);
        else
            Warn("conductors.csv not found: glld.cat not written");
        if (fs::exists(src / "conductor_strands.csv")) {
            const bool haveConductors = fs::exists(src / "conductors.csv");
            const CsvTable conductors = haveConductors ? qemdata::ReadCsv(src / "conductors.csv") : CsvTable{};
            MakeHeatModelFile(qemdata::ReadCsv(src / "conductor_strands.csv"), haveConductors ? &conductors : nullptr,
                              out);
        } else {
            Warn("conductor_strands.csv not found: " + std::string(kHeatModelFileName) + " not written");
        }
        MakeNorms(src, "7", out);
        MakeNorms(src, "6", out);
        if (fs::exists(src / "equipment.csv"))
            MakeEquipment(qemdata::ReadCsv(src / "equipment.csv"), out);
        else
            Warn("equipment.csv not found: " + std::string(kKOCatFileName) + " not written");
        // The sample network, from the catalogs as the program loads them.
        WireCatalog wires;
        Norms norms;
        KOCat ko;
        const CatalogLoad load = LoadCatalogs(out, kDefaultWireCatFile, false, wires, norms, ko);
        if (load.wiresRead && load.normsRead && load.koRead)
            WriteNetwork(PathToUtf8(out / PathFromUtf8(kSampleNetworkFile)), BuildSampleNetwork(wires, ko));
        else
            Warn("catalogs incomplete: the sample network not written");
        for (const char* t : {"template_line.txt", "template_min.txt", "template_all.txt"}) {
            if (!fs::exists(src / t)) {
                Warn(std::string(t) + " not found: its template not written");
                continue;
            }
            std::cout << "qemdata: " << qemdata::MakeTemplate(src / t, out) << "\n";
        }
        for (ImportPoints p : {ImportPoints::One, ImportPoints::Two}) {
            BuildImportTemplate(p, wires).Save(PathToUtf8(out / PathFromUtf8(ImportTemplateName(p))));
            std::cout << "qemdata: " << ImportTemplateName(p) << "\n";
        }
        WriteFileAtomically(PathToUtf8(out / PathFromUtf8(kSampleYearWeatherFile)), SampleYearWeather());
        WriteFileAtomically(PathToUtf8(out / PathFromUtf8(kSampleForecastFile)), SampleForecastWeather());
    } catch (const std::exception& e) {
        std::cerr << "qemdata: error: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
