#pragma once
// The calculation commands of the main window as UI-independent logic: the span regime
// (tool bar and menu), the line regime (checks, then the calculation), the allowable
// temperatures of one line or of all lines. They talk to the user through Dialogs.
#include <optional>
#include <string>

#include "engine/CalcEnv.h"
#include "engine/CalcError.h"
#include "engine/LineReport.h"
#include "engine/Report.h"
#include "engine/SpanReport.h"
#include "engine/SpanView.h"
#include "model/Network.h"
#include "platform/Dialogs.h"

namespace qem {

enum class CommandEnd { Done, Stopped, Failed };

// "12 - 13": the support numbers of a span, as the messages name it.
std::string SpanName(const TySpan& s);

// The span regime report: the calculation, then its report into `out`; the refusal asked as
// an error. When `view` is given, the span view is drawn into it. Calculation errors propagate.
SpanRegimeOutcome SpanRegimeReport(const TyLine& line, TySpan& span, const CalcEnv& env, Dialogs& dlg, Report& out,
                                   SpanView* view = nullptr);

// The line regime report: the calculation with its progress and cancellation through dlg, then
// its table into `out` (the rows so far when Failed); `out` is unchanged when Cancelled.
LineRegimeOutcome LineRegimeReport(TyLine& line, const CalcEnv& env, Dialogs& dlg, Report& out,
                                   const RecomputeHook& recompute = {});

// The progress and cancellation of a calculation through dlg.
RunControl ControlOf(Dialogs& dlg);

struct SpanCommandResult {
    CommandEnd end = CommandEnd::Stopped;
    SpanRegimeOutcome outcome;
};

// Tool bar "Расчет пролета": checks of the current span, the reference state recomputed from
// the measurements (measurement `zamer` for the conductor temperature), then the report. A
// value of the span that no calculation can use stops it with CalcErrorText naming it.
SpanCommandResult MeasuredSpanRegimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg, Report& out,
                                            SpanView* view = nullptr, int zamer = 1);

// Menu "Расчет пролета": the report from the stored reference state.
SpanCommandResult StoredSpanRegimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg, Report& out,
                                          SpanView* view = nullptr);

// The allowable currents of one conductor of the current span for its obstacle k, from the
// stored reference state, computed as the menu "Расчет пролета" computes its section k (the
// temporary sea-level profile points included); nothing after a message (the report's refusal
// "Введите значения замера", an unusable value, a calculation error).
std::optional<SpanCurrents> SpanCurrentsCommand(Network& net, const CalcEnv& env, Dialogs& dlg, int k);

// Recomputes the reference state of a span from its measurements: ZamerSag of measurement 1,
// ZamerConductorTemp of measurement `zamer`, ComputeInitialConditions.
void RecomputeInitialConditions(TySpan& span, const CalcEnv& env, int zamer = 1);

struct LineCommandResult {
    CommandEnd end = CommandEnd::Stopped;
    LineRegimeOutcome outcome;
};

// The line calculation of a line without the checks of the command and without showing its
// outcome: the temporary sea-level points of every span (their warnings go to dlg), the
// measurement check of every span (the first failing one stops it), the table into `out` with
// the reference states recomputed from the measurements, the points removed whatever
// happened. Done, Stopped (a failing check, or cancelled through dlg) or Failed.
struct LineCalculation {
    CommandEnd end = CommandEnd::Stopped;
    LineRegimeOutcome outcome;
    std::string check;        // the message of the failing measurement check
    int checkSpan = 0;        // its span
    std::string measurement;  // the message of a reference state that could not be fitted
};
LineCalculation CalculateLine(TyLine& line, const CalcEnv& env, Dialogs& dlg, Report& out, int zamer = 1);

// Tool bar "Расчет ВЛ": the per-span checks, then UncheckedLineRegimeCommand.
LineCommandResult LineRegimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg, Report& out, int zamer = 1);

// The line calculation of the current line without the checks: temporary profile points of
// every span, CheckZamerData of every span, the table with the reference states recomputed,
// the points removed and the current span restored whatever happened.
LineCommandResult UncheckedLineRegimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg, Report& out,
                                             int zamer = 1);

// "Расчет допустимых температур" (one line, all = false: the current line) and "Расчет доп.
// температур всех ВЛ" (all = true): writes `file` (Windows-1251, CR LF) and returns the
// whole file as the report to show. A calculation error keeps the rows written so far in the
// file, closes it and shows "Произошла ошибка при расчёте". The lines are worked out on
// env.jobs threads and written in line order; progress counts the lines, and a cancellation
// between lines keeps the tables finished so far.
CommandEnd AllowTempCommand(Network& net, const CalcEnv& env, Dialogs& dlg, const std::string& file, bool all,
                            Report& out);

// What a printed report is about: its title and the line (and span) it belongs to.
struct ReportHeading {
    std::string title;    // "Расчет режима пролета"
    std::string subject;  // "ВЛ 500 кВ ПС Восточная-ПС Западная, пролет 2 - 3"
    int tableHeadFirst = 0, tableHeadCount = 0;  // report lines repeated atop every further page
};
ReportHeading SpanReportHeading(const TyLine& line, const TySpan& span);
ReportHeading LineReportHeading(const TyLine& line);
// One line, or all lines of the network file.
ReportHeading AllowTempHeading(const Network& net, bool all);

}  // namespace qem
