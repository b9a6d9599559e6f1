#include "engine/AllowTempReport.h"

#include "engine/CalcError.h"
#include "engine/Clearance.h"
#include "engine/Currents.h"
#include "engine/Geometry.h"
#include "engine/HeatBalance.h"
#include "engine/StateChange.h"
#include "engine/UsableValues.h"
#include "model/Cp1251.h"
#include "model/Format.h"

namespace qem {

AllowTempOutcome CalculateAllowTemp(TyLine& line, const CalcEnv& env) {
    AllowTempOutcome res;
    const Norms& norms = *env.norms;
    try {
        for (int j = 1; j <= line.NSpans(); ++j) {
            TySpan& span = line.Span(j);
            RequireUsable(line, span);
            SpanResult r;
            AllowTempRow row;
            row.span = j;
            const double normGround = GroundNorm(norms, line.Uvl, span.TM);
            const ClearanceLimit ground =
                ClearanceLimitOf(span, 1, ClearanceKind::Ground, normGround, SearchVariant::AllowTemp, r);
            row.present = span.Prep[1].Lprep > 0.1f;
            ClearanceLimit obst;
            if (row.present)
                obst = ClearanceLimitOf(span, 1, ClearanceKind::Obstacle, ObstacleNorm(span, 1, line.Uvl, norms),
                                        SearchVariant::AllowTemp, r);
            const HeatingState heat = HeatingCurve(span, ConductorCurrent(span), 0.01);
            SpanStateObst1(span, span.Bgv > 0.1f ? Celsius(span.Tvv) : heat.Tprev, r);
            row.THeat = heat.T;
            row.ClrMin = r.ClrMin;
            row.ClrObst = r.ClrObst;
            row.TGround = ground.T;
            row.TObst = obst.T;
            res.rows.push_back(row);
        }
    } catch (const std::exception& e) {
        res.failed = true;
        res.error = e.what();
        res.message = CalcErrorText(e);
    }
    return res;
}

void AllowTempText(const TyLine& line, const AllowTempOutcome& o, Report& out) {
    const std::string dashes(62, '-');
    out.add("            ВЛ " + Format("%3s кВ %s-%s", std::string(VoltageText(line.Uvl)),
                                       Cp1251ToUtf8(line.From.str()), Cp1251ToUtf8(line.To.str())));
    out.add(dashes);
    out.add("|            |Температура|    Габарит, м   |Доп. темп.провода|");
    out.add("|   Пролет   |  провода, |-----------------|-----------------|");
    out.add("|            |    град   |До земли|До преп.|До земли|До преп.|");
    out.add("|------------+-----------+--------+--------+--------+--------|");
    for (const AllowTempRow& row : o.rows) {
        const TySpan& span = line.Span(row.span);
        const std::string obstText = row.present ? Format("%8.2f", row.ClrObst) : "    - ";
        const std::string obstTemp = row.present ? Format("%8.0f", row.TObst) : "    - ";
        out.add("| " + Format("%5s-%5s", Cp1251ToUtf8(span.Nop1.str()), Cp1251ToUtf8(span.Nop2.str())) +
                Format("|%11.0f|%8.2f|%8s|%8.0f|%8s|", row.THeat, row.ClrMin, obstText, row.TGround, obstTemp));
        if (row.span == line.NSpans()) out.add(dashes);
    }
}

AllowTempOutcome AllowTempTable(TyLine& line, const CalcEnv& env, Report& out) {
    AllowTempOutcome res = CalculateAllowTemp(line, env);
    AllowTempText(line, res, out);
    return res;
}

}  // namespace qem
