#include "engine/HeatModel.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

#include "engine/CalcError.h"
#include "engine/Cigre601.h"
#include "engine/Currents.h"
#include "engine/HeatBalance.h"
#include "engine/Ieee738.h"

namespace qem {
namespace {

constexpr double kRad = kPi / 180;
// The steps of the transients: the program's own method its 0.1 min of QEM (17), the standards
// 10 s.
constexpr Minutes kQemStep = 0.1;
constexpr Seconds kStandardStep = 10;
// Bisections: temperatures to 1e-6 K, currents to 0.01 A; at most 200 halvings either way.
constexpr Kelvin kTempTol = 1e-6;
constexpr Amperes kCurrentTol = 0.01;
constexpr int kMaxHalvings = 200;

// Catalog units to SI at the standards' edge.
Metres M(Cm x) { return x / 100; }
KgPerM PerMetre(KgfPerKm m) { return m / 1000; }

// The conductor of the program's own method: its fixed emissivity and absorptivity.
ConductorThermal QemThermal(const HeatConductor& c) {
    ConductorThermal t;
    t.D = c.D;
    t.R20 = c.R20;
    t.alfaR = c.alfaR;
    t.MAl = c.MAl;
    t.MSt = c.MSt;
    return t;
}

// The direct irradiance normal to the rays that the standards take from outside their own
// clear-sky formulas: the measured one, else under a cloudy or overcast sky the program's flux
// of that sky at the altitude of the conductor (QEM (10), (11)); none under a clear sky.
std::optional<WPerM2> GivenIrradiance(const HeatWeather& w) {
    if (w.irradiance) return std::max(0.0, *w.irradiance);
    if (w.sky == 1 || w.sky == 2) return std::max(0.0, SkyFlux(w.sky, w.sun.elevation) * AltitudeFactor(w.elevation));
    return std::nullopt;
}

bool SunUp(const HeatWeather& w) { return w.sun.elevation > 0 && (w.sky >= 0 && w.sky <= 2); }

WPerM QemSolar(const HeatConductor& c, const HeatWeather& w) {
    const Degrees hs = w.sun.elevation;
    const WPerM2 q = w.irradiance ? *w.irradiance : SkyFlux(w.sky, hs);
    if (!(hs > 0) || !(q > 0)) return 0;  // the sun below the horizon, or no sun
    const double F = SunIncidence(hs, w.sun.azimuth, w.lineAzimuth);
    return SolarGain(F, kAbsorptivity, AltitudeFactor(w.elevation), c.D, w.solarScale, q);
}

WPerM IeeeSolar(const HeatConductor& c, const HeatWeather& w) {
    if (!SunUp(w) && !w.irradiance) return 0;
    const Degrees Hc = w.sun.elevation;
    if (!(Hc > 0)) return 0;
    const std::optional<WPerM2> given = GivenIrradiance(w);
    const WPerM2 Qse = given ? *given
                             : ieee738::SolarFluxAtElevation(ieee738::SolarElevationFactor(w.elevation),
                                                             ieee738::SolarFluxAtSeaLevel(Hc, w.industrial));
    return ieee738::SolarHeatGainSin(c.absorptivity, Qse, ieee738::SinIncidence(Hc, w.sun.azimuth, w.lineAzimuth),
                                     M(c.D));
}

WPerM CigreSolar(const HeatConductor& c, const HeatWeather& w) {
    if (!SunUp(w) && !w.irradiance) return 0;
    const double sinHs = std::sin(w.sun.elevation * kRad);
    if (!(sinHs > 0)) return 0;
    const std::optional<WPerM2> given = GivenIrradiance(w);
    const WPerM2 IB = given ? *given
                            : cigre601::DirectRadiationAtAltitude(
                                  cigre601::DirectRadiationAtSeaLevel(w.clearness, sinHs), w.elevation);
    const WPerM2 Id = cigre601::DiffuseRadiation(IB, sinHs);
    const double sinEta = cigre601::SinIncidence(w.sun.elevation, w.sun.azimuth, w.lineAzimuth);
    return cigre601::SolarHeating(c.absorptivity, cigre601::GlobalRadiation(IB, Id, w.albedo, sinEta, sinHs), M(c.D));
}

// CIGRE's roughness of the conductor; an outer strand not known is taken in the rougher class
// (R_s <= 0.05), which cools less above Re = 2650.
double CigreRoughness(const HeatConductor& c) {
    if (c.dOuter > 0 && c.dOuter < c.D) return cigre601::Roughness(M(c.D), M(c.dOuter));
    return 0.05;
}

// A transient at constant current and weather, advanced in the model's own steps.
class Transient {
public:
    // step: the length of a step, s; 0 the model's own.
    Transient(HeatModel m, const HeatConductor& c, const HeatWeather& w, Celsius T0, Amperes I, Seconds step = 0)
        : m_(m), c_(c), w_(w), balance_(m, c, w), I_(I), T_(CheckedFinite(T0, "transient, initial temperature")) {
        CheckedFinite(I, "transient, current");
        if (!(step >= 0 && step <= 3600)) throw CalcError("transient: the step lies outside 0 ... 3600 s");
        step_ = step > 0 ? step : (m == HeatModel::Qem ? kQemStep * 60 : kStandardStep);
        if (m == HeatModel::Qem) thermal_ = QemThermal(c);
    }

    Celsius T() const { return T_; }
    Seconds step() const { return step_; }

    // The temperature dt seconds (up to one step) after the present one, without advancing: the
    // explicit step of the model's non-steady balance, T + dT/dt dt.
    Celsius Peek(Seconds dt) const {
        if (m_ == HeatModel::Qem)
            return HeatingStep(thermal_, w_.Ta, w_.V, w_.windAngle, balance_.solar(), T_, I_, dt / 60);
        return CheckedFinite(T_ + balance_.Rate(T_, I_) * dt, "transient temperature");
    }
    void Advance(Seconds dt) { T_ = Peek(dt); }

private:
    HeatModel m_;
    const HeatConductor& c_;
    const HeatWeather& w_;
    PreparedHeat balance_;
    Amperes I_;
    Celsius T_;
    Seconds step_ = 0;
    ConductorThermal thermal_;
};

void CheckDuration(Minutes t, Minutes least) {
    if (!(t >= least && t <= kTransientHorizon))
        throw CalcError("transient: the time lies outside " + std::to_string(int(least)) + " ... " +
                        std::to_string(int(kTransientHorizon)) + " min");
}

// Advances tr by t minutes in whole steps and a last partial one; stops early, returning false,
// once the temperature exceeds `stopAbove`.
bool Run(Transient& tr, Minutes t, Celsius stopAbove) {
    Seconds left = t * 60;
    const Seconds h = tr.step();
    // The number of steps is bounded by kTransientHorizon / the step.
    // Times that differ from whole steps by rounding only (below a microsecond) are whole steps.
    constexpr Seconds kSnap = 1e-6;
    for (long n = 0; left > kSnap && n <= long(kTransientHorizon * 60 / h) + 1; ++n) {
        const Seconds dt = left < h - kSnap ? left : h;
        tr.Advance(dt);
        left -= dt;
        if (tr.T() > stopAbove) return false;
    }
    return true;
}

}  // namespace

const char* HeatModelName(HeatModel m) {
    switch (m) {
        case HeatModel::Qem: return "qem";
        case HeatModel::Ieee738: return "ieee738";
        case HeatModel::Cigre601: return "cigre601";
    }
    return "qem";
}

std::optional<HeatModel> HeatModelFromName(std::string_view name) {
    for (HeatModel m : kHeatModels)
        if (name == HeatModelName(m)) return m;
    return std::nullopt;
}

const char* HeatModelTitle(HeatModel m) {
    switch (m) {
        case HeatModel::Qem: return "Методика программы";
        case HeatModel::Ieee738: return "IEEE Std 738-2012";
        case HeatModel::Cigre601: return "CIGRE TB 601";
    }
    return "";
}

HeatConductor HeatConductorOf(const TyWire& wire, Cm dOuter, double emissivity, double absorptivity) {
    HeatConductor c;
    c.D = wire.D;
    c.DSt = wire.DSt;
    c.dOuter = dOuter;
    c.R20 = wire.R;
    c.alfaR = wire.AlfaR;
    c.MAl = wire.MAl;
    c.MSt = wire.MSt;
    c.emissivity = emissivity;
    c.absorptivity = absorptivity;
    return c;
}

HeatWeather SpanRegimeWeather(const TySpan& span) {
    HeatWeather w;
    w.Ta = span.Tvv;
    w.V = span.Vv;
    w.windAngle = span.Alfv;
    w.elevation = span.H1;
    w.sun = {NoonSunElevation(span.Fi), kNoonSunAzimuth};
    w.lineAzimuth = span.AngP;
    w.sky = span.Tzv;
    return w;
}

WPerM SolarGainOf(HeatModel m, const HeatConductor& c, const HeatWeather& w) {
    if (w.globalIrradiance) {
        const WPerM2 G = std::max(0.0, *w.globalIrradiance);
        switch (m) {
            case HeatModel::Qem: return SolarGain(1, kAbsorptivity, 1, c.D, w.solarScale, G);
            case HeatModel::Ieee738: return ieee738::SolarHeatGainSin(c.absorptivity, G, 1, M(c.D));
            case HeatModel::Cigre601: return cigre601::SolarHeating(c.absorptivity, G, M(c.D));
        }
    }
    switch (m) {
        case HeatModel::Qem: return QemSolar(c, w);
        case HeatModel::Ieee738: return IeeeSolar(c, w);
        case HeatModel::Cigre601: return CigreSolar(c, w);
    }
    return 0;
}

OhmPerM ResistanceOf(const HeatConductor& c, Celsius T) { return ResistanceAt(c.R20, c.alfaR, T); }

PreparedHeat::PreparedHeat(HeatModel m, const HeatConductor& c, const HeatWeather& w) : m_(m), c_(c), w_(w) {
    Ps_ = SolarGainOf(m, c, w);
    switch (m) {
        case HeatModel::Qem: thermal_ = QemThermal(c); break;
        case HeatModel::Ieee738: ieee_ = ieee738::SetUpConvection(M(c.D), w.V, w.windAngle, w.elevation); break;
        case HeatModel::Cigre601:
            cigre_ = cigre601::SetUpConvection(M(c.D), CigreRoughness(c), w.V, w.windAngle, w.elevation, w.inclination);
            break;
    }
}

std::pair<WPerM, WPerM> PreparedHeat::Losses(Celsius T) const {
    switch (m_) {
        case HeatModel::Qem: {
            const Metres d = kEffectiveDiameter * c_.D / 100.0;
            const double dT = T - w_.Ta;
            return {kPiLoss * ConvectionCoef(d, T, w_.Ta, w_.V, w_.windAngle) * d * dT,
                    kPiLoss * RadiationCoef(kEmissivity, T, w_.Ta) * d * dT};
        }
        case HeatModel::Ieee738:
            return {ieee738::ConvectionHeatLoss(ieee_, T, w_.Ta),
                    ieee738::RadiatedHeatLoss(M(c_.D), c_.emissivity, T, w_.Ta)};
        case HeatModel::Cigre601:
            return {cigre601::ConvectiveCooling(cigre_, T, w_.Ta),
                    cigre601::RadiativeCooling(M(c_.D), c_.emissivity, T, w_.Ta)};
    }
    return {0, 0};
}

WPerM PreparedHeat::NetHeating(Celsius T, Amperes I) const {
    const auto [Pc, Pr] = Losses(T);
    return I * I * ResistanceOf(c_, T) + Ps_ - Pc - Pr;
}

double PreparedHeat::Rate(Celsius T, Amperes I) const {
    const auto [Pc, Pr] = Losses(T);
    const WPerM PJ = I * I * ResistanceOf(c_, T);
    const JPerMK mc = HeatCapacityOf(m_, c_, T);
    switch (m_) {
        case HeatModel::Qem: return CheckedDiv(PJ + Ps_ - Pc - Pr, mc, "heating, conductor masses are zero");
        case HeatModel::Ieee738: return ieee738::TemperatureRate(PJ, Ps_, Pc, Pr, mc);
        case HeatModel::Cigre601: return cigre601::TemperatureRate(PJ, Ps_, Pc, Pr, mc);
    }
    return 0;
}

Amperes PreparedHeat::CurrentAtTemp(Celsius T) const {
    if (m_ == HeatModel::Qem) return qem::CurrentAtTemp(thermal_, T, w_.Ta, w_.V, w_.windAngle, Ps_);
    if (!(T >= w_.Ta)) throw CalcError("allowable current: the air is warmer than the conductor limit temperature");
    const auto [Pc, Pr] = Losses(T);
    const OhmPerM R = ResistanceOf(c_, T);
    return m_ == HeatModel::Ieee738 ? ieee738::SteadyStateRating(Pc, Pr, Ps_, R)
                                    : cigre601::SteadyStateRating(Pc, Pr, Ps_, R);
}

Celsius PreparedHeat::SteadyTemp(Amperes I) const {
    CheckedFinite(w_.Ta, "conductor temperature, air temperature");
    CheckedFinite(I, "conductor temperature, current");
    if (m_ == HeatModel::Qem) return ConductorTemp(thermal_, w_.Ta, w_.V, w_.windAngle, Ps_, I);
    // The balance warms the conductor at the air temperature and cools it at the upper bound.
    Celsius lo = w_.Ta, hi = kSteadyTempCeiling;
    if (!(NetHeating(lo, I) > 0)) return lo;
    if (!(hi > lo) || NetHeating(hi, I) > 0) return std::max(hi, lo);
    for (int n = 0; n < kMaxHalvings && hi - lo > kTempTol; ++n) {
        const Celsius mid = (lo + hi) / 2;
        (NetHeating(mid, I) > 0 ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

HeatTerms HeatTermsOf(HeatModel m, const HeatConductor& c, const HeatWeather& w, Celsius T, Amperes I) {
    const PreparedHeat p(m, c, w);
    HeatTerms h;
    h.joule = I * I * ResistanceOf(c, T);
    h.solar = p.solar();
    std::tie(h.convection, h.radiation) = p.Losses(T);
    return h;
}

JPerMK HeatCapacityOf(HeatModel m, const HeatConductor& c, Celsius T) {
    switch (m) {
        case HeatModel::Qem: return HeatCapacityPerKm(c.MAl, c.MSt, T) / 1000;
        case HeatModel::Ieee738: return ieee738::HeatCapacity(PerMetre(c.MAl), PerMetre(c.MSt));
        case HeatModel::Cigre601: return cigre601::HeatCapacity(PerMetre(c.MAl), PerMetre(c.MSt), T);
    }
    return 0;
}

Celsius SteadyTempOf(HeatModel m, const HeatConductor& c, const HeatWeather& w, Amperes I) {
    return PreparedHeat(m, c, w).SteadyTemp(I);
}

Amperes CurrentAtTempOf(HeatModel m, const HeatConductor& c, const HeatWeather& w, Celsius T) {
    return PreparedHeat(m, c, w).CurrentAtTemp(T);
}

Celsius TempAfter(HeatModel m, const HeatConductor& c, const HeatWeather& w, Celsius T0, Amperes I, Minutes t,
                  Seconds step) {
    CheckDuration(t, 0);
    Transient tr(m, c, w, T0, I, step);
    Run(tr, t, kSteadyTempCeiling * 4);
    return tr.T();
}

std::vector<std::pair<Minutes, Celsius>> TempTrace(HeatModel m, const HeatConductor& c, const HeatWeather& w,
                                                   Celsius T0, Amperes I, Minutes t, Minutes every) {
    CheckDuration(t, 0);
    if (!(every > 0)) throw CalcError("transient trace: the interval is not positive");
    Transient tr(m, c, w, T0, I);
    std::vector<std::pair<Minutes, Celsius>> points{{0, tr.T()}};
    const long n = long(std::ceil(t / every - 1e-9));
    for (long k = 1; k <= n && k <= 100000; ++k) {
        const Minutes at = std::min(t, double(k) * every);
        Run(tr, at - points.back().first, kSteadyTempCeiling * 4);
        points.push_back({at, tr.T()});
    }
    return points;
}

std::optional<Minutes> TimeToTemp(HeatModel m, const HeatConductor& c, const HeatWeather& w, Celsius T0, Amperes I,
                                  Celsius Tlimit) {
    CheckedFinite(Tlimit, "time to temperature, limit");
    if (T0 >= Tlimit) return 0.0;
    // From below the steady temperature the conductor warms towards it and never passes it.
    if (SteadyTempOf(m, c, w, I) < Tlimit - 0.5) return std::nullopt;
    Transient tr(m, c, w, T0, I);
    const Seconds h = tr.step();
    for (long n = 0; n < long(kTransientHorizon * 60 / h); ++n) {
        const Celsius next = tr.Peek(h);
        if (next >= Tlimit) {
            // The crossing within the step: the partial step that reaches Tlimit, by bisection.
            Seconds lo = 0, hi = h;
            for (int k = 0; k < 40; ++k) {
                const Seconds mid = (lo + hi) / 2;
                (tr.Peek(mid) >= Tlimit ? hi : lo) = mid;
            }
            return (double(n) * h + (lo + hi) / 2) / 60;
        }
        tr.Advance(h);
    }
    return std::nullopt;
}

std::optional<Amperes> ShortTimeCurrent(HeatModel m, const HeatConductor& c, const HeatWeather& w, Celsius T0,
                                        Celsius Tlimit, Minutes t) {
    CheckDuration(t, 1);
    CheckedFinite(Tlimit, "short-time current, limit");
    if (!(T0 < Tlimit)) return std::nullopt;
    auto holds = [&](Amperes I) {
        Transient tr(m, c, w, T0, I);
        return Run(tr, t, Tlimit + 1e-9);  // rounding at the steady current is no passing
    };
    // The steady current at Tlimit never takes the conductor above it; doubling finds a current
    // that does.
    Amperes lo = CurrentAtTempOf(m, c, w, Tlimit), hi = std::max(2 * lo, 1.0);
    int doublings = 0;
    while (holds(hi)) {
        lo = hi;
        hi *= 2;
        if (++doublings > 30) throw CalcError("short-time current: no current takes the conductor to its limit");
    }
    for (int n = 0; n < kMaxHalvings && hi - lo > kCurrentTol; ++n) {
        const Amperes mid = (lo + hi) / 2;
        (holds(mid) ? lo : hi) = mid;
    }
    return lo;
}

}  // namespace qem
