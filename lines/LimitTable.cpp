#include "lines/LimitTable.h"

#include <charconv>
#include <set>

#include "lines/CalcCommands.h"
#include "model/Cp1251.h"
#include "model/Format.h"
#include "platform/Parallel.h"
#include "platform/ScriptedDialogs.h"

namespace qem {
namespace {

std::string SpanNumbers(const TySpan& s) { return Cp1251ToUtf8(s.Nop1.str()) + " - " + Cp1251ToUtf8(s.Nop2.str()); }

// The shortest decimal text of a Single, with the decimal comma of the Russian locale.
std::string SingleText(float v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == '.') c = ',';
    return s;
}

int Column(int c) { return kFirstTempColumn + c; }

// The component rows of ComponentTable (conductor, cable, Ош1, Ш1, В1, Р1, З1, ТТ1, Ош2, Ш2,
// В2, Р2, З2, ТТ2) in the sheet: component i takes rows 5 + 2i (ДДТН) and 6 + 2i (АДТН).
int DdtnRow(int i) { return kTableFirstRow + 2 * i; }

// Names of the components in the texts of Q35 and Q36, as the template's work area names them.
const char* const kPlainNames[] = {"провод ВЛ", "кабельная вставка"};
const char* const kEndNames[] = {"ошиновка",      "шины",           "выключатель",
                                 "разъединитель", "ВЧ-заградитель", "трансформатор тока"};

std::string Joined(const std::vector<std::string>& names) {
    std::string s;
    for (const auto& n : names) s += (s.empty() ? "" : ", ") + n;
    return s;
}

}  // namespace

std::string LineTitle(const TyLine& line) {
    return "ВЛ " + std::string(VoltageText(line.Uvl)) + "кВ " + Cp1251ToUtf8(line.From.str()) + "-" +
           Cp1251ToUtf8(line.To.str());
}

std::string LineName(const TyLine& line) {
    return std::string(VoltageText(line.Uvl)) + " кВ " + Cp1251ToUtf8(line.From.str()) + "-" +
           Cp1251ToUtf8(line.To.str());
}

ConductorRating RateLineConductor(const TyLine& line, const CalcEnv& env, Celsius T, int zamer) {
    TyLine copy = line;
    for (auto& s : copy.Spans) s.Tvv = float(T);
    ScriptedDialogs quiet;
    Report report;
    ConductorRating r;
    try {
        const LineCalculation c = CalculateLine(copy, env, quiet, report, zamer);
        if (!c.check.empty()) {
            r.failure = c.check;
            r.span = c.checkSpan;
        } else if (c.end == CommandEnd::Failed) {
            r.span = std::min(c.outcome.minima.SpansDone + 1, copy.NSpans());
            r.failure = !c.measurement.empty()
                            ? c.measurement
                            : "Произошла ошибка при расчёте в пролёте № " + SpanNumbers(copy.Span(r.span));
        } else if (c.end != CommandEnd::Done) {
            r.failure = "расчёт ВЛ прерван";
        } else {
            r = RatingFromMinima(T, c.outcome.minima, copy.NSpans());
            if (r.rated()) {
                r.ddtnBy = ConductorLimitText(copy, c.outcome.minima, false);
                r.adtnBy = ConductorLimitText(copy, c.outcome.minima, true);
            }
        }
    } catch (const std::exception&) {
        r.failure = "Произошла ошибка при расчёте";
    }
    r.T = T;
    std::set<std::string> seen;
    for (const auto& shown : quiet.shown)
        if (seen.insert(shown.text).second) r.notes.push_back(shown.text);
    r.report = std::move(report);
    return r;
}

std::optional<ConductorRatings> RateLineConductorAll(const TyLine& line, const CalcEnv& env, bool useSourceCondition,
                                                     int zamer, const std::function<bool(int)>& step) {
    const TyLine rated = LimitLine(line, useSourceCondition);
    ConductorRatings r;
    // Each temperature on its own copy of the line, on env.jobs threads; `step` in order.
    bool stopped = false;
    RunInOrder(
        kLimitTemps, env.jobs, [&](int c) { return RateLineConductor(rated, env, LimitTemp(c), zamer); },
        [&](int c, ConductorRating& rating) {
            r[c] = std::move(rating);
            stopped = step && !step(c + 1);
            return !stopped;
        });
    if (stopped) return std::nullopt;
    return r;
}

namespace {

std::string TempText(Celsius t) { return (t > 0 ? "+" : "") + Format("%.0f", t); }

// "(пролёт 3 - 4: нагрев)" for the temperature columns where the conductor limits the line,
// in runs of the same reason; empty when no reason is known.
std::string ConductorDetail(const ConductorRatings& ratings, const std::vector<int>& columns, bool emergency) {
    struct Run {
        std::string by;
        int first, last;
    };
    std::vector<Run> runs;
    for (int c : columns) {
        const std::string& by = emergency ? ratings[std::size_t(c)].adtnBy : ratings[std::size_t(c)].ddtnBy;
        if (by.empty()) continue;
        if (!runs.empty() && runs.back().by == by && runs.back().last == c - 1)
            runs.back().last = c;
        else
            runs.push_back({by, c, c});
    }
    if (runs.empty()) return "";
    std::string s;
    for (const Run& r : runs) {
        s += (s.empty() ? "" : "; ") + r.by;
        if (runs.size() > 1)
            s += " при " + TempText(LimitTemp(r.first)) + (r.first == r.last ? "" : "…" + TempText(LimitTemp(r.last))) +
                 " °C";
    }
    return " (" + s + ")";
}

}  // namespace

LineLimits CombineLimits(const Sheet& sheet, const ConductorRatings* ratings) {
    LineLimits out;
    const std::string end1 = sheet.Text(9, 3), end2 = sheet.Text(21, 3);
    std::vector<std::string> names;
    for (const char* n : kPlainNames) names.push_back(n);
    for (const std::string& end : {end1, end2})
        for (const char* n : kEndNames) names.push_back(std::string(n) + " (" + end + ")");
    for (int kind = 0; kind < 2; ++kind) {
        auto& row = kind == 0 ? out.DDTN : out.ADTN;
        std::array<std::optional<double>, kLimitTemps> least{};
        for (int i = 0; i < int(names.size()); ++i)
            for (int c = 0; c < kLimitTemps; ++c) {
                const CellValue v = sheet.Value(DdtnRow(i) + kind, Column(c));
                if (v.kind == CellKind::Number && (!least[c] || v.number < *least[c])) least[c] = v.number;
            }
        for (int c = 0; c < kLimitTemps; ++c) row[c] = least[c].value_or(0);
        std::vector<std::string> limiting;
        for (int i = 0; i < int(names.size()); ++i) {
            std::vector<int> where;  // the temperature columns where the component limits the line
            for (int c = 0; c < kLimitTemps; ++c) {
                const CellValue v = sheet.Value(DdtnRow(i) + kind, Column(c));
                if (v.kind == CellKind::Number && v.number == row[c]) where.push_back(c);
            }
            if (where.empty()) continue;
            std::string name = names[std::size_t(i)];
            if (i == 0 && ratings) name += ConductorDetail(*ratings, where, kind == 1);
            limiting.push_back(name);
        }
        std::string& text = kind == 0 ? out.ddtnText : out.adtnText;
        if (!limiting.empty())
            text = (kind == 0 ? "ДДТН ограничивает: " : "АДТН ограничивает: ") + Joined(limiting) +
                   (kind == 0 ? ". " : ".");
    }
    return out;
}

const ConductorRating* FirstUnrated(const ConductorRatings& ratings) {
    for (const ConductorRating& r : ratings)
        if (!r.rated()) return &r;
    return nullptr;
}

std::string UnratedMessage(const TyLine& line, Celsius T, const std::string& reason) {
    return "ВЛ " + LineName(line) + ": провод ВЛ не рассчитан при температуре воздуха " + Format("%.0f", T) +
           " °C: " + reason;
}

LimitTableOutcome CalculateAllLine(TyLine& line, const ConductorRatings& ratings, Celsius LongTermTemp,
                                   bool useSourceCondition, Dialogs& dlg, Sheet& sheet) {
    LimitTableOutcome out;
    const ComponentTable t = ComponentLimits(line, LongTermTemp, useSourceCondition, dlg, ratings);
    std::set<std::string> seen;
    for (const ConductorRating& r : ratings)
        for (const std::string& n : r.notes)
            if (seen.insert(n).second) out.notes.push_back(n);
    if (t.busFailed) return out;
    out.written = true;
    const std::string volt = VoltageText(line.Uvl);
    auto amps = [](double v) { return Format("%5.0f", v); };
    // A component row pair: one text per temperature column where the component has a limit.
    auto rowPair = [&](int i) {
        const ComponentRow& row = t.rows[std::size_t(i)];
        for (int c = 0; c < kLimitTemps; ++c) {
            if (row.DDTN[c]) sheet.SetText(DdtnRow(i), Column(c), amps(*row.DDTN[c]));
            if (row.ADTN[c]) sheet.SetText(DdtnRow(i) + 1, Column(c), amps(*row.ADTN[c]));
        }
    };

    // An unset line number (0) is an empty cell, never "0".
    sheet.SetText(5, 1, line.NVL == 0 ? "" : std::to_string(line.NVL));
    sheet.SetText(9, 5, t.rows[2].text);   // Bus1
    sheet.SetText(11, 5, t.rows[3].text);  // Bus3
    sheet.SetText(21, 5, t.rows[8].text);  // Bus2
    sheet.SetText(23, 5, t.rows[9].text);  // Bus4
    sheet.SetText(5, 2, LineTitle(line));
    sheet.SetText(33, 3, LineTitle(line));
    sheet.SetText(9, 3, "ПС " + volt + " кВ " + Cp1251ToUtf8(line.From.str()));
    sheet.SetText(21, 3, "ПС " + volt + " кВ " + Cp1251ToUtf8(line.To.str()));
    if (line.CabDDTN != 0) sheet.SetText("F7:S7", SingleText(line.CabDDTN));
    if (line.CabADTN != 0) sheet.SetText("F8:S8", SingleText(line.CabADTN));
    rowPair(0);  // the line conductor (nothing when it is not rated)
    sheet.SetText(5, 5, t.rows[0].text);
    for (int i : {2, 8, 3, 9}) rowPair(i);  // Bus1, Bus2, Bus3, Bus4
    // Terminal equipment: the tables' values -20 ... +40 C, and +45 C as +40 C; the type
    // designation in column E.
    const TyKO* const ko[] = {&line.KOSwitch1, &line.KODisc1, &line.KOTrap1, &line.KOCT1,
                              &line.KOSwitch2, &line.KODisc2, &line.KOTrap2, &line.KOCT2};
    const int koRow[] = {4, 5, 6, 7, 10, 11, 12, 13};
    for (int e = 0; e < 8; ++e) {
        if (ko[e]->FullName.empty()) continue;
        const int r = DdtnRow(koRow[e]);
        for (int k = 1; k <= 13; ++k) {
            sheet.SetText(r, Column(k - 1), std::to_string(ko[e]->DDTN[k]));
            sheet.SetText(r + 1, Column(k - 1), std::to_string(ko[e]->ADTN[k]));
        }
        sheet.SetText(r, 5, Cp1251ToUtf8(ko[e]->Name.str()));
    }
    for (int r : {13, 25})
        for (int k = r; k < r + 8; ++k) sheet.SetText(k, Column(13), sheet.Text(k, Column(12)));
    // The tables' "no limit" shows as an empty cell.
    for (int c = 0; c < kLimitTemps; ++c)
        for (int r = kTableFirstRow; r <= kTableLastRow; ++r)
            if (sheet.Text(r, Column(c)) == "500000") sheet.SetText(r, Column(c), "");

    // The line's own limits and what limits it: results of the template's formulas.
    out.limits = CombineLimits(sheet, &ratings);
    const bool rated = t.conductorFailure.empty();
    auto result = [&](int r, int c, const CellValue& v) {
        if (!sheet.Formula(r, c).empty())
            sheet.SetFormulaResult(r, c, v);
        else if (v.kind == CellKind::Number)
            sheet.SetNumber(r, c, v.number);
        else
            sheet.SetText(r, c, v.text);
    };
    for (int c = 0; c < kLimitTemps; ++c) {
        result(kLineDDTNRow, Column(c), rated ? CellValue::Number(out.limits.DDTN[c]) : CellValue{});
        result(kLineADTNRow, Column(c), rated ? CellValue::Number(out.limits.ADTN[c]) : CellValue{});
    }
    result(35, 17, CellValue::Text(out.limits.ddtnText));
    result(36, 17, CellValue::Text(out.limits.adtnText));
    if (rated) {
        sheet.SetText(5, 20, sheet.Text("Q35") + sheet.Text("Q36"));
    } else {
        out.unrated = "Провод ВЛ не рассчитан: " + t.conductorFailure;
        out.message = UnratedMessage(line, t.conductorFailureT, t.conductorFailure);
        sheet.SetText(5, 20, out.unrated);
    }
    sheet.SetText("A35:Q62", "");
    return out;
}

}  // namespace qem
