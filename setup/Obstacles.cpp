#include "setup/Obstacles.h"

#include <cmath>
#include <limits>
#include <utility>

#include "model/Format.h"
#include "model/TextEntry.h"

namespace qem {

const std::array<const char*, 7> kObstacleGridHeader = {"Расстояние до препятствия",
                                                        "Габарит от провода до земли",
                                                        "Высота препятствия",
                                                        "Тип припяствия",
                                                        "Габарит между проводом и пересекаемым объектом",
                                                        "Высота над уровнем моря в месте пересечения",
                                                        "Тип препятствия"};

namespace {

// A decimal number with point or comma, without blanks around it; false when not a number
// or beyond a Single.
bool ReadNumber(const std::string& text, double& value) {
    std::string t = EntryText(text);
    for (char& c : t)
        if (c == ',') c = '.';
    if (t.empty() || ValReal(t, value) != 0) return false;
    return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max();
}

}  // namespace

int ObstacleRows(const TySpan& span) {
    if (span.Prep[1].Lprep == 0) return 0;
    return span.NPrep < 1 ? 1 : (span.NPrep > kMaxObstacles ? kMaxObstacles : span.NPrep);
}

std::string ObstacleCellText(const TySpan& span, int row, int col) {
    if (row < 1 || row > kMaxObstacles) return "";
    const TyPrep& p = span.Prep[row];
    switch (col) {
        case 0: return FixedText(p.Lprep, 2);
        case 1: return FixedText(p.GabZem, 2);
        case 2: return FixedText(p.Hprep, 2);
        case 3: return std::to_string(p.TPrp);
        case 4: return FixedText(p.GabPrep, 2);
        case 5: return FixedText(p.HSeaPrep, 2);
        case 6: return (p.TPrp >= 0 && p.TPrp < kObstacleTypes) ? kObstacleTypeText[p.TPrp] : "";
        default: return "";
    }
}

bool CommitObstacleCell(TySpan& span, int row, int col, const std::string& text, Dialogs& dialogs) {
    if (row < 1 || row > kMaxObstacles || col == 3 || col == 6 || col < 0 || col > 6) return true;
    TyPrep& p = span.Prep[row];
    double v = 0;
    if (!ReadNumber(text, v)) {
        if (col == 0) p.Lprep = 0;
        if (col == 2) p.Hprep = 0;
        return false;
    }
    switch (col) {
        case 0:
            if (span.Lpr > v) {
                p.Lprep = static_cast<Single>(v);
                return true;
            }
            dialogs.Message(kMsgObstacleBeyondSpan);
            p.Lprep = 0;
            return false;
        case 1: p.GabZem = static_cast<Single>(v); break;
        case 2: p.Hprep = static_cast<Single>(v); break;
        case 4: p.GabPrep = static_cast<Single>(v); break;
        case 5: p.HSeaPrep = static_cast<Single>(v); break;
    }
    return true;
}

void SetObstacleType(TySpan& span, int row, int t) {
    if (row < 1 || row > kMaxObstacles || t < 0 || t >= kObstacleTypes) return;
    span.Prep[row].TPrp = t;
}

int AddObstacle(TySpan& span, int rows, Dialogs& dialogs) {
    if (rows < 0) rows = 0;
    if (rows >= kMaxObstacles) {
        dialogs.Message(kMsgObstaclesFull);
        return 0;
    }
    const int r = rows + 1;
    span.Prep[r] = TyPrep{};
    span.NPrep = r;
    return r;
}

bool DeleteObstacle(TySpan& span, int rows, int row, Dialogs& dialogs) {
    if (rows > kMaxObstacles) rows = kMaxObstacles;
    if (row < 1 || row > rows) return false;
    if (dialogs.Ask("Вы действительно хотите удалить выбранный элемент", Buttons::YesCancel) != Answer::Yes)
        return false;
    if (rows == 1) {
        span.Prep[1].Lprep = 0;
        span.NPrep = 1;
        return true;
    }
    for (int i = row; i < rows; ++i) span.Prep[i] = span.Prep[i + 1];
    span.Prep[rows] = TyPrep{};
    span.NPrep = rows - 1;
    return true;
}

void SortObstaclesByHeight(TySpan& span, int rows, bool ascending) {
    if (rows > kMaxObstacles) rows = kMaxObstacles;
    for (int i = 1; i < rows; ++i) {
        int best = i;
        for (int j = i + 1; j <= rows; ++j) {
            const bool better =
                ascending ? span.Prep[j].Hprep < span.Prep[best].Hprep : span.Prep[j].Hprep > span.Prep[best].Hprep;
            if (better) best = j;
        }
        if (best != i) std::swap(span.Prep[i], span.Prep[best]);
    }
}

std::vector<std::string> ObstacleSelectorItems(const TySpan& span) {
    std::vector<std::string> items;
    for (int i = 1; i <= ObstacleRows(span); ++i) items.push_back(std::to_string(i));
    return items;
}

}  // namespace qem
