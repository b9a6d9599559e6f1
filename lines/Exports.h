#pragma once
// The three spreadsheet exports of the main window: "Выгрузить в Excel" (the whole-line table of
// the current line), "Выгрузить в Excel(Минимальная выгрузка)" (the line's own ДДТН and АДТН in
// a short workbook) and "Выгрузить в Excel все линии" (the head of every line's table in one
// summary). Workbooks are made from the templates of the data folder, filled, saved atomically
// under their final names and handed to the user (Dialogs::ShowDocument); a refused,
// cancelled or failed export leaves no workbook behind under the final name.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/CalcEnv.h"
#include "engine/Report.h"
#include "lines/CalcCommands.h"
#include "model/Network.h"
#include "platform/Dialogs.h"

namespace qem {

inline constexpr const char* kLineTemplate = "шаблон экспорта.xlsx";
inline constexpr const char* kShortTemplate = "шаблон экспорта2.xlsx";
inline constexpr const char* kSummaryTemplate = "шаблон экспорта3.xlsx";
inline constexpr const char* kShortWorkbook = "2.xlsx";
// The summary of all lines: without a blank, so no line's workbook (From + " " + To + ".xlsx")
// can take its name.
inline constexpr const char* kSummaryWorkbook = "Все_ВЛ.xlsx";

struct ExportSettings {
    std::filesystem::path dataDir;  // the templates, and the workbooks written
    bool useSourceCondition = false;  // "Учитывать температуру воздуха, скорость и направление ветра"
    int zamer = 1;    // measurement for the conductor temperature of the reference states
    std::string out;  // the workbook to write instead of the default one (UTF-8); empty: the default
};

struct ExportResult {
    CommandEnd end = CommandEnd::Stopped;  // Stopped: refused or cancelled; Failed: a calculation or a file failed
    std::vector<std::string> written;      // workbooks written (UTF-8 paths); the one handed to the user last
    std::vector<std::string> unrated;      // all lines: the lines whose conductor is not rated (messages)
    std::vector<std::string> skipped;      // all lines: the lines whose workbook was not written (messages)
    Report lineReport;                     // the line table at +45 C of the line exported (last)
};

// From + " " + To + ".xlsx" of the line (UTF-8) as a file name of the data folder
// (SafeFileName: "ПС 110/10 Лесная" gives "ПС 110_10 Лесная"); a line without names gives
// "ВЛ без названия.xlsx".
std::string LineWorkbookName(const TyLine& line);

// "Выгрузить в Excel": the table of the current line into From + " " + To + ".xlsx" (or the
// settings' `out`, used as given).
ExportResult ExportLineTable(Network& net, const CalcEnv& env, const ExportSettings& settings, Dialogs& dlg);
// "Выгрузить в Excel(Минимальная выгрузка)": the line's own limits into "2.xlsx".
ExportResult ExportLineLimits(Network& net, const CalcEnv& env, const ExportSettings& settings, Dialogs& dlg);
// "Выгрузить в Excel все линии": every line's table into its own workbook and the head of each
// into the summary: A1:T5 of the line's table, and under it the line's own ДДТН and АДТН (rows
// 33 and 34 of its table), the limiting components beside them in T. A line whose conductor is
// not rated gets its block with its limit rows empty and the reason in T, no workbook of its
// own, and is named at the end; so is a line whose workbook would take a template's name
// (`skipped`). Cancelled, it writes no summary; the workbooks of the lines finished by then
// stay, and the message names them.
ExportResult ExportAllLines(Network& net, const CalcEnv& env, const ExportSettings& settings, Dialogs& dlg);

}  // namespace qem
