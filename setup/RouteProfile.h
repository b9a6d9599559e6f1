#pragma once
// The route profile of a span as the editor "Профиль трассы" edits it: the count of points,
// the count change that clears the points beyond it, and the cell texts and edits. Every
// edit writes straight into the span record. Texts are UTF-8.
#include <array>
#include <string>
#include <vector>

#include "model/QEMcom.h"
#include "platform/Dialogs.h"

namespace qem {

inline constexpr int kMaxProfilePoints = 10;
// Grid header: column 0 the distance, column 1 the elevation mark.
extern const std::array<const char*, 2> kProfileGridHeader;

// Number of leading points whose ZemL is above 0.001 (0..10).
int ProfileCount(const TySpan& span);

// "Количество участков" := n (clamped to 0..10): points n+1..10 are cleared at once.
void SetProfileCount(TySpan& span, int n);

// The points after n (n+1..10) that hold a distance or an elevation: what a count of n clears.
std::vector<int> ProfilePointsBeyond(const TySpan& span, int n);

// A count the user has typed (when the edit is finished) or stepped to: when it would clear
// points that hold data, the question "При количестве участков n точки профиля 4, 5 будут
// удалены. Продолжить?" (Yes, Cancel) comes first. On Cancel nothing changes (false); otherwise
// SetProfileCount (true).
bool ChangeProfileCount(TySpan& span, int n, Dialogs& dialogs);

// Text of cell (point 1..10, column 0 ZemL, 1 ZemH), "%10.1f".
std::string ProfileCellText(const TySpan& span, int point, int col);

// Cell edit of point p (1..10): column 0 into ZemL, 1 into ZemH, by TextToSingle. True when
// stored.
bool EditProfileCell(TySpan& span, int point, int col, const std::string& text, Dialogs& dialogs);

}  // namespace qem
