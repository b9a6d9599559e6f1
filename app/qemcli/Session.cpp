#include "app/qemcli/Session.h"

#include <unistd.h>

#include <iostream>

#include "model/Cp1251.h"
#include "model/HeatModelData.h"
#include "model/NetworkFile.h"
#include "platform/DataDir.h"
#include "platform/Parallel.h"

namespace qem::cli {

void OpenSession(Session& s, const Args& a, const std::string& network) {
    s.dataDir = ProgramDataDir(nullptr, a.get("data"));
    s.dlg.echo = [](const std::string& t) { std::cerr << t << "\n"; };
    s.dlg.defaultAnswer = a.has("yes") ? Answer::Yes : Answer::No;
    FolderMemory folder;
    s.settings = LoadSettings(s.dataDir, folder, false);
    const bool pue6 = a.has("pue6");
    s.net.UsePUE6 = pue6;
    s.net.UsePUE7 = !pue6;
    const CatalogLoad load =
        LoadCatalogs(s.dataDir, FieldText(s.settings.WireCatFile), pue6, s.wires, s.norms, s.ko, &s.dlg);
    if (!load.normsRead)
        throw std::runtime_error("the clearance norms file " + std::string(pue6 ? "hdg6.cat" : "hdg7.cat") +
                                 " could not be read in " + s.dataDir.string());
    s.env.norms = &s.norms;
    s.env.LongTermTemp = s.settings.LongTermTemp;
    const int jobs = a.getInt("jobs", int(AllCores()));
    if (jobs < 1 || jobs > 256) throw UsageError("--jobs must be 1..256, got " + std::to_string(jobs));
    s.env.jobs = unsigned(jobs);
    if (!network.empty()) {
        s.net.NetFileName = network;
        ReadNetwork(s.net);
        RefreshConductors(s.net.Lines, s.wires);
        if (s.net.NLines() == 0) throw std::runtime_error("the network " + network + " holds no lines");
        s.net.CurLine = 1;
        s.net.ResetCurSpans();
    }
}

void OpenLine(Session& s, const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    OpenSession(s, a, a.positional[0]);
    SelectLine(s, a);
    ApplyChoices(s, a, s.net.Line(s.net.CurLine).Span(1));
}

void SelectLine(Session& s, const Args& a) {
    const int l = a.getInt("line");
    if (l < 1 || l > s.net.NLines())
        throw UsageError("--line must be 1.." + std::to_string(s.net.NLines()) + ", got " + std::to_string(l));
    s.net.CurLine = l;
}

void SelectSpan(Session& s, const Args& a) {
    SelectLine(s, a);
    const int n = s.net.Line(s.net.CurLine).NSpans();
    const int sp = a.getInt("span");
    if (sp < 1 || sp > n) throw UsageError("--span must be 1.." + std::to_string(n) + ", got " + std::to_string(sp));
    s.net.CurSpan[s.net.CurLine] = sp;
}

void ApplyChoices(Session& s, const Args& a, const TySpan& shown) {
    s.env.mode = shown.LZam[1] > 0.001f ? ZamerMode::TwoPoints : ZamerMode::OnePoint;
    s.env.seaLevel = shown.UseSea == 1;
    if (a.has("mode")) {
        const std::string m = a.get("mode");
        if (m == "one")
            s.env.mode = ZamerMode::OnePoint;
        else if (m == "two")
            s.env.mode = ZamerMode::TwoPoints;
        else
            throw UsageError("--mode must be one or two");
    }
    if (a.has("sea")) s.env.seaLevel = true;
    if (a.has("no-sea")) s.env.seaLevel = false;
}

void PrintReport(const Report& r, const Args& a) {
    const std::string c = a.get("color", "auto");
    bool colour = c == "always" || (c == "auto" && isatty(STDOUT_FILENO));
    if (c != "always" && c != "never" && c != "auto") throw UsageError("--color must be always, never or auto");
    Report shown = r;
    for (ReportLine& l : shown.lines) l.text = TerminalText(l.text);
    if (!colour) {
        std::cout << shown.PlainText();
        return;
    }
    std::cout.flush();
    RawOut() << AnsiText(shown);
    RawOut().flush();
}

std::optional<ModelChoice> ModelOption(const Session& s, const Args& a) {
    if (!a.has("model") && !a.has("emissivity") && !a.has("absorptivity")) return std::nullopt;
    const std::optional<HeatModel> m = HeatModelFromName(a.get("model", "qem"));
    if (!m) throw UsageError("--model must be qem, ieee738 or cigre601, got " + a.get("model"));
    ModelChoice c = ModelChoice::From(*m, LoadHeatModelData(s.dataDir));
    for (const char* name : {"emissivity", "absorptivity"}) {
        if (!a.has(name)) continue;
        const double v = a.getReal(name);
        if (!UsableSurfaceFactor(v)) throw UsageError(std::string("--") + name + " must lie above 0 and at most 1");
        (std::string(name) == "emissivity" ? c.emissivity : c.absorptivity) = v;
    }
    return c;
}

}  // namespace qem::cli
