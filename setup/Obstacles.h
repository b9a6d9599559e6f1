#pragma once
// The obstacles of a span as the obstacle editor ("Задать препятсвия") edits them: the list
// conventions, the grid texts, committing a cell, the type, adding, deleting and sorting by
// height. Every edit writes straight into the span record. Texts are UTF-8.
#include <array>
#include <string>
#include <vector>

#include "model/QEMcom.h"
#include "platform/Dialogs.h"

namespace qem {

inline constexpr int kMaxObstacles = 10;

inline constexpr const char* kMsgObstacleBeyondSpan = "длина до препятствия не может превышать длину пролёта";
inline constexpr const char* kMsgObstaclesFull = "В пролёте уже 10 препятствий — больше добавить нельзя";

// Grid header, columns 0..6 (column 3 holds the type index and is hidden).
extern const std::array<const char*, 7> kObstacleGridHeader;

// Obstacles the editor shows: 0 when Prep[1].Lprep is 0 (the empty list), else NPrep within 1..10.
int ObstacleRows(const TySpan& span);

// Text of cell (row 1..10, column 0..6): Lprep, GabZem, Hprep, the type index, GabPrep,
// HSeaPrep ("%.2f"), the type text.
std::string ObstacleCellText(const TySpan& span, int row, int col);

// Commits the text of cell (row, col) into the obstacle: column 0 Lprep (refused with
// "длина до препятствия не может превышать длину пролёта" and reset to 0 unless below Lpr),
// 1 GabZem, 2 Hprep, 4 GabPrep, 5 HSeaPrep; point or comma as decimal separator. Text that is
// not a number resets the cell to "0" (and Lprep or Hprep to 0 for columns 0 and 2). Returns
// true when the typed text stands, false when the cell must show "0". Header row and columns
// 3 and 6 are ignored (true).
bool CommitObstacleCell(TySpan& span, int row, int col, const std::string& text, Dialogs& dialogs);

// Type t (0..12) of obstacle row.
void SetObstacleType(TySpan& span, int row, int t);

// The editor shows `rows` obstacles: ObstacleRows when it opens, then one more after each
// "Добавить" (a new obstacle has no distance yet) and one less after each "Удалить".

// "Добавить": a new obstacle of zeros (type 0) after the `rows` shown, NPrep := its row.
// Refused with "В пролёте уже 10 препятствий — больше добавить нельзя" when ten are shown.
// Returns the new row, 0 when refused.
int AddObstacle(TySpan& span, int rows, Dialogs& dialogs);

// "Удалить" of obstacle row (1..rows) after the question (Yes, Cancel): the only obstacle
// empties the list (Prep[1].Lprep := 0, NPrep = 1); otherwise the later obstacles move up and
// NPrep := rows - 1. False on Cancel or for a row outside 1..rows.
bool DeleteObstacle(TySpan& span, int rows, int row, Dialogs& dialogs);

// Orders obstacles 1..rows by Hprep, ascending or descending (selection of the smallest or
// largest remaining obstacle for each place from the top).
void SortObstaclesByHeight(TySpan& span, int rows, bool ascending);

// Items of the main window's obstacle selector: "1".."NPrep", none for an empty list.
std::vector<std::string> ObstacleSelectorItems(const TySpan& span);

}  // namespace qem
