// The whole line report of a varied 60-span line, the line minima, the component ratings and
// the span states at full precision, compared byte for byte with what the straightforward
// calculation (before any speed work) gave. A change that moves any of these numbers by one
// bit fails here. QEM_WRITE_GOLDEN=1 rewrites the fixtures (only for a deliberate change of
// results, checked by hand).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "SyntheticLine.h"
#include "engine/AllowTempReport.h"
#include "engine/Clearance.h"
#include "engine/HeatBalance.h"
#include "engine/LineReport.h"
#include "engine/SpanReport.h"
#include "engine/SpanView.h"
#include "engine/StateChange.h"
#include "lines/CalcCommands.h"
#include "lines/ComponentLimits.h"
#include "model/Cp1251.h"
#include "model/Format.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;
using qem::test::Exact;

namespace {

const std::string kDataDir = std::string(QEM_SOURCE_DIR) + "/tests/core/data/";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Compares with the fixture, or writes it when asked to.
void CheckGolden(const std::string& name, const std::string& text) {
    const std::string path = kDataDir + name;
    if (const char* w = std::getenv("QEM_WRITE_GOLDEN"); w && std::string(w) == "1") {
        std::ofstream(path, std::ios::binary) << text;
        std::cout << "wrote " << path << "\n";
        return;
    }
    const std::string expected = ReadText(path);
    ASSERT_FALSE(expected.empty()) << "missing fixture " << path;
    if (text == expected) return;
    // Name the first line that differs.
    std::istringstream a(text), b(expected);
    std::string la, lb;
    int n = 1;
    while (std::getline(a, la) && std::getline(b, lb) && la == lb) ++n;
    FAIL() << name << " differs from line " << n << ":\n  got:      " << la << "\n  expected: " << lb;
}

std::string ReportText(const Report& r) {
    std::string t;
    for (const ReportLine& l : r.lines)
        t += (l.colour == Colour::Red ? "R " : l.colour == Colour::Blue ? "B " : "K ") + l.text + "\n";
    return t;
}

std::string MinimaText(const LineRegimeOutcome& o) {
    const LineMinima& m = o.minima;
    return "end " + std::to_string(int(o.end)) + " error '" + o.error + "'\nLineIMax " + Exact(m.LineIMax) + " span " +
           std::to_string(m.SpanIMax) + "\nLineILong " + Exact(m.LineILong) + " span " + std::to_string(m.SpanILong) +
           "\nLineIClr " + Exact(m.LineIClr) + " span " + std::to_string(m.SpanIClr) + "\nHighestTemp " +
           Exact(m.HighestTemp) + " span " + std::to_string(m.SpanTemp) + "\nSpansDone " + std::to_string(m.SpansDone) +
           "\n";
}

std::string ResultText(const SpanResult& r) {
    std::string t;
    for (double v : {r.Sigma, r.TensionMax, r.TCond, r.SagMid, r.Rise1, r.Rise2, r.IClear, r.IMax, r.ClrMin,
                     r.ClrGround, r.XClrMin, r.ClrObst, r.GroundAtMin})
        t += " " + Exact(v);
    return t;
}

struct LineRun {
    Norms norms = qem::test::Norms110();
    CalcEnv env;
    LineRun() { env.norms = &norms; }
    std::string Run(TyLine& line, bool recompute) {
        ScriptedDialogs dlg;
        Report out;
        RecomputeHook hook;
        if (recompute) hook = [&](TySpan& s) { RecomputeInitialConditions(s, env); };
        const LineRegimeOutcome o = LineRegimeReport(line, env, dlg, out, hook);
        std::string t = ReportText(out) + MinimaText(o);
        t += "progress";
        for (int p : dlg.progress) t += " " + std::to_string(p);
        return t + "\n";
    }
};

TEST(LineGolden, ReportOfAVariedLineIsUnchangedWithAndWithoutRecomputation) {
    LineRun run;
    TyLine line = qem::test::VariedLine(60);
    CheckGolden("line60_report.txt", run.Run(line, false));

    TyLine again = qem::test::VariedLine(60);
    std::string t = run.Run(again, true);
    // The recomputed reference states stay in the spans.
    for (const TySpan& s : again.Spans) t += "Si " + Exact(s.Si) + " FZam " + Exact(s.Zamer[1].FZam) + "\n";
    CheckGolden("line60_report_recomputed.txt", t);
}

TEST(LineGolden, ReportOfALineOfEdgeCasesIsUnchangedUpToItsFailure) {
    LineRun run;
    TyLine line = qem::test::EdgeLine();
    CheckGolden("edge_report.txt", run.Run(line, false));
}

// Every span state, clearance search and heating result of every span and obstacle, at full
// precision: the table above rounds, this does not.
std::string StatesText(TyLine& line) {
    const Norms norms = qem::test::Norms110();
    std::string t;
    for (int j = 1; j <= line.NSpans(); ++j) {
        TySpan& span = line.Span(j);
        const int rows = span.NPrep < 1 ? 1 : span.NPrep;
        t += "span " + std::to_string(j) + "\n";
        try {
            for (double T : {-20.0, 15.0, 70.0, 90.0}) {
                for (int k = 1; k <= rows; ++k) {
                    SpanResult a, b;
                    SpanState(span, k, T, a);
                    SpanStateFirst(span, k, T, b);
                    t += " T " + Exact(T) + " k " + std::to_string(k) + ResultText(a) + " |" + ResultText(b) + "\n";
                }
                SpanResult c;
                SpanStateObst1(span, T, c);
                t += " obst1" + ResultText(c) + "\n";
            }
            const double ng = GroundNorm(norms, line.Uvl, span.TM);
            for (SearchVariant v : {SearchVariant::Regime, SearchVariant::AllowTemp})
                for (int k = 1; k <= rows; ++k) {
                    SpanResult r;
                    const ClearanceLimit g = ClearanceLimitOf(span, k, ClearanceKind::Ground, ng, v, r);
                    const ClearanceLimit o = ClearanceLimitOf(
                        span, k, ClearanceKind::Obstacle, ObstacleTypeNorm(norms, line.Uvl, span.Prep[k].TPrp), v, r);
                    t += " search " + std::to_string(int(v)) + " k " + std::to_string(k) + " " + Exact(g.I) + " " +
                         Exact(g.T) + " " + Exact(o.I) + " " + Exact(o.T) + ResultText(r) + "\n";
                }
            const HeatingState h = HeatingCurve(span, span.Iv / span.Mpr, 0.1);
            t += " heat " + Exact(h.T) + " " + Exact(h.Tprev) + " " +
                 Exact(ConductorTemp(span, span.Tvv, span.Vv, span.Alfv, span.Iv)) + "\n";
        } catch (const std::exception& e) {
            t += " error " + std::string(e.what()) + "\n";
        }
    }
    return t;
}

TEST(LineGolden, SpanStatesAndSearchesAreUnchangedToTheLastBit) {
    TyLine line = qem::test::VariedLine(60);
    CheckGolden("line60_states.txt", StatesText(line));
    TyLine edges = qem::test::EdgeLine();
    CheckGolden("edge_states.txt", StatesText(edges));
}

// The span reports (with the span view) and the allowable-temperature tables of both lines.
TEST(LineGolden, SpanReportsViewsAndAllowableTemperaturesAreUnchanged) {
    LineRun run;
    std::string t;
    for (TyLine line : {qem::test::VariedLine(60), qem::test::EdgeLine()}) {
        for (int j = 1; j <= line.NSpans(); ++j) {
            ScriptedDialogs dlg;
            Report out;
            SpanView view;
            t += "span " + std::to_string(j) + "\n";
            try {
                const SpanRegimeOutcome o = SpanRegimeReport(line, line.Span(j), run.env, dlg, out, &view);
                t += ReportText(out) + "violations " + std::to_string(o.violations) + ResultText(o.result) + "\n";
                // The drawing of every sixth span of the long line and of every edge case.
                if (line.NSpans() > 12 && j % 6 != 1) continue;
                for (const ChartSeries& series : view.Series) {
                    t += "series";
                    for (const ChartPoint& p : series.points) t += " " + Exact(p.x) + "," + Exact(p.y);
                    for (const ChartArrow& a : series.arrows)
                        t += " arrow " + Exact(a.from.x) + "," + Exact(a.from.y) + "," + Exact(a.to.x) + "," +
                             Exact(a.to.y);
                    t += "\n";
                }
            } catch (const std::exception& e) {
                t += "error " + std::string(e.what()) + "\n";
            }
        }
        Report allow;
        const AllowTempOutcome a = AllowTempTable(line, run.env, allow);
        t += ReportText(allow) + "failed " + std::to_string(a.failed) + " '" + a.error + "'\n";
    }
    CheckGolden("span_reports.txt", t);
}

// A span with one conductor per phase whose obstacles stay under the conductor in every state a
// report evaluates (the clearance falls as the conductor warms, and no state is hotter than
// 400 C).
bool SingleConductorUnderClearObstacles(TySpan& span) {
    if (span.Mpr != 1) return false;
    for (int k = 1; k <= span.NPrep; ++k) {
        SpanResult r;
        try {
            SpanState(span, k, 400, r);
        } catch (const std::exception&) {
            return false;
        }
        if (!(r.ClrObst > 0)) return false;
    }
    return true;
}

// 64-bit FNV-1a of a text.
std::uint64_t Fnv1a(const std::string& t) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : t) h = (h ^ c) * 1099511628211ull;
    return h;
}

// Everything the reports say of single-conductor spans under clear obstacles: their span report
// sections with the span view, their rows of the line report (numbers only: the colour also
// reflects the obstacle norm) with and without recomputed reference states, and their states
// and searches. The digest was taken before the per-conductor current and the signed obstacle
// clearance came in, and neither may move any of it.
TEST(LineGolden, SingleConductorSpansUnderClearObstaclesAreUnchangedToTheLastBit) {
    LineRun run;
    std::string t;
    int spans = 0;
    for (TyLine line : {qem::test::VariedLine(60), qem::test::EdgeLine()}) {
        for (bool recompute : {false, true}) {
            TyLine l = line;
            ScriptedDialogs dlg;
            Report out;
            RecomputeHook hook;
            if (recompute) hook = [&](TySpan& s) { RecomputeInitialConditions(s, run.env); };
            LineRegimeReport(l, run.env, dlg, out, hook);
            for (int j = 1; j <= l.NSpans(); ++j) {
                TySpan& span = l.Span(j);
                if (!SingleConductorUnderClearObstacles(span)) continue;
                const std::string name =
                    " | " + Format("%5s-%5s", Cp1251ToUtf8(span.Nop1.str()), Cp1251ToUtf8(span.Nop2.str())) + "|";
                for (const ReportLine& row : out.lines)
                    if (row.text.compare(0, name.size(), name) == 0) t += row.text + "\n";
            }
        }
        for (int j = 1; j <= line.NSpans(); ++j) {
            TySpan& span = line.Span(j);
            if (!SingleConductorUnderClearObstacles(span)) continue;
            ++spans;
            ScriptedDialogs dlg;
            Report out;
            SpanView view;
            t += "span " + std::to_string(j) + "\n";
            try {
                const SpanRegimeOutcome o = SpanRegimeReport(line, span, run.env, dlg, out, &view);
                t += ReportText(out) + "violations " + std::to_string(o.violations) + ResultText(o.result) + "\n";
                for (const ChartSeries& series : view.Series) {
                    for (const ChartPoint& p : series.points) t += " " + Exact(p.x) + "," + Exact(p.y);
                    for (const ChartArrow& a : series.arrows)
                        t += " " + Exact(a.from.x) + "," + Exact(a.from.y) + "," + Exact(a.to.x) + "," + Exact(a.to.y);
                    t += "\n";
                }
            } catch (const std::exception& e) {
                t += "error " + std::string(e.what()) + "\n";
            }
            TyLine one = line;
            one.Spans = {span};
            t += StatesText(one);
        }
    }
    EXPECT_EQ(spans, 30);
    EXPECT_EQ(Fnv1a(t), 3009122165490937611ull) << t.size() << " bytes";
}

TEST(LineGolden, FourteenTemperatureRatingIsUnchanged) {
    LineRun run;
    TyLine line = qem::test::RatedLine(24);
    ScriptedDialogs dlg;
    const ComponentTable table = ComponentLimits(line, 70, false, dlg, [&](TyLine& l) {
        ScriptedDialogs quiet;
        Report out;
        return LineRegimeReport(l, run.env, quiet, out).minima;
    });
    std::string t;
    for (const ComponentRow& row : table.rows) {
        t += row.name + " '" + row.text + "' " + (row.present ? "present" : "absent") + "\n";
        for (int c = 0; c < kLimitTemps; ++c)
            t += "  " + (row.DDTN[c] ? Exact(*row.DDTN[c]) : std::string("-")) + " " +
                 (row.ADTN[c] ? Exact(*row.ADTN[c]) : std::string("-")) + "\n";
    }
    CheckGolden("line24_limits.txt", t);
}

}  // namespace
