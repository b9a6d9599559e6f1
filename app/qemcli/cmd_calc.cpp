// Calculation subcommands: span state, reference state from measurements, span and line
// reports, allowable temperatures, series and sweeps, component limits.
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "app/qemcli/Session.h"
#include "engine/CalcError.h"
#include "engine/Geometry.h"
#include "engine/StateChange.h"
#include "engine/UsableValues.h"
#include "lines/CalcCommands.h"
#include "lines/ComponentLimits.h"
#include "lines/LimitTable.h"
#include "lines/Series.h"
#include "lines/ShortTimeCommands.h"
#include "model/Format.h"
#include "model/HeatModelData.h"
#include "model/NetworkFile.h"
#include "platform/FileSystem.h"
#include "setup/InitialConditions.h"
#include "setup/ZamerTemp.h"

namespace qem::cli {
namespace {

TySpan& CurrentSpan(Session& s) { return s.net.Line(s.net.CurLine).Span(s.net.CurSpanOf(s.net.CurLine)); }

// False, with the message, when the span holds a value no calculation can use.
bool Usable(const Session& s, const TySpan& span, SpanValueUse use) {
    const std::string fault = UnusableValueOf(s.net.Line(s.net.CurLine), span, use);
    if (!fault.empty()) std::cerr << CalcErrorText(fault) << "\n";
    return fault.empty();
}

std::string ResultJson(const SpanResult& r) {
    std::ostringstream o;
    o << "{\"Sigma\":" << JsonDouble(r.Sigma) << ",\"TensionMax\":" << JsonDouble(r.TensionMax)
      << ",\"TCond\":" << JsonDouble(r.TCond) << ",\"SagMid\":" << JsonDouble(r.SagMid)
      << ",\"Rise1\":" << JsonDouble(r.Rise1) << ",\"Rise2\":" << JsonDouble(r.Rise2)
      << ",\"IClear\":" << JsonDouble(r.IClear) << ",\"IMax\":" << JsonDouble(r.IMax)
      << ",\"ClrMin\":" << JsonDouble(r.ClrMin) << ",\"ClrGround\":" << JsonDouble(r.ClrGround)
      << ",\"XClrMin\":" << JsonDouble(r.XClrMin) << ",\"ClrObst\":" << JsonDouble(r.ClrObst)
      << ",\"GroundAtMin\":" << JsonDouble(r.GroundAtMin) << "}";
    return o.str();
}

// Writes a report file (Windows-1251, CR LF) with --out, a PDF document with --pdf, or else
// prints the report.
void Emit(const Report& r, const Args& a, const ReportHeading& heading) {
    if (a.has("pdf")) {
        WritePdf(heading, r, a.get("pdf"));
    }
    if (a.has("out")) WriteFileAtomically(a.get("out"), Cp1251Text(r));
    if (!a.has("out") && !a.has("pdf")) PrintReport(r, a);
}

std::string JsonOptional(const std::optional<double>& v) { return v ? JsonDouble(*v) : std::string("null"); }

// The short-time figures of a span, per conductor.
std::string ShortTimeJson(const SpanShortTime& r) {
    std::ostringstream o;
    o << "{\"Model\":" << JsonString(HeatModelName(r.model)) << ",\"Present\":" << JsonDouble(r.present)
      << ",\"T0\":" << JsonDouble(r.T0) << ",\"TLimit\":" << JsonDouble(r.limit.T)
      << ",\"Limit\":" << JsonString(r.limit.what) << ",\"Ratings\":[";
    for (std::size_t i = 0; i < r.ratings.size(); ++i)
        o << (i ? "," : "") << "{\"Minutes\":" << JsonDouble(r.ratings[i].duration)
          << ",\"I\":" << JsonOptional(r.ratings[i].I) << "}";
    o << "]";
    if (r.step) o << ",\"StepCurrent\":" << JsonDouble(*r.step) << ",\"TimeToTMax\":" << JsonOptional(r.timeToTMax);
    o << "}";
    return o.str();
}

// "111.txt" of the data folder (or --out) and the table printed; exit code 1 after a failure.
int TableFile(const Session& s, const Args& a, const Report& r, const SeriesOutcome& o) {
    WriteFileAtomically(a.get("out", (s.dataDir / "111.txt").string()), Cp1251Text(r));
    PrintReport(r, a);
    if (o.failed) std::cerr << o.error << "\n";
    return o.failed ? 1 : 0;
}

int State(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    Session s;
    OpenSession(s, a, a.positional[0]);
    SelectSpan(s, a);
    TySpan& span = CurrentSpan(s);
    const double T = a.getReal("temp");
    const int k = a.getInt("obstacle", 1);
    if (k < 1 || k > 10) throw UsageError("--obstacle must be 1..10");
    if (span.Si < 0.01f) {
        std::cerr << "the span has no reference state (Si < 0.01 kgf/mm2): derive it first with qemcli initial\n";
        return 1;
    }
    if (!Usable(s, span, {})) return 1;
    SpanResult r;
    const std::string v = a.get("variant", "state");
    if (v == "state")
        SpanState(span, k, T, r);
    else if (v == "first")
        SpanStateFirst(span, k, T, r);
    else if (v == "obst1")
        SpanStateObst1(span, T, r);
    else
        throw UsageError("--variant must be first or obst1");
    std::cout << ResultJson(r) << "\n";
    return 0;
}

int Initial(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    Session s;
    OpenSession(s, a, a.positional[0]);
    SelectSpan(s, a);
    TySpan& span = CurrentSpan(s);
    ApplyChoices(s, a, span);
    const std::string check = CheckZamerData(span, s.env.mode == ZamerMode::TwoPoints ? -1 : 0);
    if (!check.empty()) {
        std::cerr << check << "\n";
        return 1;
    }
    if (!Usable(s, span, {true, 1})) return 1;
    {
        SeaLevelPointsGuard points(span, s.env.mode);
        s.dlg.MessageIfAny(points.token().refusal);
        RecomputeInitialConditions(span, s.env, 1);
    }
    const TyZamer& z = span.Zamer[1];
    std::cout << "{\"Si\":" << JsonSingle(span.Si) << ",\"Tv\":" << JsonSingle(span.Tv)
              << ",\"V\":" << JsonSingle(span.V) << ",\"Bg\":" << JsonSingle(span.Bg)
              << ",\"FZam\":" << JsonSingle(z.FZam) << ",\"TPr\":" << JsonSingle(z.TPr) << "}\n";
    if (a.has("save")) WriteNetwork(a.get("save"), s.net.Lines);
    return 0;
}

int SpanReportCmd(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    Session s;
    OpenSession(s, a, a.positional[0]);
    SelectSpan(s, a);
    ApplyChoices(s, a, CurrentSpan(s));
    Report r;
    const SpanCommandResult res = a.has("recompute") ? MeasuredSpanRegimeCommand(s.net, s.env, s.dlg, r)
                                                     : StoredSpanRegimeCommand(s.net, s.env, s.dlg, r);
    if (res.end != CommandEnd::Done) return 1;
    const TyLine& line = s.net.Line(s.net.CurLine);
    Emit(r, a, SpanReportHeading(line, line.Span(s.net.CurSpanOf(s.net.CurLine))));
    return 0;
}

int CurrentsCmd(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    Session s;
    OpenSession(s, a, a.positional[0]);
    SelectSpan(s, a);
    const TySpan& span = CurrentSpan(s);
    ApplyChoices(s, a, span);
    // The sections of the span report: one per obstacle, one for a span without obstacles.
    const int sections = span.NPrep < 1 ? 1 : (span.NPrep > 10 ? 10 : span.NPrep);
    const int k = a.getInt("obstacle", 1);
    if (k < 1 || k > sections) throw UsageError("--obstacle must be 1.." + std::to_string(sections));
    const std::optional<ModelChoice> choice = ModelOption(s, a);
    const bool shortTime = a.has("duration") || a.has("step-current");
    if (a.has("whole-line") && !shortTime) throw UsageError("--whole-line goes with --duration or --step-current");
    std::optional<Minutes> extra;
    if (a.has("duration")) {
        extra = a.getReal("duration");
        if (!(*extra >= 1 && *extra <= kTransientHorizon))
            throw UsageError("--duration must be 1.." + std::to_string(int(kTransientHorizon)) + " minutes");
    }
    std::optional<Amperes> stepPhase;
    if (a.has("step-current")) {
        stepPhase = a.getReal("step-current");
        if (!(*stepPhase >= 0 && *stepPhase <= 100000)) throw UsageError("--step-current must be 0..100000 A");
    }
    const std::optional<SpanCurrents> c = SpanCurrentsCommand(s.net, s.env, s.dlg, k);
    if (!c) return 1;
    std::ostringstream o;
    o << "{\"IMax\":" << JsonDouble(c->IMax) << ",\"ILong\":" << JsonDouble(c->ILong)
      << ",\"IGround\":" << JsonDouble(c->IGround) << ",\"TGround\":" << JsonDouble(c->TGround)
      << ",\"IObst\":" << JsonDouble(c->IObst) << ",\"TObst\":" << JsonDouble(c->TObst);
    const ModelChoice model = choice ? *choice : ModelChoice{};  // the program's own method by default
    if (choice) {
        ModelCurrents mc;
        try {
            mc = ModelCurrentsOf(model, span, s.env.LongTermTemp);
        } catch (const std::exception& e) {
            std::cerr << CalcErrorText(e) << "\n" << e.what() << "\n";
            return 1;
        }
        o << ",\"Model\":" << JsonString(HeatModelName(model.model))
          << ",\"Emissivity\":" << JsonDouble(model.emissivity)
          << ",\"Absorptivity\":" << JsonDouble(model.absorptivity) << ",\"ModelTCond\":" << JsonDouble(mc.TCond)
          << ",\"ModelIMax\":" << JsonDouble(mc.IMax) << ",\"ModelILong\":" << JsonDouble(mc.ILong)
          << ",\"ModelHeatAtTMax\":{\"Joule\":" << JsonDouble(mc.atTMax.joule)
          << ",\"Solar\":" << JsonDouble(mc.atTMax.solar) << ",\"Convection\":" << JsonDouble(mc.atTMax.convection)
          << ",\"Radiation\":" << JsonDouble(mc.atTMax.radiation) << "}";
    }
    if (shortTime) {
        const std::vector<Minutes> durations = ShortTimeDurations(extra);
        const TySpan& cur = CurrentSpan(s);
        std::optional<Amperes> step;
        if (stepPhase) step = *stepPhase / (cur.Mpr < 1 ? 1 : cur.Mpr);
        const std::optional<SpanShortTime> st = SpanShortTimeCommand(s.net, s.env, s.dlg, model, durations, step);
        if (!st) return 1;
        o << ",\"ShortTime\":" << ShortTimeJson(*st);
        if (a.has("whole-line")) {
            const std::optional<LineShortTime> line =
                LineShortTimeCommand(s.net, s.env, s.dlg, model, durations, stepPhase);
            if (!line) return 1;
            o << ",\"Line\":{\"Ratings\":[";
            for (std::size_t i = 0; i < line->ratings.size(); ++i)
                o << (i ? "," : "") << "{\"Minutes\":" << JsonDouble(line->ratings[i].duration)
                  << ",\"I\":" << JsonOptional(line->ratings[i].I) << ",\"Span\":" << line->ratings[i].span << "}";
            o << "]";
            if (stepPhase)
                o << ",\"StepCurrent\":" << JsonDouble(*stepPhase)
                  << ",\"TimeToTMax\":" << JsonOptional(line->timeToTMax) << ",\"FirstSpan\":" << line->firstSpan;
            o << ",\"Spans\":[";
            for (std::size_t j = 0; j < line->spans.size(); ++j) o << (j ? "," : "") << ShortTimeJson(line->spans[j]);
            o << "]}";
        }
    }
    std::cout << o.str() << "}\n";
    return 0;
}

int LineReportCmd(const Args& a) {
    Session s;
    OpenLine(s, a);
    Report r;
    const LineCommandResult res = LineRegimeCommand(s.net, s.env, s.dlg, r);
    if (res.end == CommandEnd::Stopped) return 1;
    Emit(r, a, LineReportHeading(s.net.Line(s.net.CurLine)));
    return res.end == CommandEnd::Done ? 0 : 1;
}

int AllowTempCmd(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    Session s;
    OpenSession(s, a, a.positional[0]);
    const bool all = a.has("all");
    if (!all) SelectLine(s, a);
    const std::string file = a.get("out", (s.dataDir / "qemras.txt").string());
    Report r;
    const CommandEnd end = AllowTempCommand(s.net, s.env, s.dlg, file, all, r);
    PrintReport(r, a);
    return end == CommandEnd::Done ? 0 : 1;
}

int SeriesCmd(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    Session s;
    OpenSession(s, a, a.positional[0]);
    SelectSpan(s, a);
    SeriesSettings st;
    st.N1 = a.getInt("n1", 1);
    st.N2 = a.getInt("n2", 1);
    st.N3 = a.getInt("n3", 1);
    for (int n : {st.N1, st.N2, st.N3})
        if (n < 1 || n > 100) throw UsageError("--n1, --n2, --n3 must be 1..100");
    st.dT = float(a.getReal("dt", 0));
    st.dV = float(a.getReal("dv", 0));
    st.dI = float(a.getReal("di", 0));
    std::optional<SeriesModel> model;
    if (const std::optional<ModelChoice> choice = ModelOption(s, a))
        model = SeriesModel{choice->model, choice->ConductorOf(CurrentSpan(s).Pr)};
    Report r;
    const SeriesOutcome o = CalculationSeries(CurrentSpan(s), st, s.env.LongTermTemp, r, s.env.jobs, model);
    return TableFile(s, a, r, o);
}

int SweepCmd(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    Session s;
    OpenSession(s, a, a.positional[0]);
    SelectSpan(s, a);
    Report r;
    const SeriesOutcome o = OrientationSweep(CurrentSpan(s), s.env.LongTermTemp, r, s.env.jobs);
    return TableFile(s, a, r, o);
}

int LimitsCmd(const Args& a) {
    Session s;
    OpenLine(s, a);
    TyLine& line = s.net.Line(s.net.CurLine);
    const bool source = a.has("use-source-condition");
    const ConductorRatings ratings = *RateLineConductorAll(line, s.env, source);
    std::set<std::string> notes;
    for (const auto& r : ratings)
        for (const auto& n : r.notes)
            if (notes.insert(n).second) std::cerr << n << "\n";
    const ComponentTable t = ComponentLimits(line, s.env.LongTermTemp, source, s.dlg, ratings);
    if (!t.conductorFailure.empty()) std::cerr << UnratedMessage(line, t.conductorFailureT, t.conductorFailure) << "\n";
    auto cell = [](const std::optional<double>& v) { return v ? Format("%5.0f", *v) : std::string("     "); };
    if (a.has("json")) {
        std::cout << "{\"Temperatures\":[";
        for (int c = 0; c < kLimitTemps; ++c) std::cout << (c ? "," : "") << LimitTemp(c);
        std::cout << "],\"Components\":[";
        bool first = true;
        for (const auto& row : t.rows) {
            std::cout << (first ? "" : ",") << "{\"Name\":" << JsonString(row.name)
                      << ",\"Text\":" << JsonString(row.text) << ",\"Present\":" << (row.present ? "true" : "false");
            for (const char* key : {"DDTN", "ADTN"}) {
                const auto& v = std::string(key) == "DDTN" ? row.DDTN : row.ADTN;
                std::cout << ",\"" << key << "\":[";
                for (int c = 0; c < kLimitTemps; ++c)
                    std::cout << (c ? "," : "") << (v[c] ? JsonDouble(std::round(*v[c] * 1000) / 1000) : "null");
                std::cout << "]";
            }
            std::cout << "}";
            first = false;
        }
        std::cout << "],\"BusFailed\":" << (t.busFailed ? "true" : "false")
                  << ",\"ConductorFailure\":" << (t.conductorFailure.empty() ? "null" : JsonString(t.conductorFailure))
                  << "}\n";
    } else {
        std::cout << Format("%-18s %-5s", std::string("Компонент"), std::string(""));
        for (int c = 0; c < kLimitTemps; ++c) std::cout << Format(" %5.0f", LimitTemp(c));
        std::cout << "\n";
        for (const auto& row : t.rows) {
            if (!row.present) continue;
            for (int pass = 0; pass < 2; ++pass) {
                const auto& v = pass == 0 ? row.DDTN : row.ADTN;
                std::cout << Format("%-18s %-5s", row.name, std::string(pass == 0 ? "ДДТН" : "АДТН"));
                for (int c = 0; c < kLimitTemps; ++c) std::cout << " " << cell(v[c]);
                std::cout << "\n";
            }
        }
    }
    return t.busFailed || !t.conductorFailure.empty() ? 1 : 0;
}

const Registrar r1({"state",
                    "state NET.qem --line L --span S --temp T [--obstacle K] [--variant first|obst1]",
                    "mechanical state and clearances of a span at conductor temperature T (JSON)",
                    {},
                    State});
const Registrar r2({"initial",
                    "initial NET.qem --line L --span S [--mode one|two] [--sea|--no-sea] [--save OUT.qem]",
                    "reference state of a span derived from its measurements (JSON)",
                    {},
                    Initial});
const Registrar r3({"span-report",
                    "span-report NET.qem --line L --span S [--mode one|two] [--sea] [--recompute] [--out FILE] "
                    "[--pdf FILE] [--color=always|never]",
                    "span regime report with its verdict",
                    {"recompute"},
                    SpanReportCmd});
const Registrar r9({"currents",
                    "currents NET.qem --line L --span S [--obstacle K] [--mode one|two] [--sea|--no-sea] "
                    "[--model qem|ieee738|cigre601] [--emissivity E] [--absorptivity A] [--duration MIN] "
                    "[--step-current A] [--whole-line]",
                    "allowable currents of one conductor (maximum, long-term, by clearance to the ground and to "
                    "obstacle K) from the stored reference state, as the span report computes them (JSON); with "
                    "--model the model's steady temperature and currents; with --duration the largest current for "
                    "15, 30 and MIN minutes from the present load within TMax or the clearance-limited temperature, "
                    "with --step-current (phase A) the minutes to TMax, with --whole-line the line's (phase) answers",
                    {"whole-line"},
                    CurrentsCmd});
const Registrar r4({"line-report",
                    "line-report NET.qem --line L [--mode one|two] [--out FILE] [--pdf FILE] [--color=always|never]",
                    "line regime table and summary",
                    {},
                    LineReportCmd});
const Registrar r5({"allowtemp",
                    "allowtemp NET.qem (--line L | --all) [--out FILE]",
                    "allowable conductor temperatures by clearance (writes qemras.txt)",
                    {"all"},
                    AllowTempCmd});
const Registrar r6({"series",
                    "series NET.qem --line L --span S --n1 N --n2 N --n3 N --dt X --dv X --di X [--out FILE] "
                    "[--model qem|ieee738|cigre601] [--emissivity E] [--absorptivity A]",
                    "calculation series over air temperature, wind and current (writes 111.txt)",
                    {},
                    SeriesCmd});
const Registrar r7({"sweep",
                    "sweep NET.qem --line L --span S [--out FILE]",
                    "sweep over latitude and span orientation (writes 111.txt)",
                    {},
                    SweepCmd});
const Registrar r8({"limits",
                    "limits NET.qem --line L [--use-source-condition] [--json]",
                    "ДДТН and АДТН of every component of a line at -20 ... +45 C",
                    {"use-source-condition"},
                    LimitsCmd});

}  // namespace
}  // namespace qem::cli
