#include "setup/RouteProfile.h"

#include "engine/Format.h"
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
