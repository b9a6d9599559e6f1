#include "engine/StateChange.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "engine/CalcError.h"
#include "engine/Geometry.h"
#include "engine/HeatBalance.h"
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
    const double r = sigma0 - sigma -
                     E * L * L / 24.0 * (gamma0 * gamma0 / (sigma0 * sigma0) - gamma * gamma / (sigma * sigma)) -
                     E * alpha * dt;
    return CheckedFinite(r, "state-change equation residual");
}

// Bisection on [0.1, 20 sigma0] down to a width of 0.001: lo moves up while F(lo) F(mid) is
// not negative (beyond -5e-7), hi moves down otherwise; the result is the last midpoint. An
// interval that the arithmetic cannot narrow further (sigma0 above about 1e13) is a
// calculation error.
KgfPerMm2 ParabolicStress(double sigma0, double gamma0, double gamma, double E, double alpha, double dt, double L) {
    double lo = 0.1, hi = 20.0 * sigma0;
    double mid = (hi + lo) / 2.0;  // the answer when the interval is already narrower than 0.001
    // F(lo) is worked out again only when lo has moved; it then is the F(mid) just found.
    std::optional<double> Flo;
    while (std::fabs(hi - lo) > 0.001) {
        mid = (hi + lo) / 2.0;
        // A midpoint equal to an end: at stresses this large the arithmetic cannot narrow the
        // interval to 0.001, and the bisection would never end.
        if (mid == lo || mid == hi)
            throw CalcError("state-change equation: the stress is beyond the resolution of 0.001");
        if (!Flo) Flo = ParabolicResidual(lo, sigma0, gamma0, gamma, E, alpha, dt, L);
        const double Fmid = ParabolicResidual(mid, sigma0, gamma0, gamma, E, alpha, dt, L);
        const double p = *Flo * Fmid;
        if (std::fabs(p - std::fabs(p)) <= 1e-6)
            lo = mid, Flo = Fmid;
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

// The reference state of the state-change equation with what depends on it alone (modulus,
// expansion, arc length S0), each worked out on first use and then kept. A step that fails is
// not kept: asked again, it fails again with the same error, as it would have the first time.
struct ReferenceState {
    const TyWire& wire;
    double sigma0, gamma0, t0, L, h;
    std::optional<double> E, alpha, S0;

    ReferenceState(const TyWire& w, double sigma0_, double gamma0_, double t0_, double L_, double h_)
        : wire(w), sigma0(sigma0_), gamma0(gamma0_), t0(t0_), L(L_), h(h_) {}

    double Modulus() {
        if (!E) E = WireModulus(wire);
        return *E;
    }
    double Expansion() {
        if (!alpha) alpha = WireExpansion(wire);
        return *alpha;
    }
    // Arc length of the conductor in the reference state, m.
    double ArcLength() {
        if (!S0) {
            const LowestPointResult p0 = LowestPoint(gamma0, sigma0, L, h);
            const double a0 = sigma0 / gamma0;
            S0 = CheckedFinite(a0 * (std::sinh(p0.d1 / a0) + std::sinh(p0.d2 / a0)), "arc length");
        }
        return *S0;
    }
};

// The state-change equation from a reference state (see StateStress).
KgfPerMm2 StressFromReference(ReferenceState& ref, KgfPerMMm2 gamma, Celsius t) {
    if (!(ref.sigma0 > 0)) throw CalcError("state-change equation: the reference stress must be positive");
    if (!(ref.gamma0 > 0) || !(gamma > 0)) throw CalcError("state-change equation: the specific load must be positive");
    const KgfPerMm2 E = ref.Modulus();
    const PerKelvin alpha = ref.Expansion();
    const Kelvin dt = CheckedFinite(t - ref.t0, "state-change equation: temperature");
    const Metres S0 = ref.ArcLength();
    const KgfPerMm2 sigmaP = ParabolicStress(ref.sigma0, ref.gamma0, gamma, E, alpha, dt, ref.L);
    return CatenaryRefinement(sigmaP, gamma, ref.L, ref.h, S0, ref.sigma0, E, 1.0 + alpha * dt);
}

// The route profile as GroundHeight reads it: the leading points with a distance above 0.001 m.
struct Profile {
    int n = 0;
    std::array<double, 11> L{}, H{};  // 1..n: distance from support 1 and elevation mark, m
    double H1 = 0, Hpr1 = 0, Hpr2 = 0;

    explicit Profile(const TySpan& span) : H1(span.H1), Hpr1(span.Hpr1), Hpr2(span.Hpr2) {
        for (int i = 1; i <= 10 && span.Zem[i].ZemL > 0.001f; ++i) {
            n = i;
            L[i] = span.Zem[i].ZemL;
            H[i] = span.Zem[i].ZemH;
        }
    }
};

// Smallest clearance conductor - ground over the 101 points of the span, with its distance
// from support 1, under both rules for equal minima.
struct GroundScan {
    double lastMin = 0, lastPos = 0;    // of equal minima the last one wins
    double firstMin = 0, firstPos = 0;  // the first one wins
};

// The clearances GroundClearanceAt gives at x = -d1 + j L/100, j = 0..100, starting from
// Hpr1 at distance 0. The abscissae do not decrease, so the profile segment under each
// point is found by walking on from the previous one; every number is formed exactly as
// GroundHeight and CatenaryHeight form it.
GroundScan ScanGround(const Profile& p, const SpanCatenary& c, Metres L) {
    const double a = CheckedDiv(c.sigma, c.gamma, "catenary parameter");
    // Base of support 1, the profile points, the base of support 2.
    std::array<double, 11> X{}, Y{};
    X[0] = -c.d1;
    Y[0] = a + c.rise1 - p.Hpr1;
    for (int i = 1; i <= p.n; ++i) {
        X[i] = X[0] + p.L[i];
        Y[i] = Y[0] - p.H1 + p.H[i];
    }
    const double XE = c.d2, YE = a + c.rise2 - p.Hpr2;

    GroundScan g;
    g.lastMin = g.firstMin = p.Hpr1;
    int m = 0;  // first point not yet left behind (X[m] - 0.001 >= x), or n
    for (int j = 0; j <= 100; ++j) {
        const Metres x = -c.d1 + j * L / 100.0;
        const Metres y = CheckedFinite(a * std::cosh(x / a), "conductor height");
        while (m < p.n && X[m] - 0.001 < x) ++m;
        Metres ground;
        if (m == p.n && x > X[m])
            ground = InterpLinear(X[m], Y[m], XE, YE, x);
        else if (m == 0)
            ground = Y[0];
        else
            ground = InterpLinear(X[m - 1], Y[m - 1], X[m], Y[m], x);
        const Metres clr = y - ground;
        if (clr <= g.lastMin) g.lastMin = clr, g.lastPos = x + c.d1;
        if (clr < g.firstMin) g.firstMin = clr, g.firstPos = x + c.d1;
    }
    return g;
}

// True when no point of the ground scan can overflow (|x/a| stays far below the range of
// cosh): the scan may then be left out where only the obstacle clearance is wanted, without
// losing an error the scan would have raised.
bool ScanCannotFail(const SpanCatenary& c, Metres L) {
    const double a = c.sigma / c.gamma;
    return a < 1e100 && (std::fabs(c.d1) + L) / a < 100;
}

// The mechanical state of a span at one conductor temperature.
struct SpanMechanics {
    SpanCatenary c;
    double TensionMax = 0, SagMid = 0;
    std::optional<GroundScan> ground;  // left out only where nothing asked for it
};

enum class EqualMinima { LastWins, FirstWins };

// What the states of one span share: its loads, the reference state, the route profile; and
// the states already computed, by conductor temperature. Reads the span as it is when first
// asked; the span must not change afterwards. Every value is formed exactly as a single
// SpanState would form it, in the same order, so that errors too come out the same.
class SpanCore {
public:
    explicit SpanCore(const TySpan& span) : span_(span) {}

    // The state at conductor temperature T (the air temperature in an ice regime); nullptr
    // when the span has no reference state (Si < 0.01). With `scan` the ground clearances are
    // included. Checks the obstacle number k as the span states do.
    const SpanMechanics* Mechanics(int k, Celsius T, bool scan) {
        if (k < 1 || k > 10) throw CalcError("obstacle number " + std::to_string(k) + " outside 1..10");
        if (double(span_.Si) < 0.01) return nullptr;
        const KgfPerMMm2 gamma = Gamma();
        const KgfPerMMm2 gamma0 = Gamma0();
        // In an ice regime the conductor is at the air temperature.
        const bool ice = span_.Bgv > 0.001 && span_.Gamma > 0.001;
        const Celsius t = ice ? Celsius(span_.Tvv) : T;

        const std::uint64_t key = std::bit_cast<std::uint64_t>(t);
        auto it = states_.find(key);
        if (it == states_.end()) it = states_.emplace(key, Compute(gamma, gamma0, t)).first;
        SpanMechanics& m = it->second;
        if (!m.ground && (scan || !ScanCannotFail(m.c, span_.Lpr))) m.ground = ScanGround(Ground(), m.c, span_.Lpr);
        return &m;
    }

    // Clearance conductor - top of obstacle k in the state m, m.
    Metres ObstacleClearance(const SpanMechanics& m, int k) const {
        const SpanCatenary& c = m.c;
        const TyPrep& p = span_.Prep[k];
        return GroundClearanceAt(span_, double(p.Lprep) - c.d1, c.d1, c.d2, c.rise1, c.rise2, c.gamma, c.sigma) -
               double(p.Hprep);
    }

private:
    const TySpan& span_;
    std::optional<double> gamma_, gamma0_;
    std::optional<ReferenceState> ref_;
    std::optional<Profile> profile_;
    std::unordered_map<std::uint64_t, SpanMechanics> states_;

    Metres Height() const { return (double(span_.H1) + double(span_.Hpr1)) - (double(span_.H2) + double(span_.Hpr2)); }
    KgfPerMMm2 Gamma() {
        if (!gamma_) gamma_ = SpecificLoad(span_.Pr, span_.Bgv, span_.Gamma, span_.Vv, span_.Lpr);
        return *gamma_;
    }
    KgfPerMMm2 Gamma0() {
        if (!gamma0_) gamma0_ = SpecificLoad(span_.Pr, span_.Bg, kRefIceDensity, span_.V, span_.Lpr);
        return *gamma0_;
    }
    const Profile& Ground() {
        if (!profile_) profile_.emplace(span_);
        return *profile_;
    }

    SpanMechanics Compute(KgfPerMMm2 gamma, KgfPerMMm2 gamma0, Celsius t) {
        const Metres L = span_.Lpr;
        const Metres h = Height();
        if (!ref_) ref_.emplace(span_.Pr, span_.Si, gamma0, span_.Tv, L, h);
        SpanMechanics m;
        SpanCatenary& c = m.c;
        c.gamma = gamma;
        c.sigma = StressFromReference(*ref_, gamma, t);
        const LowestPointResult lp = LowestPoint(gamma, c.sigma, L, h);
        c.d1 = lp.d1;
        c.d2 = lp.d2;
        const double a = c.sigma / gamma;
        c.rise1 = CheckedFinite(a * (std::cosh(c.d1 / a) - 1.0), "rise of support 1");
        c.rise2 = CheckedFinite(a * (std::cosh(c.d2 / a) - 1.0), "rise of support 2");

        // Support stresses sigma + gamma*rise, tensions S*sigma_i.
        const Mm2 S = WireSection(span_.Pr);
        const Kgf T1 = S * (c.sigma + gamma * c.rise1);
        const Kgf T2 = S * (c.sigma + gamma * c.rise2);
        m.TensionMax = T1 > T2 ? T1 : T2;
        m.SagMid = SagAt(L / 2.0 - c.d1, L, c.d1, c.rise1, c.rise2, gamma, c.sigma);
        return m;
    }
};

// Points after the first missing one (distance below 0.01) are dropped from the profile.
void TidyProfile(TySpan& span) {
    for (int i = 3; i <= 10; ++i)
        if (span.Zem[i - 1].ZemL < 0.01f) span.Zem[i].ZemL = 0;
}

void StoreFull(const SpanCore& core, const SpanMechanics& m, int k, EqualMinima rule, SpanResult& r) {
    const bool last = rule == EqualMinima::LastWins;
    const Metres clrObst = core.ObstacleClearance(m, k);  // may fail: before anything is written
    r.Sigma = m.c.sigma;
    r.TensionMax = m.TensionMax;
    r.Rise1 = m.c.rise1;
    r.Rise2 = m.c.rise2;
    r.SagMid = m.SagMid;
    r.ClrMin = last ? m.ground->lastMin : m.ground->firstMin;
    r.ClrGround = r.ClrMin;
    r.XClrMin = last ? m.ground->lastPos : m.ground->firstPos;
    r.ClrObst = clrObst;
}

}  // namespace

LowestPointResult LowestPoint(KgfPerMMm2 gamma, KgfPerMm2 sigma, Metres L, Metres h) {
    if (!(gamma > 0) || !(sigma > 0))
        throw CalcError("lowest point of the conductor: stress and load must be positive");
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

KgfPerMm2 StateStress(const TyWire& wire, KgfPerMm2 sigma0, KgfPerMMm2 gamma0, Celsius t0, KgfPerMMm2 gamma, Celsius t,
                      Metres L, Metres h) {
    ReferenceState ref(wire, sigma0, gamma0, t0, L, h);
    return StressFromReference(ref, gamma, t);
}

void SpanState(TySpan& span, int k, Celsius T, SpanResult& r, SpanView* view) {
    TidyProfile(span);
    SpanCore core(span);
    const SpanMechanics* m = core.Mechanics(k, T, true);
    if (!m) return;
    StoreFull(core, *m, k, EqualMinima::LastWins, r);
    if (view) DrawSpanView(span, k, m->c, r, *view);
}

void SpanStateFirst(TySpan& span, int k, Celsius T, SpanResult& r) {
    TidyProfile(span);
    SpanCore core(span);
    if (const SpanMechanics* m = core.Mechanics(k, T, true)) StoreFull(core, *m, k, EqualMinima::FirstWins, r);
}

void SpanStateObst1(const TySpan& span, Celsius T, SpanResult& r) {
    SpanCore core(span);
    const SpanMechanics* m = core.Mechanics(1, T, true);
    if (!m) return;
    const Metres clrObst = core.ObstacleClearance(*m, 1);  // may fail: before anything is written
    r.Sigma = m->c.sigma;
    r.TensionMax = m->TensionMax;
    r.Rise1 = m->c.rise1;
    r.Rise2 = m->c.rise2;
    r.SagMid = m->SagMid;
    r.ClrMin = m->ground->firstMin;
    r.ClrObst = clrObst;
}

struct PreparedSpan::Core : SpanCore {
    using SpanCore::SpanCore;
    std::map<std::array<std::uint64_t, 4>, double> temps;  // ConductorTemp by its arguments
};

PreparedSpan::PreparedSpan(TySpan& span) : span_(span), core_(std::make_unique<Core>(span)) {}
PreparedSpan::~PreparedSpan() = default;

void PreparedSpan::State(int k, Celsius T, SpanResult& r) {
    TidyProfile(span_);
    if (const SpanMechanics* m = core_->Mechanics(k, T, true)) StoreFull(*core_, *m, k, EqualMinima::LastWins, r);
}

void PreparedSpan::StateFirst(int k, Celsius T, SpanResult& r) {
    TidyProfile(span_);
    if (const SpanMechanics* m = core_->Mechanics(k, T, true)) StoreFull(*core_, *m, k, EqualMinima::FirstWins, r);
}

std::optional<Metres> PreparedSpan::ObstacleClearance(int k, Celsius T) {
    TidyProfile(span_);
    const SpanMechanics* m = core_->Mechanics(k, T, false);
    if (!m) return std::nullopt;
    return core_->ObstacleClearance(*m, k);
}

Celsius PreparedSpan::ConductorTemp(Celsius Ta, MPerS V, Degrees angle, Amperes I) {
    const std::array<std::uint64_t, 4> key = {std::bit_cast<std::uint64_t>(Ta), std::bit_cast<std::uint64_t>(V),
                                              std::bit_cast<std::uint64_t>(angle), std::bit_cast<std::uint64_t>(I)};
    auto it = core_->temps.find(key);
    if (it == core_->temps.end()) it = core_->temps.emplace(key, qem::ConductorTemp(span_, Ta, V, angle, I)).first;
    return it->second;
}

}  // namespace qem
