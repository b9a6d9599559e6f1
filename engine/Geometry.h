#pragma once
// Span geometry and clearances: the ground under the span from the route profile, the
// vertical clearance of the conductor, the clearance norms of the obstacles, and the
// temporary route-profile points of the height-above-sea-level option.
#include <string>
#include <vector>

#include "engine/Modes.h"
#include "engine/Units.h"
#include "model/Norms.h"
#include "model/QEMcom.h"

namespace qem {

// Ground height under abscissa x of the catenary frame, m: the broken line from the base of
// support 1 (a + r1 - Hpr1 at -d1) through the route-profile points (ZemH - H1 above it, at
// ZemL from support 1) to the base of support 2 (a + r2 - Hpr2 at d2), a = sigma/gamma.
Metres GroundHeight(const TySpan& span, Metres x, Metres r1, Metres r2, Metres d1, Metres d2, KgfPerMMm2 gamma,
                    KgfPerMm2 sigma);

// c = a*cosh(x/a) - ground height at x, m (note the order d1, d2, r1, r2 here).
Metres GroundClearanceAt(const TySpan& span, Metres x, Metres d1, Metres d2, Metres r1, Metres r2, KgfPerMMm2 gamma,
                         KgfPerMm2 sigma);

// Ground elevation at mid-span, m: the profile (0, H1), points, (Lpr, H2) interpolated at
// Lpr/2; (H1 + H2)/2 without profile.
Metres GroundMidElevation(const TySpan& span);

// Allowed clearance to obstacle k on a line of class uvl, m: the first crossing entry for a
// crossed line (TPrp 0..7), NormObst[uvl][TPrp - 8] for an object (8..12).
Metres ObstacleNorm(const TySpan& span, int k, int uvl, const Norms& norms);

// The temporary profile points one AddSeaLevelPoints put into a span: their slots in the
// route profile after sorting and their values. Empty when nothing was added.
struct SeaLevelToken {
    struct Added {
        int slot = 0;  // 1..10
        TyZem point;
    };
    std::vector<Added> added;
    // Why nothing was added although the option is on: "Количество препятствий и замеров профиля
    // трассы не должно быть больше 9"; the command shows it. Empty otherwise.
    std::string refusal;
    bool empty() const { return added.empty(); }
};

// With the span's height-above-sea-level option on: appends the obstacle crossings
// (HSeaPrep, Lprep) and the measurement points (M_middle_h at Lpr/2 for one measurement,
// (HSeaZam[i], LZam[i]) for two) to the route profile and sorts it by distance. When the
// points do not fit in the ten slots, adds nothing and says so in the token's refusal. Returns
// what it added.
SeaLevelToken AddSeaLevelPoints(TySpan& span, ZamerMode mode);

// Removes exactly the points that AddSeaLevelPoints added (per the token) and closes the
// gaps of the profile.
void RemoveSeaLevelPoints(TySpan& span, const SeaLevelToken& token);

// Keeps the temporary sea-level points for its lifetime: adds them when made, removes them
// when it ends, whatever happened in between.
class SeaLevelPointsGuard {
public:
    SeaLevelPointsGuard(TySpan& span, ZamerMode mode) : span_(span), token_(AddSeaLevelPoints(span, mode)) {}
    ~SeaLevelPointsGuard() { RemoveSeaLevelPoints(span_, token_); }
    SeaLevelPointsGuard(const SeaLevelPointsGuard&) = delete;
    SeaLevelPointsGuard& operator=(const SeaLevelPointsGuard&) = delete;
    const SeaLevelToken& token() const { return token_; }

private:
    TySpan& span_;
    SeaLevelToken token_;
};

}  // namespace qem
