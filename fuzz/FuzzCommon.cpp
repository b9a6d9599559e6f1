// What the fuzz targets share: usual norms, a host line for the data files that are not
// networks, and the calculations a user runs on an open line.
#include <cmath>
#include <string>

#include "engine/AllowTempReport.h"
#include "engine/CalcError.h"
#include "fuzz/FuzzTarget.h"
#include "lines/CalcCommands.h"
#include "lines/ComponentLimits.h"
#include "lines/Series.h"
#include "model/Network.h"
#include "platform/ScriptedDialogs.h"
#include "tests/core/SyntheticLine.h"

namespace qem::fuzz {

const Norms& UsualNorms() {
    static const Norms norms = [] {
        Norms n = test::Norms110();
        for (int r = 1; r <= 10; ++r) n.IceReg[r] = 1, n.WindReg[r] = 25;
        return n;
    }();
    return norms;
}

TyLine HostLine() {
    // One span of the synthetic test lines: АС 240/39 over a route profile with a crossed line
    // and a road, measured at mid-span; busbars of the same conductor, a cable insert.
    TyLine l = test::UniformLine(1);
    l.From.assign("A");
    l.To.assign("B");
    l.NBus1 = l.NBus2 = l.NBus3 = l.NBus4 = 1;
    l.Bus1 = l.Spans[0].Pr;
    l.CabDDTN = 500;
    return l;
}

CalcEnv HostEnv(const Norms& norms, float longTermTemp) {
    CalcEnv env;
    env.norms = &norms;
    env.LongTermTemp = longTermTemp;
    return env;
}

void RequireFiniteReport(const Report& r, const char* what) {
    for (const ReportLine& l : r.lines)
        if (l.text.find("NAN") != std::string::npos || l.text.find("INF") != std::string::npos)
            Fail(std::string(what) + " prints a number that is not finite: " + l.text);
}

void PlainNames(TyLine& line) {
    line.From.assign("A");
    line.To.assign("B");
    for (TySpan& s : line.Spans) {
        s.Nop1.assign("1");
        s.Nop2.assign("2");
    }
}

namespace {

// The main window's choices for a span, as the programs take them from the span shown.
void Choices(CalcEnv& env, const TySpan& span) {
    env.mode = span.LZam[1] > 0.001f ? ZamerMode::TwoPoints : ZamerMode::OnePoint;
    env.seaLevel = span.UseSea == 1;
}

}  // namespace

void RunCalculations(const TyLine& first, const CalcEnv& base) {
    Network net;
    net.Lines = {first};
    PlainNames(net.Lines[0]);
    net.CurLine = 1;
    net.ResetCurSpans();
    TyLine& line = net.Line(1);
    ScriptedDialogs dlg;
    dlg.defaultAnswer = Answer::Yes;  // go on without a breaking force
    CalcEnv env = base;
    const int spans = line.NSpans() < 4 ? line.NSpans() : 4;
    for (int j = 1; j <= spans; ++j) {
        net.CurSpan[1] = j;
        Choices(env, line.Span(j));
        Report r;
        StoredSpanRegimeCommand(net, env, dlg, r);
        RequireFiniteReport(r, "span report");
        Report s;
        SeriesSettings st;
        st.N1 = st.N2 = st.N3 = 2;
        st.dT = 10, st.dV = 1, st.dI = 100;
        CalculationSeries(line.Span(j), st, env.LongTermTemp, s);
        RequireFiniteReport(s, "calculation series");
    }
    Report allow;
    AllowTempTable(line, env, allow);
    RequireFiniteReport(allow, "allowable temperatures");

    // The tool bar's span report and the line report derive the reference states again.
    net.CurSpan[1] = 1;
    Choices(env, line.Span(1));
    Report r;
    MeasuredSpanRegimeCommand(net, env, dlg, r);
    RequireFiniteReport(r, "span report, reference state recomputed");
    LineRegimeCommand(net, env, dlg, r);
    RequireFiniteReport(r, "line report");

    // Component limits: the conductor from fixed line minima, the rest from the line's data.
    try {
        const ComponentTable t = ComponentLimits(line, env.LongTermTemp, false, dlg, [](TyLine&) {
            LineMinima m;
            m.LineIMax = 900, m.LineILong = 700, m.LineIClr = 800;
            return m;
        });
        for (const ComponentRow& row : t.rows)
            for (const auto* v : {&row.DDTN, &row.ADTN})
                for (const auto& x : *v)
                    if (x && !std::isfinite(*x)) Fail("component limit of " + row.name + " is not finite");
    } catch (const CalcError&) {
        // A cable insert limit that is not a number: named, nothing rated.
    }
}

}  // namespace qem::fuzz
