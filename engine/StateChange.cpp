#include "engine/StateChange.h"

#include <cmath>
#include <optional>
#include <string>

#include "engine/CalcError.h"
#include "engine/Geometry.h"
#include "engine/Loads.h"
#include "engine/SpanView.h"

namespace qem {
namespace {

// Newton steps of the lowest-point equation.
constexpr long kLowestPointSteps = 1'000'000;
// Newton steps of the catenary refinement of the state-change equation. The refinement
// starts from the parabolic solution and converges in a handful of steps; a refinement
// that has not converged after this many is oscillating, and the parabolic solution stands.
constexpr int kRefinementSteps = 100;

// F(sigma) = sigma0 - sigma - (E L^2/24)(gamma0^2/sigma0^2 - gamma^2/sigma^2) - E alpha dt.
double ParabolicResidual(double sigma, double sigma0, double gamma0, double gamma, double E, double alpha, double dt,
                         double L) {
    const double r = sigma0 - sigma - E * L * L / 24.0 * (gamma0 * gamma0 / (sigma0 * sigma0) - gamma * gamma / (sigma * sigma)) -
                     E * alpha * dt;
    return CheckedFinite(r, "state-change equation residual");
}

// Bisection on [0.1, 20 sigma0] down to a width of 0.001: lo moves up while F(lo) F(mid) is
// not negative (beyond -5e-7), hi moves down otherwise; the result is the last midpoint.
KgfPerMm2 ParabolicStress(double sigma0, double gamma0, double gamma, double E, double alpha, double dt, double L) {
    double lo = 0.1, hi = 20.0 * sigma0;
    double mid = (hi + lo) / 2.0;  // the answer when the interval is already narrower than 0.001
    while (std::fabs(hi - lo) > 0.001) {
        mid = (hi + lo) / 2.0;
        const double p = ParabolicResidual(lo, sigma0, gamma0, gamma, E, alpha, dt, L) *
                         ParabolicResidual(mid, sigma0, gamma0, gamma, E, alpha, dt, L);
        if (std::fabs(p - std::fabs(p)) <= 1e-6)
            lo = mid;
        else
            hi = mid;
    }
    return mid;
}

// The two conditions of the exact catenary in the stress s and the equivalent span A = 2 d1,
// with their partial derivatives:
//   G1 = sinh u + sinh w - (1 + alpha dt)(gamma S0/E + gamma S0/s - sigma0 gamma S0/(E s))
//   G2 = cosh u - cosh w - gamma h/s,   u = gamma A/(2s), w = gamma (2L - A)/(2s).
struct CatenaryConditions {
    double G1, G2, G1s, G1A, G2s, G2A;
};

std::optional<CatenaryConditions> Conditions(double A, double s, double gamma, double L, double h, double S0,
                                             double sigma0, double E, double stretch) {
    if (!(s != 0)) return std::nullopt;
    const double u = gamma * A / (2.0 * s), w = gamma * (2.0 * L - A) / (2.0 * s);
    const double shu = std::sinh(u), shw = std::sinh(w), chu = std::cosh(u), chw = std::cosh(w);
    CatenaryConditions c;
    c.G1 = shu + shw - stretch * (gamma * S0 / E + gamma * S0 / s - sigma0 * gamma * S0 / (E * s));
    c.G1s = -(u * chu + w * chw) / s - stretch * (-gamma * S0 / (s * s) + sigma0 * gamma * S0 / (E * s * s));
    c.G1A = (chu - chw) * gamma / (2.0 * s);
    c.G2 = chu - chw - gamma * h / s;
    c.G2s = (-u * shu + w * shw) / s + gamma * h / (s * s);
    c.G2A = (shu + shw) * gamma / (2.0 * s);
    for (double v : {c.G1, c.G1s, c.G1A, c.G2, c.G2s, c.G2A})
        if (!std::isfinite(v)) return std::nullopt;
    return c;
}

// Largest mismatch, in metres of arc length and of height difference (G1 a, G2 a), at
// which a refined stress is taken as a solution of the catenary conditions. The conditions
// are scaled by gamma/sigma, so that they also grow small at a stress far too large; the
// refinement can settle there, and such a stress is no solution.
constexpr double kRefinedMismatch = 0.01;

// The refined stress when (A, s) satisfies the catenary conditions, else the parabolic one.
KgfPerMm2 AcceptRefined(double A, double s, double sigmaP, double gamma, double L, double h, double S0, double sigma0,
                        double E, double stretch) {
    if (!(s > 0)) return sigmaP;
    const auto g = Conditions(A, s, gamma, L, h, S0, sigma0, E, stretch);
    if (!g) return sigmaP;
    const double a = s / gamma;
    if (std::fabs(g->G1) * a > kRefinedMismatch || std::fabs(g->G2) * a > kRefinedMismatch) return sigmaP;
    return s;
}

// Newton refinement of the parabolic stress on the exact catenary. Returns the parabolic
// stress when the start already satisfies the conditions (G1 or G2 below 0.001). An
// arithmetic failure ends the iteration with the last stress. A refinement that does not
// converge within kRefinementSteps, leaves the positive stresses, or ends on a stress that
// does not satisfy the conditions gives the parabolic stress.
KgfPerMm2 CatenaryRefinement(double sigmaP, double gamma, double L, double h, double S0, double sigma0, double E,
                             double stretch) {
    double s = sigmaP;
    double A = L + 2.0 * (s / gamma) * h / L;
    auto g = Conditions(A, s, gamma, L, h, S0, sigma0, E, stretch);
    if (!g) return s;
    if (g->G1 < 0.001 || g->G2 < 0.001) return sigmaP;
    auto accept = [&] { return AcceptRefined(A, s, sigmaP, gamma, L, h, S0, sigma0, E, stretch); };
    double ds = 1, dA = 1;
    for (int step = 0; std::sqrt(ds * ds + dA * dA) > 0.001; ++step) {
        if (step >= kRefinementSteps) return sigmaP;
        g = Conditions(A, s, gamma, L, h, S0, sigma0, E, stretch);
        if (!g || g->G1A == 0) return accept();
        const double ratio = g->G2A / g->G1A;
        const double denom = g->G1s * ratio - g->G2s;
        if (denom == 0) return accept();
        ds = (g->G2 - g->G1 * ratio) / denom;
        if (!std::isfinite(ds)) return accept();
        if (!(s + ds > 0)) return sigmaP;
        s = s + ds;
        // dA with the conditions at the updated stress.
        g = Conditions(A, s, gamma, L, h, S0, sigma0, E, stretch);
        if (!g || g->G1A == 0) return accept();
        dA = -(g->G1s * ds + g->G1) / g->G1A;
        if (!std::isfinite(dA)) return accept();
        A = A + dA;
    }
    return accept();
}

// The mechanical state and clearances of a span before they go into a SpanResult.
struct SpanMechanics {
    SpanCatenary c;
    double TensionMax = 0, SagMid = 0, ClrMin = 0, XClrMin = 0, ClrObst = 0;
};

enum class EqualMinima { LastWins, FirstWins };

// Steps shared by the three SpanState variants; nothing when the span has no reference state.
std::optional<SpanMechanics> ComputeMechanics(const TySpan& span, int k, Celsius T, EqualMinima rule) {
    if (k < 1 || k > 10) throw CalcError("obstacle number " + std::to_string(k) + " outside 1..10");
    const Metres h = (double(span.H1) + double(span.Hpr1)) - (double(span.H2) + double(span.Hpr2));
    if (double(span.Si) < 0.01) return std::nullopt;
    const Metres L = span.Lpr;
    const KgfPerMMm2 gamma = SpecificLoad(span.Pr, span.Bgv, span.Gamma, span.Vv, L);
    const KgfPerMMm2 gamma0 = SpecificLoad(span.Pr, span.Bg, kRefIceDensity, span.V, L);
    // In an ice regime the conductor is at the air temperature.
    const bool ice = span.Bgv > 0.001 && span.Gamma > 0.001;
    const Celsius t = ice ? Celsius(span.Tvv) : T;

    SpanMechanics m;
    SpanCatenary& c = m.c;
    c.gamma = gamma;
    c.sigma = StateStress(span.Pr, span.Si, gamma0, span.Tv, gamma, t, L, h);
    const LowestPointResult lp = LowestPoint(gamma, c.sigma, L, h);
    c.d1 = lp.d1;
    c.d2 = lp.d2;
    const double a = c.sigma / gamma;
    c.rise1 = CheckedFinite(a * (std::cosh(c.d1 / a) - 1.0), "rise of support 1");
    c.rise2 = CheckedFinite(a * (std::cosh(c.d2 / a) - 1.0), "rise of support 2");

    // Support stresses sigma + gamma*rise, tensions S*sigma_i.
    const Mm2 S = WireSection(span.Pr);
    const Kgf T1 = S * (c.sigma + gamma * c.rise1);
    const Kgf T2 = S * (c.sigma + gamma * c.rise2);
    m.TensionMax = T1 > T2 ? T1 : T2;
    m.SagMid = SagAt(L / 2.0 - c.d1, L, c.d1, c.rise1, c.rise2, gamma, c.sigma);

    // Clearance to the ground at 101 points of the span.
    double minClr = span.Hpr1, pos = 0;
    for (int j = 0; j <= 100; ++j) {
        const Metres x = -c.d1 + j * L / 100.0;
        const Metres clr = GroundClearanceAt(span, x, c.d1, c.d2, c.rise1, c.rise2, gamma, c.sigma);
        const bool lower = rule == EqualMinima::LastWins ? clr <= minClr : clr < minClr;
        if (lower) {
            minClr = clr;
            pos = x + c.d1;
        }
    }
    m.ClrMin = minClr;
    m.XClrMin = pos;

    const TyPrep& p = span.Prep[k];
    m.ClrObst = GroundClearanceAt(span, double(p.Lprep) - c.d1, c.d1, c.d2, c.rise1, c.rise2, gamma, c.sigma) -
                double(p.Hprep);
    return m;
}

// Points after the first missing one (distance below 0.01) are dropped from the profile.
void TidyProfile(TySpan& span) {
    for (int i = 3; i <= 10; ++i)
        if (span.Zem[i - 1].ZemL < 0.01f) span.Zem[i].ZemL = 0;
}

void StoreFull(const SpanMechanics& m, SpanResult& r) {
    r.Sigma = m.c.sigma;
    r.TensionMax = m.TensionMax;
    r.Rise1 = m.c.rise1;
    r.Rise2 = m.c.rise2;
    r.SagMid = m.SagMid;
    r.ClrMin = m.ClrMin;
    r.ClrGround = m.ClrMin;
    r.XClrMin = m.XClrMin;
    r.ClrObst = m.ClrObst;
}

}  // namespace

LowestPointResult LowestPoint(KgfPerMMm2 gamma, KgfPerMm2 sigma, Metres L, Metres h) {
    if (!(gamma > 0) || !(sigma > 0)) throw CalcError("lowest point of the conductor: stress and load must be positive");
    if (!(L > 0)) throw CalcError("lowest point of the conductor: span length must be positive");
    const double a = CheckedDiv(sigma, gamma, "catenary parameter");
    auto f = [&](double d1) {
        return CheckedFinite(std::cosh(d1 / a) - std::cosh((L - d1) / a) - h / a, "lowest point of the conductor");
    };
    auto df = [&](double d1) { return (std::sinh(d1 / a) + std::sinh((L - d1) / a)) / a; };
    double d1 = CheckedFinite(L / 2.0 + a * h / L, "lowest point of the conductor");
    double before = d1;  // the iterate before the last one, to recognise a two-step cycle
    double fd = f(d1);
    for (long i = 0; std::fabs(fd) > 1e-6 && i < kLowestPointSteps; ++i) {
        const double next = d1 - CheckedDiv(fd, df(d1), "lowest point of the conductor");
        // A step that no longer moves d1, or moves it back and forth between two values, has
        // reached the limit of the arithmetic.
        if (next == d1 || (i > 0 && next == before)) break;
        before = d1;
        d1 = next;
        fd = f(d1);
    }
    return {d1, L - d1};
}

Metres CatenaryHeight(Metres x, KgfPerMMm2 gamma, KgfPerMm2 sigma) {
    const double a = CheckedDiv(sigma, gamma, "catenary parameter");
    return CheckedFinite(a * std::cosh(x / a), "conductor height");
}

Metres SagAt(Metres x, Metres L, Metres d1, Metres r1, Metres r2, KgfPerMMm2 gamma, KgfPerMm2 sigma) {
    const double a = CheckedDiv(sigma, gamma, "catenary parameter");
    const double chord = r1 + (x + d1) * (r2 - r1) / L;
    return CheckedFinite(chord + a - a * std::cosh(x / a), "sag");
}

KgfPerMm2 StateStress(const TyWire& wire, KgfPerMm2 sigma0, KgfPerMMm2 gamma0, Celsius t0, KgfPerMMm2 gamma,
                      Celsius t, Metres L, Metres h) {
    if (!(sigma0 > 0)) throw CalcError("state-change equation: the reference stress must be positive");
    if (!(gamma0 > 0) || !(gamma > 0)) throw CalcError("state-change equation: the specific load must be positive");
    const KgfPerMm2 E = WireModulus(wire);
    const PerKelvin alpha = WireExpansion(wire);
    const Kelvin dt = CheckedFinite(t - t0, "state-change equation: temperature");

    // Arc length of the conductor in the reference state.
    const LowestPointResult p0 = LowestPoint(gamma0, sigma0, L, h);
    const double a0 = sigma0 / gamma0;
    const Metres S0 = CheckedFinite(a0 * (std::sinh(p0.d1 / a0) + std::sinh(p0.d2 / a0)), "arc length");

    const KgfPerMm2 sigmaP = ParabolicStress(sigma0, gamma0, gamma, E, alpha, dt, L);
    return CatenaryRefinement(sigmaP, gamma, L, h, S0, sigma0, E, 1.0 + alpha * dt);
}

void SpanState(TySpan& span, int k, Celsius T, SpanResult& r, SpanView* view) {
    TidyProfile(span);
    const auto m = ComputeMechanics(span, k, T, EqualMinima::LastWins);
    if (!m) return;
    StoreFull(*m, r);
    if (view) DrawSpanView(span, k, m->c, r, *view);
}

void SpanStateFirst(TySpan& span, int k, Celsius T, SpanResult& r) {
    TidyProfile(span);
    const auto m = ComputeMechanics(span, k, T, EqualMinima::FirstWins);
    if (m) StoreFull(*m, r);
}

void SpanStateObst1(const TySpan& span, Celsius T, SpanResult& r) {
    const auto m = ComputeMechanics(span, 1, T, EqualMinima::FirstWins);
    if (!m) return;
    r.Sigma = m->c.sigma;
    r.TensionMax = m->TensionMax;
    r.Rise1 = m->c.rise1;
    r.Rise2 = m->c.rise2;
    r.SagMid = m->SagMid;
    r.ClrMin = m->ClrMin;
    r.ClrObst = m->ClrObst;
}

}  // namespace qem
