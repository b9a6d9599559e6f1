// qemcli norms: the clearance norms in force and the climatic regions.
#include <algorithm>
#include <iostream>
#include <sstream>

#include "app/qemcli/Cli.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/NormsFile.h"
#include "platform/DataDir.h"
#include "platform/ScriptedDialogs.h"

namespace qem::cli {
namespace {

// A grid as a fixed-width table: first column left-aligned, the others right-aligned.
void PrintGrid(const TextGrid& g) {
    std::vector<std::size_t> w(static_cast<std::size_t>(g.colCount), 0);
    for (const auto& row : g.rows)
        for (int c = 0; c < g.colCount; ++c) w[c] = std::max(w[c], Utf8Length(row[c]));
    for (const auto& row : g.rows) {
        std::string line = row[0] + std::string(w[0] - Utf8Length(row[0]), ' ');
        for (int c = 1; c < g.colCount; ++c) line += "  " + PadLeftUtf8(row[c], static_cast<int>(w[c]));
        std::cout << line << "\n";
    }
}

std::string JsonRow(const float* v, int n) {
    std::string s = "[";
    for (int i = 0; i < n; ++i) {
        if (i) s += ',';
        s += JsonSingle(v[i]);
    }
    return s + "]";
}

int RunNorms(const Args& a) {
    ScriptedDialogs dialogs;
    dialogs.echo = [](const std::string& text) { std::cerr << text << "\n"; };
    const bool pue6 = a.has("pue6");
    const auto dir = ProgramDataDir(nullptr, a.get("data"));
    const AppData d = LoadAll(dir, pue6, &dialogs);
    const std::string file = NormsFileName(pue6);
    if (!d.load.normsRead) {
        std::cerr << "qemcli norms: файл норм \"" << file << "\" не найден в папке \"" << PathText(dir) << "\"\n";
        return 1;
    }
    const Norms& n = d.norms;
    if (a.has("json")) {
        std::ostringstream o;
        o << "{\"dataDir\":" << JsonString(PathText(dir)) << ",\"file\":" << JsonString(file)
          << ",\"rules\":" << JsonString(pue6 ? "ПУЭ 6" : "ПУЭ 7") << ",\"classes\":[";
        for (int u = 0; u < 8; ++u) o << (u ? "," : "") << JsonString(kVoltageText[u]);
        o << "],\n\"NormGround\":[";
        for (int u = 0; u < 8; ++u) o << (u ? "," : "") << JsonRow(n.NormGround[u], 4);
        o << "],\n\"NormCross\":[";
        for (int u = 0; u < 8; ++u) o << (u ? "," : "") << JsonRow(n.NormCross[u], 24);
        o << "],\n\"NormObst\":[";
        for (int u = 0; u < 8; ++u) o << (u ? "," : "") << JsonRow(n.NormObst[u], 7);
        o << "],\n\"IceReg\":" << JsonRow(n.IceReg.begin(), 10) << ",\"WindReg\":" << JsonRow(n.WindReg.begin(), 10)
          << "}\n";
        std::cout << o.str();
        return 0;
    }
    std::cout << "Нормы габаритов " << (pue6 ? "ПУЭ 6" : "ПУЭ 7") << " (\"" << file << "\", папка \"" << PathText(dir)
              << "\"), м\n\nДо земли\n";
    PrintGrid(NormsGrid(n, NormsPage::Ground, true));
    std::cout << "\nДо пересекаемой ВЛ\n";
    PrintGrid(NormsGrid(n, NormsPage::Cross, true));
    std::cout << "\nДо препятствий\n";
    PrintGrid(NormsGrid(n, NormsPage::Obstacle, true));
    std::cout << "\nРайоны по гололёду и ветру\n";
    TextGrid reg(3, 11);
    reg.at(0, 0) = "Район";
    reg.at(1, 0) = "Стенка гололёда, см";
    reg.at(2, 0) = "Скорость ветра, м/с";
    for (int k = 1; k <= 10; ++k) {
        reg.at(0, k) = std::to_string(k);
        reg.at(1, k) = FormatFixed(n.IceReg[k], 4, 1);
        reg.at(2, k) = FormatFixed(n.WindReg[k], 4, 1);
    }
    PrintGrid(reg);
    return 0;
}

Registrar r({"norms",
             "norms [--data DIR] [--pue6] [--json]",
             "prints the clearance norms in force (ground, crossed lines, obstacles) and the ice and wind regions",
             {},
             RunNorms});

}  // namespace
}  // namespace qem::cli
