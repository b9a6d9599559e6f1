#include "setup/RouteProfile.h"

#include <algorithm>

#include "model/Format.h"
#include "model/TextEntry.h"

namespace qem {

const std::array<const char*, 2> kProfileGridHeader = {"Расстояние от опоры,м", "Высотная отметка, м"};

int ProfileCount(const TySpan& span) {
    int n = 0;
    while (n < kMaxProfilePoints && span.Zem[n + 1].ZemL > 0.001f) ++n;
    return n;
}

void SetProfileCount(TySpan& span, int n) {
    n = n < 0 ? 0 : (n > kMaxProfilePoints ? kMaxProfilePoints : n);
    for (int i = n + 1; i <= kMaxProfilePoints; ++i) span.Zem[i] = TyZem{};
}

std::vector<int> ProfilePointsBeyond(const TySpan& span, int n) {
    std::vector<int> points;
    for (int i = std::max(n, 0) + 1; i <= kMaxProfilePoints; ++i)
        if (span.Zem[i].ZemL != 0 || span.Zem[i].ZemH != 0) points.push_back(i);
    return points;
}

bool ChangeProfileCount(TySpan& span, int n, Dialogs& dialogs) {
    n = std::clamp(n, 0, kMaxProfilePoints);
    const std::vector<int> lost = ProfilePointsBeyond(span, n);
    if (!lost.empty()) {
        std::string list;
        for (int p : lost) list += (list.empty() ? "" : ", ") + std::to_string(p);
        const std::string text = "При количестве участков " + std::to_string(n) +
                                 (lost.size() == 1 ? " точка профиля " + list + " будет удалена"
                                                   : " точки профиля " + list + " будут удалены") +
                                 ". Продолжить?";
        if (dialogs.Ask(text, Buttons::YesCancel) != Answer::Yes) return false;
    }
    SetProfileCount(span, n);
    return true;
}

std::string ProfileCellText(const TySpan& span, int point, int col) {
    if (point < 1 || point > kMaxProfilePoints) return "";
    if (col == 0) return Format("%10.1f", span.Zem[point].ZemL);
    if (col == 1) return Format("%10.1f", span.Zem[point].ZemH);
    return "";
}

bool EditProfileCell(TySpan& span, int point, int col, const std::string& text, Dialogs& dialogs) {
    if (point < 1 || point > kMaxProfilePoints) return false;
    Single* field = col == 0 ? &span.Zem[point].ZemL : col == 1 ? &span.Zem[point].ZemH : nullptr;
    return field && TextToSingle(text, *field, dialogs);
}

}  // namespace qem
