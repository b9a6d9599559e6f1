#include "engine/LineReport.h"

#include <optional>

#include "engine/CalcError.h"
#include "engine/Clearance.h"
#include "engine/Currents.h"
#include "engine/Geometry.h"
#include "engine/HeatBalance.h"
#include "engine/Loads.h"
#include "engine/StateChange.h"
#include "engine/UsableValues.h"
#include "model/Cp1251.h"
#include "model/Format.h"

namespace qem {
namespace {

const char* const kSkyShort[] = {"ясно  ", "облач.", "пасм. ", "ночн. "};

std::string TempText(Celsius T, Celsius TMax) {
    if (T > TMax) return " > max";
    if (T < 0) return "   0  ";
    return Format("%4.1f", T);
}

std::string SpanName(const TySpan& s) { return Cp1251ToUtf8(s.Nop1.str()) + " - " + Cp1251ToUtf8(s.Nop2.str()); }

// The rows of span j into `rows`, lowering the minima.
void SpanRows(TyLine& line, int j, const CalcEnv& env, LineMinima& m, std::vector<LineRow>& rows) {
    TySpan& span = line.Span(j);
    const Norms& norms = *env.norms;
    const double normGround = GroundNorm(norms, line.Uvl, span.TM);
    const int mpr = span.Mpr;
    const int count = span.NPrep < 1 ? 1 : (span.NPrep > 10 ? 10 : span.NPrep);
    const Amperes Icond = ConductorCurrent(span);  // each conductor carries its share of the phase
    PreparedSpan prepared(span);                   // the rows of the span share its states
    std::optional<HeatingState> heating;           // the same for every row: worked out at the first
    for (int k = 1; k <= count; ++k) {
        LineRow row;
        row.span = j;
        row.k = k;
        SpanResult& r = row.state;
        const bool absent = row.absent = span.NPrep < 1 || !(span.Prep[k].Lprep > 0.1f);
        const ClearanceLimit ground = row.ground = ClearanceLimitOf(prepared, k, ClearanceKind::Ground, normGround, r);
        const double obstNorm = absent ? 0 : ObstacleNorm(span, k, line.Uvl, norms);
        ClearanceLimit obst;
        if (!absent) obst = row.obst = ClearanceLimitOf(prepared, k, ClearanceKind::Obstacle, obstNorm, r);
        r.IClear = row.IClear = absent ? ground.I : (obst.I <= ground.I ? obst.I : ground.I);
        if (mpr * r.IClear < m.LineIClr)
            m.LineIClr = mpr * r.IClear, m.SpanIClr = j, m.ClrObstacle = !absent && obst.I <= ground.I ? k : 0;

        if (!heating) heating = HeatingCurve(span, Icond, 0.1);
        const HeatingState heat = *heating;
        const Celsius t = span.Bgv > 0.1f ? Celsius(span.Tvv) : heat.Tprev;
        prepared.StateFirst(k, t, r);
        r.TCond = heat.T;
        if (heat.T > m.HighestTemp) m.HighestTemp = heat.T, m.SpanTemp = j;
        const Amperes Imax = row.IMax = CurrentAtTemp(span, span.Pr.TMax, span.Tvv, span.Vv, span.Alfv);
        r.IMax = Imax;
        if (mpr * Imax < m.LineIMax) m.LineIMax = mpr * Imax, m.SpanIMax = j;
        const Amperes Ilong = row.ILong = CurrentAtTemp(span, env.LongTermTemp, span.Tvv, span.Vv, span.Alfv);
        if (mpr * Ilong < m.LineILong) m.LineILong = mpr * Ilong, m.SpanILong = j;
        // The obstacle clearance after the heating curve, signed: below zero the conductor runs
        // below the top of the object.
        const Metres obstClr = row.obstClr = r.ClrObst;

        r.TCond = prepared.ConductorTemp(span.Tvv, span.Vv, span.Alfv, Icond);
        prepared.State(k, r.TCond, r);
        const bool obstBreached = !absent && (obst.T <= 0 || obst.I <= 0 || obstClr < obstNorm);
        row.red = AllowableStress(span) < r.Sigma || AllowableTension(span) < r.TensionMax || r.ClrMin < normGround ||
                  r.ClrGround < normGround || obstBreached || ground.I <= 0;
        rows.push_back(row);
    }
}

}  // namespace

LineRegimeOutcome CalculateLineRegime(TyLine& line, const CalcEnv& env, const RunControl& control,
                                      const RecomputeHook& recompute) {
    LineRegimeOutcome res;
    LineMinima& m = res.minima;
    const int n = line.NSpans();
    const auto progress = [&](int done) {
        if (control.progress) control.progress(done, n);
    };
    progress(0);
    try {
        for (int j = 1; j <= n; ++j) {
            if (control.cancelled && control.cancelled()) {
                res.end = LineRunEnd::Cancelled;
                progress(0);
                return res;
            }
            RequireUsable(line, line.Span(j));
            if (recompute) recompute(line.Span(j));
            progress(j);
            SpanRows(line, j, env, m, res.rows);
            m.SpansDone = j;
        }
    } catch (const std::exception& e) {
        res.end = LineRunEnd::Failed;
        res.error = e.what();
        res.message = CalcErrorText(e);
    }
    progress(0);
    return res;
}

Report LineRegimeText(const TyLine& line, const LineRegimeOutcome& o) {
    Report table;
    const int n = line.NSpans();
    const LineMinima& m = o.minima;
    table.add("       Результаты расчета");
    table.add("       для ВЛ " + Format("%3s кВ %s-%s", std::string(VoltageText(line.Uvl)),
                                        Cp1251ToUtf8(line.From.str()), Cp1251ToUtf8(line.To.str())));
    table.add(" " + std::string(148, '-'));
    table.add(
        " |            |             |         Исходные данные          |  Допустимые токи,А |Темпер|Напряж|Тяжен.|"
        "Стрела|  Габарит, м     |Доп. темп.пр.    |");
    table.add(
        " |   Пролет   |№ Препятствия|----------------------------------|--------------------|прово-|в про-|пров.,|"
        "провес|-----------------|-----------------|");
    table.add(
        " |            |             |tв,гр.| v,м/с|Уг.вет|Солн.р| Ток,А|Макс.д|Дл.доп|По габ|да,гр.| воде |  кГ  |"
        "   м  |До зем мин|До пр.|До зем мин|До пр.|");
    table.add(
        " |------------+------+------+------+------+------+------+------+------+------+------+------+------+------+"
        "------+----------+------+----------+------|");
    for (const LineRow& row : o.rows) {
        const TySpan& span = line.Span(row.span);
        const SpanResult& r = row.state;
        const int mpr = span.Mpr;
        const bool last = row.span == n;
        const std::string sky = span.Tzv >= 0 && span.Tzv <= 3 ? kSkyShort[span.Tzv] : "";
        const std::string obstText = row.absent ? "    - " : Format("%6.2f", row.obstClr);
        const double TMax = span.Pr.TMax;
        table.add(
            " | " + Format("%5s-%5s", Cp1251ToUtf8(span.Nop1.str()), Cp1251ToUtf8(span.Nop2.str())) +
                Format("|%7u      ", row.k) +
                Format("|%6.0f|%6.1f|%6.0f|%6s|%6.0f|%6.0f|%6.0f|%6.0f|%6.0f|%6.2f|%6.0f|%6.2f|  %6.2f  |%6s|  %6s  "
                       "|%6s|",
                       span.Tvv, span.Vv, span.Alfv, sky, span.Iv, mpr * row.IMax, mpr * row.ILong, mpr * row.IClear,
                       r.TCond, r.Sigma, r.TensionMax, r.SagMid, r.ClrMin, obstText, TempText(row.ground.T, TMax),
                       row.absent ? std::string("    - ") : TempText(row.obst.T, TMax)),
            row.red ? Colour::Red : Colour::Black);
        table.add(
            last ? " |" + std::string(146, '-') + "|"
                 : " |------------+------+------+------+------+------+------+------+------+------+------+------+------+"
                   "------+------+----------+------+----------+------|");
    }
    if (o.end == LineRunEnd::Done) {
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
    return table;
}

}  // namespace qem
