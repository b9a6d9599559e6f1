#include "engine/Geometry.h"

#include <array>
#include <utility>

#include "engine/CalcError.h"
#include "engine/Loads.h"
#include "engine/StateChange.h"

namespace qem {
namespace {

const char* const kTooManyPoints = "Количество препятствий и замеров профиля трассы не должно быть больше 9";

// Leading profile points with a distance above 0.001 m.
int LeadingProfilePoints(const TySpan& span) {
    int n = 0;
    while (n < 10 && span.Zem[n + 1].ZemL > 0.001f) ++n;
    return n;
}

}  // namespace

Metres GroundHeight(const TySpan& span, Metres x, Metres r1, Metres r2, Metres d1, Metres d2, KgfPerMMm2 gamma,
                    KgfPerMm2 sigma) {
    const double a = CheckedDiv(sigma, gamma, "catenary parameter");
    // Base of support 1, then the profile points up to the first one at or beyond x.
    std::array<double, 12> X{}, Y{};
    X[0] = -d1;
    Y[0] = a + r1 - double(span.Hpr1);
    int n = 0;  // index of the last point
    bool endOfProfile = true;
    for (int i = 1; i <= 10; ++i) {
        if (!(span.Zem[i].ZemL > 0.001f)) break;
        if (!(X[n] - 0.001 < x)) {
            endOfProfile = false;
            break;
        }
        ++n;
        X[n] = X[0] + double(span.Zem[i].ZemL);
        Y[n] = Y[0] - double(span.H1) + double(span.Zem[i].ZemH);
    }
    // All points passed: the base of support 2 closes the profile.
    if (endOfProfile && x > X[n]) {
        ++n;
        X[n] = d2;
        Y[n] = a + r2 - double(span.Hpr2);
    }
    if (n == 0) return Y[0];
    return InterpLinear(X[n - 1], Y[n - 1], X[n], Y[n], x);
}

Metres GroundClearanceAt(const TySpan& span, Metres x, Metres d1, Metres d2, Metres r1, Metres r2, KgfPerMMm2 gamma,
                         KgfPerMm2 sigma) {
    return CatenaryHeight(x, gamma, sigma) - GroundHeight(span, x, r1, r2, d1, d2, gamma, sigma);
}

Metres GroundMidElevation(const TySpan& span) {
    const double H1 = span.H1, H2 = span.H2, L = span.Lpr;
    if (span.Zem[1].ZemL < 0.01f) return (H1 + H2) / 2.0;
    // (0, H1), the leading profile points, (L, H2).
    std::array<double, 12> X{}, Y{};
    int n = 0;
    X[0] = 0;
    Y[0] = H1;
    for (int i = 1; i <= 10 && span.Zem[i].ZemL > 0.01f; ++i) {
        ++n;
        X[n] = span.Zem[i].ZemL;
        Y[n] = span.Zem[i].ZemH;
    }
    ++n;
    X[n] = L;
    Y[n] = H2;
    // The first point not short of mid-span and the one before it.
    int j = 1;
    while (j < n && X[j] < L / 2.0) ++j;
    return InterpLinear(X[j - 1], Y[j - 1], X[j], Y[j], L / 2.0);
}

Metres ObstacleNorm(const TySpan& span, int k, int uvl, const Norms& norms) {
    return ObstacleTypeNorm(norms, uvl, span.Prep[k].TPrp);
}

SeaLevelToken AddSeaLevelPoints(TySpan& span, ZamerMode mode) {
    SeaLevelToken token;
    if (span.UseSea == 0) return token;
    const int n = LeadingProfilePoints(span);

    // The points to add: the leading obstacles, then the measurement points. A measurement
    // point without a distance is no point: inserted, it would sort to the front and cut off
    // the whole profile.
    std::vector<TyZem> extra;
    for (int i = 1; i <= 10 && span.Prep[i].Lprep > 0; ++i)
        extra.push_back({span.Prep[i].HSeaPrep, span.Prep[i].Lprep});
    if (mode == ZamerMode::OnePoint) {
        extra.push_back({span.M_middle_h, span.Lpr / 2.0f});
    } else {
        for (int i = 1; i <= 2; ++i)
            if (span.LZam[i] > 0.001f) extra.push_back({span.HSeaZam[i], span.LZam[i]});
    }
    // The profile has ten slots; nothing is written when the points do not fit.
    if (span.NPrep + n >= 10 || n + static_cast<int>(extra.size()) > 10) {
        token.refusal = kTooManyPoints;
        return token;
    }

    // Append, marking the added points, then sort by distance (stable bubble sort).
    std::array<bool, 11> added{};
    int count = n;
    for (const TyZem& z : extra) {
        ++count;
        span.Zem[count] = z;
        added[count] = true;
    }
    for (int pass = 1; pass < count; ++pass)
        for (int i = 1; i < count; ++i)
            if (span.Zem[i].ZemL > span.Zem[i + 1].ZemL) {
                std::swap(span.Zem[i], span.Zem[i + 1]);
                std::swap(added[i], added[i + 1]);
            }
    for (int i = 1; i <= count; ++i)
        if (added[i]) token.added.push_back({i, span.Zem[i]});
    return token;
}

void RemoveSeaLevelPoints(TySpan& span, const SeaLevelToken& token) {
    if (token.empty()) return;
    for (const SeaLevelToken::Added& a : token.added) {
        TyZem& z = span.Zem[a.slot];
        // The slot still holds the added point, or the calculation has dropped it from the
        // profile (distance zeroed): either way it is no genuine point.
        if (z == a.point || z.ZemL == 0) z = TyZem{};
    }
    // Close the gaps: nine passes moving points down over slots of distance exactly 0.
    for (int pass = 1; pass <= 9; ++pass)
        for (int i = 1; i <= 9; ++i)
            if (span.Zem[i].ZemL == 0) std::swap(span.Zem[i], span.Zem[i + 1]);
}

}  // namespace qem
