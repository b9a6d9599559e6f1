#include "lines/Exports.h"

#include <algorithm>
#include <cmath>

#include "lines/LimitTable.h"
#include "model/Cp1251.h"
#include "platform/FileSystem.h"
#include "platform/Workbook.h"

namespace qem {
namespace {

namespace fs = std::filesystem;

const char* const kCancelled = "Выгрузка прервана пользователем: книга не записана";

std::string DataFile(const ExportSettings& s, const std::string& name) {
    return PathToUtf8(s.dataDir / PathFromUtf8(name));
}

// The common start of the three exports: the open network file exists and there is a line.
bool NetworkReady(const Network& net, Dialogs& dlg) {
    std::error_code ec;
    if (net.NetFileName.empty() || !fs::exists(PathFromUtf8(net.NetFileName), ec)) {
        dlg.Ask("Файл не выбан", Buttons::Ok, "ошибка");
        return false;
    }
    if (net.NLines() == 0) {
        dlg.Message("В сети нет линий: выгружать нечего");
        return false;
    }
    return true;
}

// The per-line workbook of the line in the data folder, or the message why there is none: a
// name that the templates or the other workbooks of the exports take.
std::optional<std::string> LineWorkbook(const TyLine& line, std::string& refusal) {
    const std::string name = LineWorkbookName(line);
    for (const char* t : {kLineTemplate, kShortTemplate, kSummaryTemplate})
        if (SameNameIgnoringCase(name, t)) {
            refusal = "Файл " + Quoted(name) + " — шаблон выгрузки: книга линии ВЛ " + LineName(line) +
                      " не может занять его имя";
            return std::nullopt;
        }
    for (const char* t : {kShortWorkbook, kSummaryWorkbook})
        if (SameNameIgnoringCase(name, t)) {
            refusal = "Файл " + Quoted(name) + " — книга другой выгрузки: книга линии ВЛ " + LineName(line) +
                      " не может занять его имя";
            return std::nullopt;
        }
    return name;
}

// The template of the data folder, or the message why it does not open.
std::optional<Workbook> OpenTemplate(const ExportSettings& s, const char* name, Dialogs& dlg) {
    try {
        return Workbook::Open(DataFile(s, name));
    } catch (const FileError& e) {
        dlg.Message(std::string("Шаблон выгрузки не открыт: ") + e.what(), "ошибка", Icon::Error);
        return std::nullopt;
    }
}

// The conductor's ratings with progress from `first` of `total` steps; nullopt when cancelled.
std::optional<ConductorRatings> Ratings(const TyLine& line, const CalcEnv& env, const ExportSettings& s, Dialogs& dlg,
                                        int first, int total) {
    return RateLineConductorAll(line, env, s.useSourceCondition, s.zamer, [&](int done) {
        dlg.Progress(first + done, total);
        return !dlg.Cancelled();
    });
}

void ShowNotes(const std::vector<std::string>& notes, Dialogs& dlg) {
    for (const auto& n : notes) dlg.Message(n);
}

bool Save(const Workbook& wb, const std::string& path, Dialogs& dlg) {
    try {
        wb.Save(path);
        return true;
    } catch (const FileError& e) {
        dlg.Message(e.what(), "ошибка", Icon::Error);
        return false;
    }
}

// The common start of the exports of the current line: the network ready, the name of the
// line's workbook acceptable (or the refusal shown); a workbook named by `out` is used as given.
std::optional<std::string> StartLineExport(const Network& net, const ExportSettings& s, Dialogs& dlg) {
    if (!NetworkReady(net, dlg)) return std::nullopt;
    if (!s.out.empty()) return s.out;
    std::string refusal;
    auto name = LineWorkbook(net.Line(net.CurLine), refusal);
    if (!name) dlg.Ask(refusal, Buttons::Yes);
    return name;
}

// The line's own limits under its conductor's row in the summary (block from `top`): rows 33
// and 34 of its table as values, columns A, B and T of the block's line row run down beside
// them, and the rows tall enough for their texts.
void SummaryBlock(const Sheet& table, const LimitTableOutcome& o, Sheet& sum, int top) {
    CopyRange(table, "C33:S34", sum, CellName(top + 5, 3));
    for (int k = 0; k < kLimitTemps; ++k)
        for (int r = 0; r < 2; ++r) {
            const int row = top + 5 + r, col = kFirstTempColumn + k;
            if (o.unrated.empty())
                sum.SetNumber(row, col, (r == 0 ? o.limits.DDTN : o.limits.ADTN)[std::size_t(k)]);
            else
                sum.SetText(row, col, "");
        }
    for (int col : {1, 2, 20}) {
        for (int r = 5; r <= 6; ++r) sum.SetStyle(top + r, col, sum.Style(top + 4, col));
        sum.Merge(CellName(top + 4, col) + ":" + CellName(top + 6, col));
    }
    // T is 44 characters wide: some 38 characters of wrapped text a line of 12.75 points.
    const double lines = std::ceil(double(Utf8Length(sum.Text(top + 4, 20))) / 38.0);
    sum.SetRowHeight(top + 2, 30);
    sum.SetRowHeight(top + 5, 20);
    sum.SetRowHeight(top + 6, 20);
    sum.SetRowHeight(top + 4, std::max(30.0, lines * 12.75 + 6 - 40));
}

// Saves the finished workbook under its final name and hands it to the user.
void Hand(const Workbook& wb, const std::string& target, Dialogs& dlg, ExportResult& res) {
    res.end = CommandEnd::Failed;
    if (!Save(wb, target, dlg)) return;
    res.written.push_back(target);
    res.end = CommandEnd::Done;
    dlg.ShowDocument(target);
}

// The table of the current line, computed into a workbook from the template: shared by the
// full and the minimal export. nullopt when it stopped (the reason shown, `res` says how).
struct LineTable {
    Workbook wb;
    LimitTableOutcome outcome;
};
std::optional<LineTable> CurrentLineTable(Network& net, const CalcEnv& env, const ExportSettings& s, Dialogs& dlg,
                                          ExportResult& res) {
    TyLine& line = net.Line(net.CurLine);
    const auto ratings = Ratings(line, env, s, dlg, 0, kLimitTemps);
    dlg.Progress(0, kLimitTemps);
    if (!ratings) {
        dlg.Message(kCancelled);
        return std::nullopt;
    }
    res.lineReport = (*ratings)[kLimitTemps - 1].report;
    res.end = CommandEnd::Failed;
    if (const ConductorRating* r = FirstUnrated(*ratings)) {
        ShowNotes(r->notes, dlg);
        dlg.Message(UnratedMessage(line, r->T, r->failure) + ". Книга не записана.", "ошибка", Icon::Error);
        return std::nullopt;
    }
    auto wb = OpenTemplate(s, kLineTemplate, dlg);
    if (!wb) return std::nullopt;
    LimitTableOutcome o =
        CalculateAllLine(line, *ratings, env.LongTermTemp, s.useSourceCondition, dlg, wb->FirstSheet());
    ShowNotes(o.notes, dlg);
    if (!o.written) return std::nullopt;  // the bus rating failed: its messages were shown
    return LineTable{std::move(*wb), std::move(o)};
}

}  // namespace

std::string LineWorkbookName(const TyLine& line) {
    return SafeFileName(Cp1251ToUtf8(line.From.str()) + " " + Cp1251ToUtf8(line.To.str()), ".xlsx", "ВЛ без названия");
}

ExportResult ExportLineTable(Network& net, const CalcEnv& env, const ExportSettings& s, Dialogs& dlg) {
    ExportResult res;
    const auto name = StartLineExport(net, s, dlg);
    if (!name) return res;
    auto table = CurrentLineTable(net, env, s, dlg, res);
    if (table) Hand(table->wb, s.out.empty() ? DataFile(s, *name) : s.out, dlg, res);
    return res;
}

ExportResult ExportLineLimits(Network& net, const CalcEnv& env, const ExportSettings& s, Dialogs& dlg) {
    ExportResult res;
    if (!StartLineExport(net, s, dlg)) return res;
    auto table = CurrentLineTable(net, env, s, dlg, res);
    if (!table) return res;
    auto shortWb = OpenTemplate(s, kShortTemplate, dlg);
    if (!shortWb) return res;
    Sheet& sheet = shortWb->FirstSheet();
    const LineLimits& lim = table->outcome.limits;
    sheet.SetText(4, 1, LineTitle(net.Line(net.CurLine)));
    for (int k = 0; k < kLimitTemps; ++k) {
        sheet.SetNumber(4, k + 2, lim.DDTN[k]);
        sheet.SetNumber(5, k + 2, lim.ADTN[k]);
    }
    Hand(*shortWb, s.out.empty() ? DataFile(s, kShortWorkbook) : s.out, dlg, res);
    return res;
}

ExportResult ExportAllLines(Network& net, const CalcEnv& env, const ExportSettings& s, Dialogs& dlg) {
    ExportResult res;
    if (!NetworkReady(net, dlg)) return res;
    auto summary = OpenTemplate(s, kSummaryTemplate, dlg);
    if (!summary) return res;
    Bytes lineTemplate;
    try {
        lineTemplate = ReadWholeFile(DataFile(s, kLineTemplate));
        Workbook::FromBytes(lineTemplate, {}, kLineTemplate);
    } catch (const FileError& e) {
        dlg.Message(std::string("Шаблон выгрузки не открыт: ") + e.what(), "ошибка", Icon::Error);
        return res;
    }
    const int n = net.NLines(), total = n * kLimitTemps;
    std::vector<std::string> refused;
    // Cancelled: the workbooks of the lines finished so far stay, and the message names them.
    auto cancelled = [&] {
        dlg.Progress(0, total);
        std::string text = kCancelled;
        if (!res.written.empty()) {
            text = "Выгрузка прервана пользователем: сводная книга не записана. Записаны книги линий:";
            for (const std::string& w : res.written) text += "\n" + w;
        }
        dlg.Message(text);
        return res;
    };
    for (int i = 1; i <= n; ++i) {
        TyLine& line = net.Line(i);
        if (dlg.Cancelled()) return cancelled();
        const auto ratings = Ratings(line, env, s, dlg, (i - 1) * kLimitTemps, total);
        if (!ratings) return cancelled();
        res.lineReport = (*ratings)[kLimitTemps - 1].report;
        Workbook wb = Workbook::FromBytes(lineTemplate, {}, kLineTemplate);
        const LimitTableOutcome o =
            CalculateAllLine(line, *ratings, env.LongTermTemp, s.useSourceCondition, dlg, wb.FirstSheet());
        ShowNotes(o.notes, dlg);
        if (!o.written) {  // the bus rating failed: its messages were shown; the export ends
            dlg.Progress(0, total);
            res.end = CommandEnd::Failed;
            return res;
        }
        const int top = 34 * (i - 1) + 1;
        CopyRange(wb.FirstSheet(), "A1:T5", summary->FirstSheet(), CellName(top, 1));
        SummaryBlock(wb.FirstSheet(), o, summary->FirstSheet(), top);
        if (!o.unrated.empty()) {
            res.unrated.push_back(o.message);
            continue;
        }
        std::string refusal;
        const auto name = LineWorkbook(line, refusal);
        if (!name) {
            refused.push_back(refusal);
            continue;
        }
        const std::string path = DataFile(s, *name);
        if (!Save(wb, path, dlg)) {
            dlg.Progress(0, total);
            res.end = CommandEnd::Failed;
            return res;
        }
        res.written.push_back(path);
    }
    dlg.Progress(0, total);
    auto tell = [&](std::string text, const std::vector<std::string>& lines) {
        if (lines.empty()) return;
        for (const auto& l : lines) text += "\n" + l;
        dlg.Message(text, "ошибка", Icon::Warning);
    };
    tell("Провод ВЛ не рассчитан, строки ДДТН и АДТН провода пусты, книга линии не записана:", res.unrated);
    tell("Книги линий не записаны:", refused);
    res.skipped = refused;
    Hand(*summary, s.out.empty() ? DataFile(s, kSummaryWorkbook) : s.out, dlg, res);
    return res;
}

}  // namespace qem
