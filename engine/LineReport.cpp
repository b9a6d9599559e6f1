#include "engine/LineReport.h"

#include <optional>

#include "engine/CalcError.h"
#include "engine/Clearance.h"
#include "engine/Currents.h"
#include "engine/Format.h"
#include "engine/Geometry.h"
#include "engine/HeatBalance.h"
#include "engine/Loads.h"
#include "engine/StateChange.h"
#include "model/Cp1251.h"

namespace qem {
namespace {

const char* const kSkyShort[] = {"ясно  ", "облач.", "пасм. ", "ночн. "};

std::string TempText(Celsius T, Celsius TMax) {
    if (T > TMax) return " > max";
    if (T < 0) return "   0  ";
    return Format("%4.1f", T);
}

std::string SpanName(const TySpan& s) { return Cp1251ToUtf8(s.Nop1.str()) + " - " + Cp1251ToUtf8(s.Nop2.str()); }

// The rows of span j into `out`, lowering the minima.
void SpanRows(TyLine& line, int j, const CalcEnv& env, LineMinima& m, Report& out) {
    TySpan& span = line.Span(j);
    const Norms& norms = *env.norms;
    const double normGround = GroundNorm(norms, line.Uvl, span.TM);
    const int mpr = span.Mpr;
    const int rows = span.NPrep < 1 ? 1 : (span.NPrep > 10 ? 10 : span.NPrep);
    const bool last = j == line.NSpans();
    const std::string sky = span.Tzv >= 0 && span.Tzv <= 3 ? kSkyShort[span.Tzv] : "";
    const Amperes Icond = ConductorCurrent(span);  // each conductor carries its share of the phase
    PreparedSpan prepared(span);  // the rows of the span share its states
    std::optional<HeatingState> heating;  // the same for every row: worked out at the first
    for (int k = 1; k <= rows; ++k) {
        SpanResult r;
        const bool absent = span.NPrep < 1 || !(span.Prep[k].Lprep > 0.1f);
        const ClearanceLimit ground = ClearanceLimitOf(prepared, k, ClearanceKind::Ground, normGround, r);
        const double obstNorm = absent ? 0 : ObstacleNorm(span, k, line.Uvl, norms);
        ClearanceLimit obst;
        if (!absent) obst = ClearanceLimitOf(prepared, k, ClearanceKind::Obstacle, obstNorm, r);
        r.IClear = absent ? ground.I : (obst.I <= ground.I ? obst.I : ground.I);
        if (mpr * r.IClear < m.LineIClr) m.LineIClr = mpr * r.IClear, m.SpanIClr = j;

        if (!heating) heating = HeatingCurve(span, Icond, 0.1);
        const HeatingState heat = *heating;
        const Celsius t = span.Bgv > 0.1f ? Celsius(span.Tvv) : heat.Tprev;
        prepared.StateFirst(k, t, r);
        r.TCond = heat.T;
        if (heat.T > m.HighestTemp) m.HighestTemp = heat.T, m.SpanTemp = j;
        const Amperes Imax = CurrentAtTemp(span, span.Pr.TMax, span.Tvv, span.Vv, span.Alfv);
        r.IMax = Imax;
        if (mpr * Imax < m.LineIMax) m.LineIMax = mpr * Imax, m.SpanIMax = j;
        const Amperes Ilong = CurrentAtTemp(span, env.LongTermTemp, span.Tvv, span.Vv, span.Alfv);
        if (mpr * Ilong < m.LineILong) m.LineILong = mpr * Ilong, m.SpanILong = j;
        // The obstacle clearance after the heating curve, signed: below zero the conductor runs
        // below the top of the object.
        const Metres obstClr = r.ClrObst;
        const std::string obstText = absent ? "    - " : Format("%6.2f", obstClr);

        r.TCond = prepared.ConductorTemp(span.Tvv, span.Vv, span.Alfv, Icond);
        prepared.State(k, r.TCond, r);
        const bool obstBreached = !absent && (obst.T <= 0 || obst.I <= 0 || obstClr < obstNorm);
        const bool red = AllowableStress(span) < r.Sigma || AllowableTension(span) < r.TensionMax ||
                         r.ClrMin < normGround || r.ClrGround < normGround || obstBreached || ground.I <= 0;
        const double TMax = span.Pr.TMax;
        out.add(" | " + Format("%5s-%5s", Cp1251ToUtf8(span.Nop1.str()), Cp1251ToUtf8(span.Nop2.str())) +
                    Format("|%7u      ", k) +
                    Format("|%6.0f|%6.1f|%6.0f|%6s|%6.0f|%6.0f|%6.0f|%6.0f|%6.0f|%6.2f|%6.0f|%6.2f|  %6.2f  |%6s|  %6s  "
                           "|%6s|",
                           span.Tvv, span.Vv, span.Alfv, sky, span.Iv, mpr * Imax, mpr * Ilong, mpr * r.IClear,
                           r.TCond, r.Sigma, r.TensionMax, r.SagMid, r.ClrMin, obstText,
                           TempText(ground.T, TMax), absent ? std::string("    - ") : TempText(obst.T, TMax)),
                red ? Colour::Red : Colour::Black);
        out.add(last ? " |" + std::string(146, '-') + "|"
                     : " |------------+------+------+------+------+------+------+------+------+------+------+------+------+"
                       "------+------+----------+------+----------+------|");
    }
}

}  // namespace

LineRegimeOutcome LineRegimeReport(TyLine& line, const CalcEnv& env, Dialogs& dlg, Report& out,
                                   const RecomputeHook& recompute) {
    LineRegimeOutcome res;
    LineMinima& m = res.minima;
    Report table;
    const int n = line.NSpans();
    dlg.Progress(0, n);
    table.add("       Результаты расчета");
    table.add("       для ВЛ " + Format("%3s кВ %s-%s", std::string(VoltageText(line.Uvl)),
                                        Cp1251ToUtf8(line.From.str()), Cp1251ToUtf8(line.To.str())));
    table.add(" " + std::string(148, '-'));
    table.add(" |            |             |         Исходные данные          |  Допустимые токи,А |Темпер|Напряж|Тяжен.|"
              "Стрела|  Габарит, м     |Доп. темп.пр.    |");
    table.add(" |   Пролет   |№ Препятствия|----------------------------------|--------------------|прово-|в про-|пров.,|"
              "провес|-----------------|-----------------|");
    table.add(" |            |             |tв,гр.| v,м/с|Уг.вет|Солн.р| Ток,А|Макс.д|Дл.доп|По габ|да,гр.| воде |  кГ  |"
              "   м  |До зем мин|До пр.|До зем мин|До пр.|");
    table.add(" |------------+------+------+------+------+------+------+------+------+------+------+------+------+------+"
              "------+----------+------+----------+------|");
    try {
        for (int j = 1; j <= n; ++j) {
            if (dlg.Cancelled()) {
                res.end = LineRunEnd::Cancelled;
                dlg.Progress(0, n);
                return res;
            }
            if (recompute) recompute(line.Span(j));
            dlg.Progress(j, n);
            SpanRows(line, j, env, m, table);
            m.SpansDone = j;
        }
    } catch (const std::exception& e) {
        res.end = LineRunEnd::Failed;
        res.error = e.what();
    }
    if (res.end == LineRunEnd::Done) {
        table.add("");
        if (n == 0) {
            table.add(" В линии нет пролётов: расчёт не выполнялся");
        } else {
            auto name = [&](int j) { return SpanName(line.Span(j)); };
            table.add(" Макс. допустимый ток, А       - " + Format("%6.0f", m.LineIMax));
            table.add(" в пролете " + name(m.SpanIMax));
            table.add(" Длит. допустимый ток, А       - " + Format("%6.0f", m.LineILong));
            table.add(" в пролете " + name(m.SpanILong));
            table.add(" Допустимый ток по габариту, А - " + Format("%6.0f", m.LineIClr));
            table.add(" в пролете " + name(m.SpanIClr));
            table.add(" Макс. температура провода, оС - " + Format("%6.0f", m.HighestTemp));
            table.add(" в пролете " + name(m.SpanTemp));
        }
    }
    dlg.Progress(0, n);
    out = std::move(table);
    return res;
}

}  // namespace qem
