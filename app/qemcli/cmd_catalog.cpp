// qemcli catalog: the conductor catalog of the data folder as the program loads and sorts it.
#include <iostream>
#include <sstream>

#include "app/qemcli/Cli.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/TextGrid.h"
#include "platform/DataDir.h"
#include "platform/ScriptedDialogs.h"

namespace qem::cli {
namespace {

int RunCatalog(const Args& a) {
    ScriptedDialogs dialogs;
    dialogs.echo = [](const std::string& text) { std::cerr << text << "\n"; };
    const auto dir = ProgramDataDir(nullptr, a.get("data"));
    const AppData d = LoadAll(dir, a.has("pue6"), &dialogs);
    const std::string catFile = FieldText(d.settings.WireCatFile);
    if (!d.load.wiresRead) {
        std::cerr << "qemcli catalog: каталог проводов \"" << catFile << "\" не найден в папке \"" << PathText(dir)
                  << "\"\n";
        return 1;
    }
    const WireCatalog& c = d.wires;
    if (a.has("json")) {
        std::ostringstream o;
        o << "{\"dataDir\":" << JsonString(PathText(dir)) << ",\"catalogFile\":" << JsonString(catFile)
          << ",\"sorted\":" << (d.load.sorted ? "true" : "false") << ",\"errors\":[";
        for (std::size_t i = 0; i < d.load.errors.size(); ++i) o << (i ? "," : "") << JsonString(d.load.errors[i]);
        o << "],\"NWires\":" << int(c.NWires) << ",\"entries\":[";
        for (int k = 1; k <= c.NWires; ++k) {
            const TyWire& w = c.Wires[k];
            o << (k > 1 ? "," : "") << "\n{\"k\":" << k << ",\"display\":" << JsonString(WireDisplayText(w))
              << ",\"Name\":" << JsonString(Cp1251ToUtf8(w.Name.str())) << ",\"SAlN\":" << JsonSingle(w.SAlN)
              << ",\"SStN\":" << JsonSingle(w.SStN) << ",\"D\":" << JsonSingle(w.D) << ",\"DSt\":" << JsonSingle(w.DSt)
              << ",\"R\":" << JsonSingle(w.R) << ",\"AlfaR\":" << JsonSingle(w.AlfaR)
              << ",\"MAl\":" << JsonSingle(w.MAl) << ",\"MSt\":" << JsonSingle(w.MSt)
              << ",\"TMax\":" << JsonSingle(w.TMax) << ",\"WireBreak\":" << JsonSingle(c.WireBreak[k])
              << ",\"WireSAl\":" << JsonSingle(c.WireSAl[k]) << ",\"WireSSt\":" << JsonSingle(c.WireSSt[k]) << "}";
        }
        o << "]}\n";
        std::cout << o.str();
        return 0;
    }
    std::cout << "Каталог проводов \"" << catFile << "\" (папка \"" << PathText(dir) << "\"): " << int(c.NWires)
              << " записей" << (d.load.sorted ? "" : ", не отсортирован") << "\n\n";
    auto col = [](const std::string& s, int w) { return PadLeftUtf8(s, w); };
    std::cout << col("k", 3) << "  " << col("Провод", 39) << col("SAlN", 7) << col("SStN", 6) << col("D", 6)
              << col("DSt", 7) << col("R", 8) << col("AlfaR", 9) << col("MAl", 8) << col("MSt", 7) << col("TMax", 6)
              << col("WireBreak", 11) << col("WireSAl", 9) << col("WireSSt", 9) << "\n";
    int noBreak = 0;
    for (int k = 1; k <= c.NWires; ++k) {
        const TyWire& w = c.Wires[k];
        noBreak += c.WireBreak[k] <= 0;
        std::cout << col(std::to_string(k), 3) << "  " << col(WireDisplayText(w), 39) << col(ShortestSingle(w.SAlN), 7)
                  << col(ShortestSingle(w.SStN), 6) << col(ShortestSingle(w.D), 6) << col(ShortestSingle(w.DSt), 7)
                  << col(ShortestSingle(w.R), 8) << col(ShortestSingle(w.AlfaR), 9) << col(ShortestSingle(w.MAl), 8)
                  << col(ShortestSingle(w.MSt), 7) << col(ShortestSingle(w.TMax), 6)
                  << col(ShortestSingle(c.WireBreak[k]), 11) << col(ShortestSingle(c.WireSAl[k]), 9)
                  << col(ShortestSingle(c.WireSSt[k]), 9) << "\n";
    }
    std::cout << "\nЕдиницы: SAlN, SStN, WireSAl, WireSSt мм2; D, DSt см; R Ом/км; AlfaR 1/K; MAl, MSt кг/км; "
                 "TMax °C; WireBreak Н.\n";
    if (noBreak)
        std::cout << "Разрывное усилие не задано (0) у " << noBreak
                  << " записей: расчёт пролёта с таким проводом не выполняется, пока оно не введено.\n";
    return 0;
}

Registrar r({"catalog",
             "catalog [--data DIR] [--pue6] [--json]",
             "prints the conductor catalog as loaded and sorted: display texts, every field, breaking forces "
             "and actual sections",
             {},
             RunCatalog});

}  // namespace
}  // namespace qem::cli
