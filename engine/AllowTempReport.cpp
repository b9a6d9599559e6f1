#include "engine/AllowTempReport.h"

#include "engine/Clearance.h"
#include "engine/Currents.h"
#include "engine/Format.h"
#include "engine/Geometry.h"
#include "engine/HeatBalance.h"
#include "engine/StateChange.h"
#include "model/Cp1251.h"

namespace qem {

AllowTempOutcome AllowTempTable(TyLine& line, const CalcEnv& env, Report& out) {
    AllowTempOutcome res;
    const std::string dashes(62, '-');
    out.add("            ВЛ " + Format("%3s кВ %s-%s", std::string(VoltageText(line.Uvl)),
                                       Cp1251ToUtf8(line.From.str()), Cp1251ToUtf8(line.To.str())));
    out.add(dashes);
    out.add("|            |Температура|    Габарит, м   |Доп. темп.провода|");
    out.add("|   Пролет   |  провода, |-----------------|-----------------|");
    out.add("|            |    град   |До земли|До преп.|До земли|До преп.|");
    out.add("|------------+-----------+--------+--------+--------+--------|");
    const Norms& norms = *env.norms;
    try {
        for (int j = 1; j <= line.NSpans(); ++j) {
            TySpan& span = line.Span(j);
            SpanResult r;
            const double normGround = GroundNorm(norms, line.Uvl, span.TM);
            const ClearanceLimit ground =
                ClearanceLimitOf(span, 1, ClearanceKind::Ground, normGround, SearchVariant::AllowTemp, r);
            const bool present = span.Prep[1].Lprep > 0.1f;
            ClearanceLimit obst;
            if (present)
                obst = ClearanceLimitOf(span, 1, ClearanceKind::Obstacle, ObstacleNorm(span, 1, line.Uvl, norms),
                                        SearchVariant::AllowTemp, r);
            const HeatingState heat = HeatingCurve(span, ConductorCurrent(span), 0.01);
            SpanStateObst1(span, span.Bgv > 0.1f ? Celsius(span.Tvv) : heat.Tprev, r);
            r.TCond = heat.T;
            const std::string obstText = present ? Format("%8.2f", r.ClrObst) : "    - ";
            const std::string obstTemp = present ? Format("%8.0f", obst.T) : "    - ";
            out.add("| " + Format("%5s-%5s", Cp1251ToUtf8(span.Nop1.str()), Cp1251ToUtf8(span.Nop2.str())) +
                    Format("|%11.0f|%8.2f|%8s|%8.0f|%8s|", heat.T, r.ClrMin, obstText, ground.T, obstTemp));
            if (j == line.NSpans()) out.add(dashes);
        }
    } catch (const std::exception& e) {
        res.failed = true;
        res.error = e.what();
    }
    return res;
}

}  // namespace qem
