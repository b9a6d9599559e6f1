#include "lines/ComponentLimits.h"

#include "engine/CalcError.h"
#include "engine/Currents.h"
#include "engine/UsableValues.h"
#include "model/Cp1251.h"
#include "model/Format.h"

namespace qem {
namespace {

// Air temperature of a span set for a rating and put back whatever happens.
struct TvvOverride {
    TySpan& span;
    float saved;
    TvvOverride(TySpan& s, Celsius Ta) : span(s), saved(s.Tvv) { span.Tvv = float(Ta); }
    ~TvvOverride() { span.Tvv = saved; }
};

std::string WireText(const TyWire& w, int n) {
    const std::string name = Cp1251ToUtf8(w.Name.str());
    return n == 1 ? name : std::to_string(n) + " " + name;
}

ComponentRow EquipmentRow(const char* name, const TyKO& ko) {
    ComponentRow row;
    row.name = name;
    row.text = Cp1251ToUtf8(ko.FullName.str());
    row.present = !ko.FullName.empty();
    if (!row.present) return row;
    for (int c = 0; c < kLimitTemps; ++c) {
        const int e = c < 13 ? c + 1 : 13;  // +45 C takes the +40 C entry
        if (ko.DDTN[e] != NoLimit) row.DDTN[c] = ko.DDTN[e];
        if (ko.ADTN[e] != NoLimit) row.ADTN[c] = ko.ADTN[e];
    }
    return row;
}

}  // namespace

Amperes getAmperDD(TyLine& line, int s, Celsius Ta, Celsius LongTermTemp) {
    TySpan& span = line.Span(s);
    TvvOverride over(span, Ta);
    return span.Mpr * CurrentAtTemp(span, LongTermTemp, Ta, span.Vv, span.Alfv);
}

Amperes getAmperMD(TyLine& line, int s, Celsius Ta) {
    TySpan& span = line.Span(s);
    TvvOverride over(span, Ta);
    return span.Mpr * CurrentAtTemp(span, span.Pr.TMax, Ta, span.Vv, span.Alfv);
}

ConductorRating RatingFromMinima(Celsius T, const LineMinima& m, int spans) {
    ConductorRating r;
    r.T = T;
    if (spans == 0) {
        r.failure = "в линии нет пролётов";
        return r;
    }
    const struct {
        double value;
        const char* what;
    } minima[] = {{m.LineILong, "длительно допустимый ток"},
                  {m.LineIMax, "максимально допустимый ток"},
                  {m.LineIClr, "допустимый ток по габариту"}};
    for (const auto& x : minima)
        if (!(x.value < kNoLineLimit)) {
            r.failure = std::string("расчёт ВЛ не определил ") + x.what + " ни в одном пролёте";
            return r;
        }
    r.DDTN = std::min(m.LineILong, m.LineIClr);
    r.ADTN = std::min(m.LineIMax, m.LineIClr);
    return r;
}

std::string ConductorLimitText(const TyLine& line, const LineMinima& m, bool emergency) {
    const double heat = emergency ? m.LineIMax : m.LineILong;
    const int heatSpan = emergency ? m.SpanIMax : m.SpanILong;
    auto span = [&](int j) {
        const TySpan& s = line.Span(j);
        return "пролёт " + Cp1251ToUtf8(s.Nop1.str()) + " - " + Cp1251ToUtf8(s.Nop2.str());
    };
    if (line.NSpans() == 0) return "";
    // The least of the two, as the rating takes it (heating when they are equal).
    if (heat <= m.LineIClr) {
        if (heatSpan < 1 || heatSpan > line.NSpans()) return "";
        return span(heatSpan) + ": нагрев";
    }
    if (m.SpanIClr < 1 || m.SpanIClr > line.NSpans()) return "";
    const TySpan& s = line.Span(m.SpanIClr);
    const int k = m.ClrObstacle;
    if (k < 1 || k > 10) return span(m.SpanIClr) + ": габарит до земли";
    const int type = s.Prep[k].TPrp;
    const std::string name =
        type >= 0 && type < kObstacleTypes ? std::string(" «") + kObstacleTypeText[std::size_t(type)] + "»" : "";
    return span(m.SpanIClr) + ": габарит до препятствия " + std::to_string(k) + name;
}

TyLine LimitLine(const TyLine& line, bool useSourceCondition) {
    TyLine l = line;
    for (Integer* n : {&l.NBus1, &l.NBus2, &l.NBus3, &l.NBus4})
        if (*n < 1) *n = 1;
    if (useSourceCondition)
        for (auto& s : l.Spans) s.Tzv = 0, s.Alfv = 90, s.Vv = 0.6f;
    return l;
}

ComponentTable ComponentLimits(TyLine& line, Celsius LongTermTemp, bool useSourceCondition, Dialogs& dlg,
                               const std::function<LineMinima(TyLine&)>& runLine) {
    ConductorRatings ratings;
    TyLine rated = LimitLine(line, useSourceCondition);
    for (int c = 0; c < kLimitTemps; ++c) {
        std::vector<float> saved;
        for (auto& s : rated.Spans) saved.push_back(s.Tvv), s.Tvv = float(LimitTemp(c));
        const LineMinima m = runLine(rated);
        ratings[c] = RatingFromMinima(LimitTemp(c), m, rated.NSpans());
        if (ratings[c].rated()) {
            ratings[c].ddtnBy = ConductorLimitText(rated, m, false);
            ratings[c].adtnBy = ConductorLimitText(rated, m, true);
        }
        for (std::size_t i = 0; i < saved.size(); ++i) rated.Spans[i].Tvv = saved[i];
    }
    return ComponentLimits(line, LongTermTemp, useSourceCondition, dlg, ratings);
}

ComponentTable ComponentLimits(TyLine& line, Celsius LongTermTemp, bool useSourceCondition, Dialogs& dlg,
                               const ConductorRatings& ratings) {
    if (const std::string fault = UnusableLineValue(line); !fault.empty())
        throw CalcError(CalcErrorText(LinePlace(line) + ": " + fault));
    ComponentTable table;
    std::optional<TyLine> kept;
    if (useSourceCondition) {
        kept = line;
        for (auto& s : line.Spans) s.Tzv = 0, s.Alfv = 90, s.Vv = 0.6f;
    }
    struct PutBack {
        TyLine& line;
        std::optional<TyLine>& kept;
        ~PutBack() {
            if (kept) {
                // The wire-count correction stays.
                Integer n1 = line.NBus1, n2 = line.NBus2, n3 = line.NBus3, n4 = line.NBus4;
                line = *kept;
                line.NBus1 = n1, line.NBus2 = n2, line.NBus3 = n3, line.NBus4 = n4;
            }
        }
    } putBack{line, kept};
    for (Integer* n : {&line.NBus1, &line.NBus2, &line.NBus3, &line.NBus4})
        if (*n < 1) *n = 1;

    ComponentRow conductor;
    conductor.name = "Провод ВЛ";
    conductor.present = line.NSpans() > 0;
    if (conductor.present) {
        const TySpan& s1 = line.Span(1);
        std::string t = Format("%29s-%4.0f/%3.0f", Cp1251ToUtf8(s1.Pr.Name.str()), s1.Pr.SAlN, s1.Pr.SStN);
        if (s1.Mpr != 1) t = std::to_string(s1.Mpr) + "x" + t;
        const auto b = t.find_first_not_of(' '), e = t.find_last_not_of(' ');
        conductor.text = b == std::string::npos ? "" : t.substr(b, e - b + 1);
    }
    for (const ConductorRating& r : ratings)
        if (!r.rated()) {
            table.conductorFailure = r.failure;
            table.conductorFailureT = r.T;
            break;
        }
    if (table.conductorFailure.empty())
        for (int c = 0; c < kLimitTemps; ++c) {
            conductor.DDTN[c] = ratings[c].DDTN;
            conductor.ADTN[c] = ratings[c].ADTN;
        }
    table.rows.push_back(conductor);

    ComponentRow cable;
    cable.name = "Кабельная вставка";
    cable.present = line.CabDDTN != 0 || line.CabADTN != 0;
    for (int c = 0; c < kLimitTemps; ++c) {
        if (line.CabDDTN != 0) cable.DDTN[c] = line.CabDDTN;
        if (line.CabADTN != 0) cable.ADTN[c] = line.CabADTN;
    }
    table.rows.push_back(cable);

    // Busbar connections and buses in the carrier span, 0.6 m/s across the conductor.
    struct Bus {
        const char* name;
        const TyWire* wire;
        Integer count;
        const char* failure;
        ComponentRow row;
    } buses[4] = {{"Ош1", &line.Bus1, line.NBus1, "Ошибка при расчёте ошиновки 1", {}},
                  {"Ош2", &line.Bus2, line.NBus2, "Ошибка при расчёте ошиновки 2", {}},
                  {"Ш1", &line.Bus3, line.NBus3, "Ошибка при расчёте шины 1", {}},
                  {"Ш2", &line.Bus4, line.NBus4, "Ошибка при расчёте шины 2", {}}};
    for (auto& b : buses) {
        b.row.name = b.name;
        b.row.text = WireText(*b.wire, b.count);
        b.row.present = !b.wire->Name.empty();
    }
    if (line.NSpans() > 0) {
        TySpan& carrier = line.Span(1);
        const TyWire savedPr = carrier.Pr;
        const Integer savedMpr = carrier.Mpr;
        const float savedAlfv = carrier.Alfv, savedVv = carrier.Vv;
        carrier.Alfv = 90;
        carrier.Vv = 0.6f;
        try {
            for (auto& b : buses) {
                if (!b.row.present) continue;
                carrier.Pr = *b.wire;
                carrier.Mpr = b.count;
                for (int c = 0; c < kLimitTemps; ++c) b.row.DDTN[c] = getAmperDD(line, 1, LimitTemp(c), LongTermTemp);
                for (int c = 0; c < kLimitTemps; ++c) b.row.ADTN[c] = getAmperMD(line, 1, LimitTemp(c));
                carrier.Pr = savedPr;
                carrier.Mpr = savedMpr;
            }
        } catch (const std::exception&) {
            for (auto& b : buses)
                if (carrier.Pr.Name.sameText(b.wire->Name)) dlg.Ask(b.failure, Buttons::Ok, "", Icon::Error);
            table.busFailed = true;
        }
        carrier.Pr = savedPr;
        carrier.Mpr = savedMpr;
        carrier.Alfv = savedAlfv;
        carrier.Vv = savedVv;
    }
    table.rows.push_back(buses[0].row);
    table.rows.push_back(buses[2].row);
    table.rows.push_back(EquipmentRow("В1", line.KOSwitch1));
    table.rows.push_back(EquipmentRow("Р1", line.KODisc1));
    table.rows.push_back(EquipmentRow("З1", line.KOTrap1));
    table.rows.push_back(EquipmentRow("ТТ1", line.KOCT1));
    table.rows.push_back(buses[1].row);
    table.rows.push_back(buses[3].row);
    table.rows.push_back(EquipmentRow("В2", line.KOSwitch2));
    table.rows.push_back(EquipmentRow("Р2", line.KODisc2));
    table.rows.push_back(EquipmentRow("З2", line.KOTrap2));
    table.rows.push_back(EquipmentRow("ТТ2", line.KOCT2));
    return table;
}

}  // namespace qem
