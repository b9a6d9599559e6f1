#include "lines/CalcCommands.h"

#include <filesystem>
#include <memory>
#include <vector>

#include "engine/AllowTempReport.h"
#include "engine/Geometry.h"
#include "engine/UsableValues.h"
#include "lines/MainPages.h"
#include "model/Cp1251.h"
#include "platform/FileSystem.h"
#include "platform/Parallel.h"
#include "setup/InitialConditions.h"
#include "setup/ZamerTemp.h"

namespace qem {

std::string SpanName(const TySpan& s) { return Cp1251ToUtf8(s.Nop1.str()) + " - " + Cp1251ToUtf8(s.Nop2.str()); }

namespace {

// First obstacle (from 1 up to the first at 0.1 m or less) without a height above sea level; 0 if none.
int ObstacleWithoutSea(const TySpan& span) {
    for (int k = 1; k <= 10 && span.Prep[k].Lprep > 0.1f; ++k)
        if (span.Prep[k].HSeaPrep == 0) return k;
    return 0;
}

// The span commands need a current span; "Создайте пролёт" when the line has none.
bool HasCurrentSpan(const Network& net, Dialogs& dlg) {
    if (net.NLines() > 0 && net.Line(net.CurLine).NSpans() > 0) return true;
    dlg.Message("Создайте пролёт");
    return false;
}

// The report of the span, always from the drawn state (the mid-span clearance of the view).
void RunSpanReport(TyLine& line, TySpan& span, const CalcEnv& env, Dialogs& dlg, Report& out, SpanView* view,
                   SpanCommandResult& res) {
    SpanView local;
    res.outcome = SpanRegimeReport(line, span, env, dlg, out, view ? view : &local);
    res.end = res.outcome.written ? CommandEnd::Done : CommandEnd::Stopped;
}

const char* const kNoBreak =
    "Отсутствуют данные в справочнике по указанной марке провода - разрывное усилие. Продолжить расчёт? ";

}  // namespace

RunControl ControlOf(Dialogs& dlg) {
    return {[&dlg](int position, int max) { dlg.Progress(position, max); }, [&dlg] { return dlg.Cancelled(); }};
}

SpanRegimeOutcome SpanRegimeReport(const TyLine& line, TySpan& span, const CalcEnv& env, Dialogs& dlg, Report& out,
                                   SpanView* view) {
    SpanRegimeOutcome o = CalculateSpanRegime(line, span, env, view);
    if (!o.written) {
        dlg.Ask(o.refusal, Buttons::Ok, "Ошибка", Icon::Error);
        return o;
    }
    out = SpanRegimeText(line, span, env, o);
    return o;
}

LineRegimeOutcome LineRegimeReport(TyLine& line, const CalcEnv& env, Dialogs& dlg, Report& out,
                                   const RecomputeHook& recompute) {
    LineRegimeOutcome o = CalculateLineRegime(line, env, ControlOf(dlg), recompute);
    if (o.end != LineRunEnd::Cancelled) out = LineRegimeText(line, o);
    return o;
}

void RecomputeInitialConditions(TySpan& span, const CalcEnv& env, int zamer) {
    ZamerSag(span, 1);
    ZamerConductorTemp(span, zamer);
    ComputeInitialConditions(span, env.mode, env.seaLevel);
}

SpanCommandResult MeasuredSpanRegimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg, Report& out, SpanView* view,
                                            int zamer) {
    SpanCommandResult res;
    if (!HasCurrentSpan(net, dlg)) return res;
    TyLine& line = net.Line(net.CurLine);
    TySpan& span = line.Span(net.CurSpanOf(net.CurLine));
    if (env.seaLevel && env.mode == ZamerMode::OnePoint) {
        if (span.M_middle_h == 0) {
            dlg.Message("не задан уровень моря в пролёте по замеру в середине пролёта");
            return res;
        }
        if (int k = ObstacleWithoutSea(span)) {
            dlg.Message("не задан уровень моря в пролёте по препятствию №" + std::to_string(k));
            return res;
        }
    }
    if (span.PrBreak <= 0 && dlg.Ask(kNoBreak, Buttons::YesNo) != Answer::Yes) return res;
    const std::string check = CheckZamerData(span, env.mode == ZamerMode::TwoPoints ? -1 : 0);
    if (!check.empty()) {
        dlg.Message(check);
        return res;
    }
    // The measurement data the derivation reads (the report checks the rest).
    if (const std::string fault = UnusableValueOf(line, span, {true, zamer}); !fault.empty()) {
        dlg.Message(CalcErrorText(fault));
        res.end = CommandEnd::Failed;
        return res;
    }
    SeaLevelPointsGuard points(span, env.mode);
    dlg.MessageIfAny(points.token().refusal);
    try {
        RecomputeInitialConditions(span, env, zamer);
        if (span.Si < 0.001f) {
            dlg.Message("Некорректные пролёты, напряжение отрицательное");
            return res;
        }
        RunSpanReport(line, span, env, dlg, out, view, res);
    } catch (const std::exception& e) {
        dlg.Message(CalcErrorText(e));
        res.end = CommandEnd::Failed;
    }
    return res;
}

SpanCommandResult StoredSpanRegimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg, Report& out, SpanView* view) {
    SpanCommandResult res;
    if (!HasCurrentSpan(net, dlg)) return res;
    TyLine& line = net.Line(net.CurLine);
    TySpan& span = line.Span(net.CurSpanOf(net.CurLine));
    SeaLevelPointsGuard points(span, env.mode);
    dlg.MessageIfAny(points.token().refusal);
    try {
        RunSpanReport(line, span, env, dlg, out, view, res);
    } catch (const std::exception& e) {
        dlg.Message(CalcErrorText(e));
        res.end = CommandEnd::Failed;
    }
    return res;
}

std::optional<SpanCurrents> SpanCurrentsCommand(Network& net, const CalcEnv& env, Dialogs& dlg, int k) {
    if (!HasCurrentSpan(net, dlg)) return std::nullopt;
    TyLine& line = net.Line(net.CurLine);
    TySpan& span = line.Span(net.CurSpanOf(net.CurLine));
    if (const std::string refusal = SpanRegimeRefusal(span, env); !refusal.empty()) {
        dlg.Ask(refusal, Buttons::Ok, "Ошибка", Icon::Error);
        return std::nullopt;
    }
    SeaLevelPointsGuard points(span, env.mode);
    dlg.MessageIfAny(points.token().refusal);
    try {
        const SpanRegimeOutcome o = CalculateSpanRegime(line, span, env);
        if (k < 1 || k > static_cast<int>(o.sections.size()))
            throw CalcError("allowable currents: the span has no section for obstacle " + std::to_string(k));
        return o.sections[k - 1];
    } catch (const std::exception& e) {
        dlg.Message(CalcErrorText(e));
        return std::nullopt;
    }
}

LineCommandResult LineRegimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg, Report& out, int zamer) {
    LineCommandResult res;
    if (net.NLines() == 0) return res;
    TyLine& line = net.Line(net.CurLine);
    for (int j = 1; j <= line.NSpans(); ++j) {
        const TySpan& span = line.Span(j);
        if (span.UseSea == 1 && span.M_middle_h == 0) {
            dlg.Ask("не задан уровень моря в пролёте " + SpanName(span) + " по замеру в середине пролёта",
                    Buttons::Yes);
            return res;
        }
        if (span.UseSea == 1) {
            if (int k = ObstacleWithoutSea(span)) {
                dlg.Ask("не задан уровень моря в пролёте " + SpanName(span) + " по препятствию №" + std::to_string(k),
                        Buttons::Yes);
                return res;
            }
        }
        if (span.PrBreak <= 0 &&
            dlg.Ask(std::string(kNoBreak) + "(пролёт " + SpanName(span) + ")", Buttons::YesNo) != Answer::Yes)
            return res;
    }
    return UncheckedLineRegimeCommand(net, env, dlg, out, zamer);
}

LineCalculation CalculateLine(TyLine& line, const CalcEnv& env, Dialogs& dlg, Report& out, int zamer) {
    LineCalculation res;
    std::vector<std::unique_ptr<SeaLevelPointsGuard>> points;
    for (int j = 1; j <= line.NSpans(); ++j) {
        points.push_back(std::make_unique<SeaLevelPointsGuard>(line.Span(j), env.mode));
        dlg.MessageIfAny(points.back()->token().refusal);
    }
    for (int j = 1; j <= line.NSpans(); ++j) {
        res.check = CheckZamerData(line.Span(j), env.mode == ZamerMode::TwoPoints ? -1 : 0);
        if (!res.check.empty()) {
            res.checkSpan = j;
            return res;
        }
    }
    res.outcome = LineRegimeReport(line, env, dlg, out, [&](TySpan& s) {
        RequireUsable(line, s, {true, zamer});  // the measurement data the derivation reads
        try {
            RecomputeInitialConditions(s, env, zamer);
        } catch (const MeasurementError& e) {
            res.measurement = e.what();
            throw;
        }
    });
    switch (res.outcome.end) {
        case LineRunEnd::Done: res.end = CommandEnd::Done; break;
        case LineRunEnd::Cancelled: res.end = CommandEnd::Stopped; break;
        case LineRunEnd::Failed: res.end = CommandEnd::Failed; break;
    }
    return res;  // the points are removed here
}

LineCommandResult UncheckedLineRegimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg, Report& out, int zamer) {
    LineCommandResult res;
    if (net.NLines() == 0) return res;
    const int l = net.CurLine;
    const int remembered = net.CurSpan[l];
    try {
        const LineCalculation c = CalculateLine(net.Line(l), env, dlg, out, zamer);
        res.outcome = c.outcome;
        res.end = c.end;
        if (!c.check.empty()) {
            net.CurSpan[l] = c.checkSpan;  // the span whose data to look at stays current
            dlg.Ask(c.check, Buttons::Yes);
            return res;
        }
        if (c.outcome.end == LineRunEnd::Cancelled)
            dlg.Message("Расчёт ВЛ прерван пользователем; показаны результаты предыдущего расчёта");
        else if (c.end == CommandEnd::Failed)
            dlg.Ask(c.outcome.message.empty() ? std::string(kMsgCalcError) : c.outcome.message, Buttons::Yes);
    } catch (const std::exception& e) {
        dlg.Ask(CalcErrorText(e), Buttons::Yes);
        res.end = CommandEnd::Failed;
    }
    net.CurSpan[l] = remembered;
    return res;
}

CommandEnd AllowTempCommand(Network& net, const CalcEnv& env, Dialogs& dlg, const std::string& file, bool all,
                            Report& out) {
    Report text;
    CommandEnd end = CommandEnd::Done;
    std::string message = kMsgCalcError;  // of a failure
    if (net.NLines() == 0) {
        dlg.Message("В сети нет линий: рассчитывать нечего");
        end = CommandEnd::Stopped;
    } else {
        // Each line's table on its own copy of the line, handed back in line order.
        struct Table {
            Report rows;
            AllowTempOutcome outcome;
        };
        const int first = all ? 1 : net.CurLine, count = all ? net.NLines() : 1;
        dlg.Progress(0, count);
        const int done = RunInOrder(
            count, env.jobs,
            [&](int i) {
                TyLine line = net.Line(first + i);
                Table t;
                t.outcome = AllowTempTable(line, env, t.rows);
                return t;
            },
            [&](int i, Table& t) {
                text.lines.insert(text.lines.end(), t.rows.lines.begin(), t.rows.lines.end());
                dlg.Progress(i + 1, count);
                if (t.outcome.failed) end = CommandEnd::Failed, message = t.outcome.message;
                return !t.outcome.failed;
            },
            [&] { return dlg.Cancelled(); });
        if (done < count && end == CommandEnd::Done) {
            end = CommandEnd::Stopped;
            dlg.Message("Расчёт допустимых температур прерван пользователем");
        }
        dlg.Progress(0, count);
    }
    WriteFileAtomically(file, Cp1251Text(text));
    out = text;
    if (end == CommandEnd::Failed) dlg.Message(message);
    return end;
}

ReportHeading SpanReportHeading(const TyLine& line, const TySpan& span) {
    return {"Расчет режима пролета", "ВЛ " + LineSelectorText(line) + ", пролет " + SpanName(span)};
}

ReportHeading LineReportHeading(const TyLine& line) {
    // The rule, the three rows of column titles and the separator under them.
    return {"Расчет режима ВЛ", "ВЛ " + LineSelectorText(line), 2, 5};
}

ReportHeading AllowTempHeading(const Network& net, bool all) {
    if (all || net.NLines() == 0) {
        const std::string name = PathToUtf8(std::filesystem::u8path(net.NetFileName).filename());
        return {"Допустимые температуры провода", "Все ВЛ сети" + (name.empty() ? "" : " " + name)};
    }
    return {"Допустимые температуры провода", "ВЛ " + LineSelectorText(net.Line(net.CurLine)), 1, 5};
}

}  // namespace qem
