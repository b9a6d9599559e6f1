#pragma once
// The line list of the open network: its grid (one fixed row and one fixed column, 19
// columns), the editing of its cells and the line buttons below it.
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "session/AppState.h"

namespace qem {

inline constexpr int kLineListColumns = 19;
extern const char* const kLineListHeader[kLineListColumns];

// Header row, then row i = line i. A voltage class above 7 is first set to 7 in the record.
std::vector<std::vector<std::string>> FillLineList(Network& net);

// A line number that is not set (0, as every new or imported line has it) shows as this mark.
inline constexpr const char* kUnsetLineNumber = "—";

// The text of one cell of row i (1..NLines).
std::string LineListCell(const TyLine& line, int i, int column);

// An edit of a cell of row r: columns 1 and 2 the end names (cut to 25 characters), column 3
// the line number through TextToInt (the mark of an unset number, or an empty text, leaves it
// unset); the other columns are display only. Returns false for a column that cannot be edited.
bool EditLineListCell(Network& net, int row, int column, const std::string& text, Dialogs& dlg);

// The voltage drop-down of column 4: item index 0..7 ("750" ... "6") of the current line.
void ChooseVoltage(Network& net, int item);

// Line buttons: "В начало списка", "Предыдущая линия", "Следующая линия", "В конец списка".
void FirstLine(Network& net);
void PreviousLine(Network& net);
void NextLine(Network& net);
void LastLine(Network& net);
// "Добавить линию", "Вставить линию в список": a limit refuses with a message, nothing lost.
void AddLineCommand(AppState& app, Dialogs& dlg);
void InsertLineCommand(AppState& app, Dialogs& dlg);
// "Удалить линию из списка" after "Вы действительно хотите удалить выбранный элемент"; the only
// line of the network stays, with kMsgOnlyLine instead of the question.
inline constexpr const char* kMsgOnlyLine = "Единственную линию сети удалить нельзя";
void DeleteLineCommand(AppState& app, Dialogs& dlg);
// The move buttons: the current line changes places with the next (previous) one; the
// current span entries stay with the positions.
void MoveLineDown(Network& net);
void MoveLineUp(Network& net);

}  // namespace qem
