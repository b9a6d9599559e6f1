#pragma once
// The heat balance of one conductor by one of three models, behind one entry point:
//
//   HeatModel::Qem       the program's own method (engine/HeatBalance.h, QEM (1)-(17)): the
//                        default, and the only model of the classic reports, limits and exports;
//   HeatModel::Ieee738   IEEE Std 738-2012 (engine/Ieee738.h);
//   HeatModel::Cigre601  CIGRE Technical Brochure 601 (engine/Cigre601.h).
//
// Every call takes the model, the conductor in the catalog's units (HeatConductor) and the
// weather and sun of one instant (HeatWeather); currents are those of one conductor, A.
//
//   SteadyTempOf(m, c, w, I)        steady conductor temperature at current I, C
//   CurrentAtTempOf(m, c, w, T)     current that holds the conductor at T, A (closed form)
//   HeatTermsOf(m, c, w, T, I)      Joule, solar, convective and radiative terms at T, W/m
//   HeatCapacityOf(m, c, T)         heat capacity of one metre at T, J/(m K)
//   TempAfter(m, c, w, T0, I, t)    temperature after t minutes at the constant current I from T0
//   TempTrace(m, c, w, T0, I, t, d) the same every d minutes, for a chart
//   TimeToTemp(m, c, w, T0, I, Tl)  minutes from T0 until the conductor reaches Tl at I (none:
//                                   it never does)
//   ShortTimeCurrent(m, c, w, T0, Tl, t)  the largest current the conductor may carry for t
//                                   minutes from T0 without passing Tl (none: T0 >= Tl)
//   PreparedHeat(m, c, w)           the same balance with the weather worked out once, for many
//                                   temperatures or currents of one instant (.CurrentAtTemp(T),
//                                   .SteadyTemp(I), .Losses(T), .solar())
//
// An hourly rating of a span: HeatConductorOf(span.Pr, OuterStrandOf(heat data, span.Pr), eps,
// alpha), a HeatWeather of the hour (SpanRegimeWeather(span) with the hour's Ta, V, windAngle,
// sun = SunAt(...), sky or globalIrradiance), then CurrentAtTempOf(m, c, w, TMax); the
// short-time ratings of the hour with ShortTimeCurrent from SteadyTempOf at the hour's load.
//
// What each model reads: the program's own method its fixed emissivity and absorptivity 0.6,
// the sky polynomials of its sky conditions (or the given irradiance) and its altitude factor;
// a measured global irradiance lights the conductor over its diameter in every model;
// the standards the conductor's emissivity and absorptivity (0.8 by default, changeable by the
// user), their own clear-sky radiation (or the given irradiance; under the sky conditions
// "Облачно" and "Пасмурно", which they do not model, the flux of the program's sky
// polynomials), the altitude of the conductor for the air density and the sun; CIGRE also the
// outer strand diameter (roughness), the ground albedo, the clearness ratio and the
// inclination of the conductor. The resistance is the catalog's R20 and AlfaR in every model.
//
// The transient of each model: its own heat capacity (QEM (16); IEEE 738 the sum m Cp of
// aluminium and steel; CIGRE 601 the same with temperature-dependent specific heats) in explicit
// steps of its non-steady balance, T + dT/dt dt: the program's own method its 6 s of QEM (17), the
// standards 10 s (the rate at the start of a step is the highest of the step while the conductor
// warms, so the steps err towards the hotter side). Steady temperatures and short-time currents
// are found by bisection with an explicit bound; every loop is bounded. Calculation errors are
// CalcError.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/Cigre601.h"
#include "engine/HeatBalance.h"
#include "engine/Ieee738.h"
#include "engine/SolarPosition.h"
#include "engine/Units.h"
#include "model/QEMcom.h"

namespace qem {

enum class HeatModel { Qem, Ieee738, Cigre601 };

inline constexpr HeatModel kHeatModels[] = {HeatModel::Qem, HeatModel::Ieee738, HeatModel::Cigre601};

// "qem", "ieee738", "cigre601": the names of the command line.
const char* HeatModelName(HeatModel m);
std::optional<HeatModel> HeatModelFromName(std::string_view name);
// "Методика программы", "IEEE Std 738-2012", "CIGRE TB 601": the names the windows show.
const char* HeatModelTitle(HeatModel m);

// Surface emissivity and solar absorptivity the standards' models take unless told otherwise.
inline constexpr double kStandardEmissivity = 0.8;
inline constexpr double kStandardAbsorptivity = 0.8;

// The highest steady temperature the models report, C: a balance not reached below it gives
// this value.
inline constexpr Celsius kSteadyTempCeiling = 500;

// The conductor as the models read it, in the catalog's units.
struct HeatConductor {
    Cm D = 0;                                     // outer diameter
    Cm DSt = 0;                                   // steel core diameter
    Cm dOuter = 0;                                // diameter of a strand of the outer layer; 0: not known
    OhmPerKm R20 = 0;                             // resistance at 20 C
    PerKelvin alfaR = 0;                          // temperature coefficient of resistance
    KgfPerKm MAl = 0;                             // aluminium mass, kg/km
    KgfPerKm MSt = 0;                             // steel mass, kg/km
    double emissivity = kStandardEmissivity;      // of the standards' models
    double absorptivity = kStandardAbsorptivity;  // of the standards' models
};

// A catalog entry with its outer strand diameter (cm, 0: not known) and the standards'
// emissivity and absorptivity.
HeatConductor HeatConductorOf(const TyWire& wire, Cm dOuter = 0, double emissivity = kStandardEmissivity,
                              double absorptivity = kStandardAbsorptivity);

// The weather and the sun of one instant at the conductor.
struct HeatWeather {
    Celsius Ta = 20;                   // air temperature
    MPerS V = 0;                       // wind speed
    Degrees windAngle = 90;            // angle between the wind and the conductor axis, 0 ... 90
    Metres elevation = 0;              // of the conductor above sea level
    SunPosition sun{};                 // elevation (0 or below: no sun) and azimuth from north
    Degrees lineAzimuth = 0;           // bearing of the conductor axis from north
    Integer sky = 0;                   // 0 "Ясно", 1 "Облачно", 2 "Пасмурно", 3 (or else) no sun
    std::optional<WPerM2> irradiance;  // measured direct irradiance normal to the rays, in
                                       // place of the models' sky formulas
    std::optional<WPerM2> globalIrradiance;  // measured global irradiance G: in every model the
                                             // conductor lit over its diameter, Ps = a D G (CIGRE
                                             // TB 207, 2002), as the hourly ratings take it
    double solarScale = 1;                   // X of QEM (13): the program's own method only
    double albedo = 0.1;                     // ground albedo F, CIGRE 601
    double clearness = 1;                    // clearness ratio N_s, CIGRE 601
    bool industrial = false;                 // industrial atmosphere, IEEE 738
    Degrees inclination = 0;                 // of the conductor to the horizontal, CIGRE 601
};

// The regime of the span's source data: Tvv, Vv, Alfv, the altitude H1, the noon sun of the
// summer solstice at its latitude (elevation 113.5 - Fi in single precision, due south), its
// bearing AngP and its sky Tzv: the weather of the span report and of the charts.
HeatWeather SpanRegimeWeather(const TySpan& span);

// The heat terms of one metre at conductor temperature T and current I, W/m: gains Joule and
// solar, losses convective and radiative (negative below the air temperature).
struct HeatTerms {
    WPerM joule = 0, solar = 0, convection = 0, radiation = 0;
};

WPerM SolarGainOf(HeatModel m, const HeatConductor& c, const HeatWeather& w);
HeatTerms HeatTermsOf(HeatModel m, const HeatConductor& c, const HeatWeather& w, Celsius T, Amperes I);
// R(T), Ohm/m: the catalog's R20 and AlfaR.
OhmPerM ResistanceOf(const HeatConductor& c, Celsius T);
JPerMK HeatCapacityOf(HeatModel m, const HeatConductor& c, Celsius T);

// The steady temperature at current I: the program's own fixed point (QEM (14), out of range at
// 400 C and above); the standards' balance by bisection to 1e-6 K between the air temperature
// and kSteadyTempCeiling (that value when the balance lies above it).
Celsius SteadyTempOf(HeatModel m, const HeatConductor& c, const HeatWeather& w, Amperes I);

// I = sqrt((losses(T) - solar) / R(T)): no real root (T below the air temperature, more sun than
// the air can take) is a calculation error.
Amperes CurrentAtTempOf(HeatModel m, const HeatConductor& c, const HeatWeather& w, Celsius T);

// One model's balance for one conductor and instant, what does not depend on the conductor
// temperature worked out once (the solar gain, the wind factors): for many temperatures or
// currents in the same weather. The free functions above make one for each call.
class PreparedHeat {
public:
    PreparedHeat(HeatModel m, const HeatConductor& c, const HeatWeather& w);
    HeatModel model() const { return m_; }
    WPerM solar() const { return Ps_; }
    // Convective and radiative losses at T, W/m.
    std::pair<WPerM, WPerM> Losses(Celsius T) const;
    // I^2 R(T) + Ps - losses, W/m.
    WPerM NetHeating(Celsius T, Amperes I) const;
    // dT/dt of the non-steady balance with the model's heat capacity, K/s.
    double Rate(Celsius T, Amperes I) const;
    Amperes CurrentAtTemp(Celsius T) const;
    Celsius SteadyTemp(Amperes I) const;

private:
    HeatModel m_;
    HeatConductor c_;
    HeatWeather w_;
    WPerM Ps_ = 0;
    ConductorThermal thermal_;
    ieee738::ConvectionSetup ieee_;
    cigre601::ConvectionSetup cigre_;
};

// The longest time a transient calculation follows, min.
inline constexpr Minutes kTransientHorizon = 1440;

// The temperature after t minutes (0 ... kTransientHorizon) at the constant current I from T0,
// in explicit steps of `step` seconds (0: the model's own, 6 s or 10 s; at most 3600).
Celsius TempAfter(HeatModel m, const HeatConductor& c, const HeatWeather& w, Celsius T0, Amperes I, Minutes t,
                  Seconds step = 0);

// (time, min; temperature, C) from (0, T0) every `every` minutes up to t, the last point at t.
std::vector<std::pair<Minutes, Celsius>> TempTrace(HeatModel m, const HeatConductor& c, const HeatWeather& w,
                                                   Celsius T0, Amperes I, Minutes t, Minutes every);

// Minutes from T0 until the temperature reaches Tlimit at the constant current I (0 when T0 is at
// or above it); none when it does not within kTransientHorizon (the steady temperature at I
// lies below Tlimit).
std::optional<Minutes> TimeToTemp(HeatModel m, const HeatConductor& c, const HeatWeather& w, Celsius T0, Amperes I,
                                  Celsius Tlimit);

// The largest current for t minutes (1 ... kTransientHorizon) from T0 without passing Tlimit,
// to 0.01 A: at least the steady current at Tlimit; none when T0 is at or above Tlimit.
std::optional<Amperes> ShortTimeCurrent(HeatModel m, const HeatConductor& c, const HeatWeather& w, Celsius T0,
                                        Celsius Tlimit, Minutes t);

}  // namespace qem
