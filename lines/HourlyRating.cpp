#include "lines/HourlyRating.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "engine/CalcError.h"
#include "engine/Clearance.h"
#include "engine/Currents.h"
#include "engine/Geometry.h"
#include "engine/SolarPosition.h"
#include "engine/StateChange.h"
#include "engine/UsableValues.h"
#include "lines/CalcCommands.h"
#include "lines/LimitTable.h"
#include "model/Cp1251.h"
#include "model/Format.h"
#include "platform/Parallel.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Workbook.h"
#include "setup/InitialConditions.h"

namespace qem {
namespace {

// ---- The program's heat balance as the heat part -------------------------------------------

// Ps, W/m: QEM (13) with the sky flux QEM (10) at the sun's elevation and the incidence QEM (12)
// on the span's bearing; a measured global irradiance G lights the whole diameter, a D G (CIGRE
// TB 207). No sun below the horizon.
WPerM QemSolarGain(const HeatCase& c) {
    const ConductorThermal& w = c.conductor;
    if (c.irradiance >= 0) return SolarGain(1, w.absorptivity, 1, w.D, 1, c.irradiance);
    if (!(c.sunElevation > 0)) return 0;
    const WPerM2 q = SkyFlux(c.sky, c.sunElevation);
    if (!(q > 0)) return 0;
    return SolarGain(SunIncidence(c.sunElevation, c.sunAzimuth, c.bearing), w.absorptivity, AltitudeFactor(c.altitude),
                     w.D, 1, q);
}

// I = sqrt((h(T) (T - Ta) - Ps)/R(T)), A, QEM (15); nothing where the root is not real.
std::optional<Amperes> QemCurrentAt(const HeatCase& c, Celsius T) {
    if (!(T >= c.Ta)) return std::nullopt;
    const ConductorThermal& w = c.conductor;
    const WPerMK h = HeatLossCoef(w.D, w.emissivity, T, c.Ta, c.V, c.windAngle);
    const OhmPerM R = ResistanceAt(w.R20, w.alfaR, T);
    if (!(R > 0)) throw CalcError("allowable current: conductor resistance is not positive");
    const double x = (h * (T - c.Ta) - QemSolarGain(c)) / R;
    if (!(x >= 0)) return std::nullopt;
    return std::sqrt(x);
}

// QEM (14).
Celsius QemSteadyTemp(const HeatCase& c, Amperes I) {
    return ConductorTemp(c.conductor, c.Ta, c.V, c.windAngle, QemSolarGain(c), I);
}

// ---- The models of engine/HeatModel.h as the heat part ----------------------------------------

// I at T by the model's closed form (PreparedHeat::CurrentAtTemp); nothing where no current holds
// the conductor there: the air warmer than T, or the sun alone heating it beyond T.
std::optional<Amperes> ModelCurrentAt(const HeatCase& c, Celsius T) {
    if (!(T >= c.Ta)) return std::nullopt;
    const PreparedHeat heat(c.model, c.standard, HeatWeatherOf(c));
    if (heat.NetHeating(T, 0) > 0) return std::nullopt;
    return heat.CurrentAtTemp(T);
}

Celsius ModelSteadyTemp(const HeatCase& c, Amperes I) { return SteadyTempOf(c.model, c.standard, HeatWeatherOf(c), I); }

// ---- One line prepared for its hours ---------------------------------------------------------

// The clearance of a span under one mechanical load.
struct LoadClearance {
    enum Kind { Holds, Limits, Fails, Error } kind = Holds;
    Celsius T = 0;     // Limits: the conductor temperature at which the first clearance reaches its norm
    int cause = 0;     // the clearance that limits: 0 the ground, k obstacle k
    bool ice = false;  // an ice load: Holds or Fails at the air temperature
    // The obstacle searches of the line calculation stop at -50 C: where the obstacles' own
    // temperature lies at or below it, both temperatures (the hour then follows the steps).
    bool lowObstacle = false;
    Celsius Tground = 0, Tobstacle = 0;
    bool groundLimits = false;  // Tground is a limit (else the ground holds within the heat limits)
    int obstacle = 0;
    std::string error;  // Error: the calculation's
};

struct SpanPrep {
    const TySpan* span = nullptr;  // in the prepared copy of the line
    ConductorThermal conductor;
    int mpr = 1;
    Celsius TMax = 0;
    Metres normGround = 0;
    std::vector<std::pair<int, Metres>> obstacles;  // present obstacles and their norms
    std::string text;                               // "1 - 2"
    int fiIndex = 0;                                // into the line's latitudes
    bool ownIce = false;                            // the source data carry ice (ambient-only)
    std::vector<LoadClearance> atLoad;              // by load index
    HeatConductor standard;                         // the conductor as the heat models read it
    Amperes present = 0;                            // per conductor, of the short-time rating
};

// A mechanical load of an hour: wind speed and ice, and for an ice load the air temperature at
// which the ice regime is evaluated; `own` loads are each span's source data.
struct LoadKey {
    bool own = false;
    float V = 0, wall = 0, density = 0, Ta = 0;
    auto tie() const { return std::tie(own, V, wall, density, Ta); }
    bool operator<(const LoadKey& o) const { return tie() < o.tie(); }
};

struct Component {
    std::string name;
    const TyWire* wire = nullptr;  // busbar connection or bus
    int count = 1;
    HeatConductor standard;    // of the wire, as the heat models read it
    const TyKO* ko = nullptr;  // terminal equipment
    double cabDDTN = 0, cabADTN = 0;
    const char* failure = "";
};

struct LinePrep {
    TyLine line;  // the copy: sea-level points in, reference states from the measurements
    std::vector<std::unique_ptr<SeaLevelPointsGuard>> points;
    std::vector<SpanPrep> spans;
    std::vector<double> latitudes;  // distinct Fi of the spans
    std::vector<Component> components;
    std::vector<LoadKey> loads;
    std::vector<std::uint32_t> hourLoad;  // load of each hour
    std::array<std::optional<double>, kLimitTemps> staticDDTN{}, staticADTN{};
    std::string failure;
};

std::string SpanText(const TySpan& s) { return Cp1251ToUtf8(s.Nop1.str()) + " - " + Cp1251ToUtf8(s.Nop2.str()); }

// The limit temperature at or above Ta (index 0 ... 13); nothing above +45 C.
std::optional<int> TemperatureAtOrAbove(Celsius Ta) {
    for (int c = 0; c < kLimitTemps; ++c)
        if (LimitTemp(c) >= Ta) return c;
    return std::nullopt;
}

// Margin of the clearances over their norms at conductor temperature T, m, and which one is
// least (0 the ground, k obstacle k). `which`: -1 all, 0 the ground only, 1 the obstacles only.
std::pair<Metres, int> Margin(PreparedSpan& ps, const SpanPrep& p, Celsius T, int which) {
    std::pair<Metres, int> m{1e300, 0};
    if (which <= 0) {
        SpanResult r;
        ps.State(1, T, r);
        m = {r.ClrGround - p.normGround, 0};
    }
    if (which != 0)
        for (const auto& [k, norm] : p.obstacles) {
            const std::optional<Metres> c = ps.ObstacleClearance(k, T);
            const Metres v = (c ? *c : 0) - norm;
            if (v < m.first) m = {v, k};
        }
    return m;
}

// The conductor temperature in (lo, hi] at which the margin falls to zero (false position with
// the Illinois modification, to 1e-4 K or 1e-6 m), and the clearance that limits there; the
// margin is above zero at lo and not at hi.
std::pair<Celsius, int> MarginRoot(PreparedSpan& ps, const SpanPrep& p, int which, Celsius lo, Metres glo, Celsius hi,
                                   std::pair<Metres, int> ghi) {
    int side = 0, cause = ghi.second;
    double fhi = ghi.first, flo = glo;
    for (int it = 0; it < 200 && hi - lo > 1e-4; ++it) {
        double x = hi - fhi * (hi - lo) / (fhi - flo);
        if (!(x > lo && x < hi)) x = 0.5 * (lo + hi);
        const auto g = Margin(ps, p, x, which);
        if (g.first > 0) {
            lo = x, flo = g.first;
            if (side == 1) fhi /= 2;
            side = 1;
        } else {
            hi = x, fhi = g.first, cause = g.second;
            if (side == -1) flo /= 2;
            side = -1;
        }
        if (std::fabs(g.first) < 1e-6) break;
    }
    return {0.5 * (lo + hi), cause};
}

// The clearance of span p under a load of wind speed V without ice; `T need`: no temperature
// above it matters to the rating.
LoadClearance ClearanceUnderLoad(const TySpan& loaded, const SpanPrep& p, Celsius Tneed) {
    LoadClearance out;
    if (double(loaded.Si) < 0.01) {  // no reference state: no clearance is met
        out.kind = LoadClearance::Fails;
        return out;
    }
    TySpan s = loaded;
    PreparedSpan ps(s);
    constexpr Celsius kLowest = -60;  // the coldest air of a weather file
    const auto top = Margin(ps, p, Tneed, -1);
    if (top.first > 0) return out;  // holds up to the heat limits
    const auto bottom = Margin(ps, p, kLowest, -1);
    if (!(bottom.first > 0)) {
        out.kind = LoadClearance::Fails;
        out.cause = bottom.second;
        return out;
    }
    out.kind = LoadClearance::Limits;
    std::tie(out.T, out.cause) = MarginRoot(ps, p, -1, kLowest, bottom.first, Tneed, top);
    if (out.T <= -50 && !p.obstacles.empty()) {
        // Each kind on its own: the obstacles' search follows the line calculation's steps.
        out.lowObstacle = true;
        const auto g = Margin(ps, p, Tneed, 0);
        out.groundLimits = !(g.first > 0);
        if (out.groundLimits)
            out.Tground = MarginRoot(ps, p, 0, kLowest, Margin(ps, p, kLowest, 0).first, Tneed, g).first;
        const auto o = Margin(ps, p, Tneed, 1), ob = Margin(ps, p, kLowest, 1);
        if (!(o.first > 0) && ob.first > 0)
            std::tie(out.Tobstacle, out.obstacle) = MarginRoot(ps, p, 1, kLowest, ob.first, Tneed, o);
        else
            out.lowObstacle = false;  // the obstacles hold (or fail outright): the joint root stands
    }
    return out;
}

// Under ice the state is that of the air temperature: the clearances hold or fail.
LoadClearance ClearanceUnderIce(const TySpan& loaded, const SpanPrep& p) {
    LoadClearance out;
    out.ice = true;
    if (double(loaded.Si) < 0.01) {
        out.kind = LoadClearance::Fails;
        return out;
    }
    TySpan s = loaded;
    PreparedSpan ps(s);
    const auto m = Margin(ps, p, s.Tvv, -1);
    if (!(m.first > 0)) out.kind = LoadClearance::Fails, out.cause = m.second;
    return out;
}

// The line calculation's stepped search (engine/Clearance.cpp) of the largest current whose
// steady temperature stays below Tclr: 100, 10 and 1 A up to 5000 A, stopped when the last
// step's temperature reaches 250 C or, for an obstacle, falls to -50 C.
Amperes SteppedCurrent(const HeatPart& heat, const HeatCase& c, Celsius Tclr, bool obstacle) {
    Amperes I = 0, step = 100;
    Celsius T = 0;
    auto inRange = [&] { return T < 250 && (!obstacle || T > -50); };
    while (step > 0.1 && inRange()) {
        T = heat.steadyTemp(c, I);
        while (T < Tclr && I < 5000) {
            I += step;
            T = heat.steadyTemp(c, I);
        }
        if (I > 0.0001) I -= step;
        step /= 10;
    }
    return I;
}

// The current at a clearance temperature as the line calculation's search finds it: the largest
// whole number of amperes whose steady temperature (QEM (14), to its 0.1 K) stays below T, found
// from the closed form by a few steps either way; 0 where not even no current keeps the conductor
// below T; at most the search's 4999 A. Currents beyond `relevant` (none of the heat limits
// reaches them) are left at the closed form's.
Amperes ClearanceCurrentAt(const HeatPart& heat, const HeatCase& c, Celsius T, Amperes relevant) {
    if (!(T > c.Ta)) return 0;
    const std::optional<Amperes> exact = heat.currentAt(c, T);
    Amperes I = exact ? std::min(std::floor(*exact), 4999.0) : 0;
    if (I > relevant + 3) return I;
    for (int n = 0; n < 3 && I < 4999 && heat.steadyTemp(c, I + 1) < T; ++n) I += 1;
    for (int n = 0; n < 3 && I > 0 && !(heat.steadyTemp(c, I) < T); ++n) I -= 1;
    return I;
}

std::string ClearanceCause(int k, bool ice) {
    if (ice) return "габарит при гололёде";
    return k == 0 ? "габарит до земли" : "габарит до препятствия " + std::to_string(k);
}

// What the sun is at an hour for a latitude.
struct Sun {
    Degrees elevation = 0, azimuth = 180;
};

}  // namespace

Degrees WindToSpanAngle(Degrees direction, Degrees bearing) {
    double d = std::fmod(std::fabs(direction - bearing), 180.0);
    return d > 90 ? 180 - d : d;
}

HeatPart QemHeatPart() { return {&QemCurrentAt, &QemSteadyTemp}; }
HeatPart ModelHeatPart() { return {&ModelCurrentAt, &ModelSteadyTemp}; }
HeatPart HeatPartOf(HeatModel m) { return m == HeatModel::Qem ? QemHeatPart() : ModelHeatPart(); }

HeatWeather HeatWeatherOf(const HeatCase& c) {
    HeatWeather w;
    w.Ta = c.Ta;
    w.V = c.V;
    w.windAngle = c.windAngle;
    w.elevation = c.altitude;
    w.sun = {c.sunElevation, c.sunAzimuth};
    w.lineAzimuth = c.bearing;
    w.sky = c.sky;
    if (c.irradiance >= 0) w.globalIrradiance = c.irradiance;
    return w;
}

std::vector<int> WeatherSeriesOfLines(const std::vector<TyLine>& lines, const WeatherData& weather) {
    std::vector<int> of(lines.size(), -1);
    if (!weather.hasLine) {
        std::fill(of.begin(), of.end(), 0);
        return of;
    }
    for (int s = 0; s < int(weather.series.size()); ++s) {
        const WeatherSeries& ws = weather.series[std::size_t(s)];
        int found = -1;
        for (int l = 0; l < int(lines.size()); ++l) {
            const TyLine& line = lines[std::size_t(l)];
            const std::string ends = Cp1251ToUtf8(line.From.str()) + "-" + Cp1251ToUtf8(line.To.str());
            if (ws.line == std::to_string(l + 1) || ws.line == ends || ws.line == LineName(line)) {
                found = l;
                break;
            }
        }
        if (found < 0)
            throw WeatherError("Файл погоды " + Quoted(weather.file) + ", строка " + std::to_string(ws.firstRow) +
                               ", столбец «линия»: линии «" + ws.line +
                               "» нет в сети (номер линии или «Начало-Конец»)");
        of[std::size_t(found)] = s;
    }
    return of;
}

namespace {

// The copy of the line with what the hours share: as the line calculation prepares it (the
// temporary sea-level points, the measurement checks, the reference states), the spans' norms
// and obstacles, the components, the static rating, the loads of the hours.
std::unique_ptr<LinePrep> Prepare(const TyLine& source, const CalcEnv& env, const HourlyOptions& o,
                                  const WeatherSeries& ws) {
    auto p = std::make_unique<LinePrep>();
    p->line = LimitLine(source, false);
    TyLine& line = p->line;
    if (line.NSpans() == 0) {
        p->failure = "в линии нет пролётов";
        return p;
    }
    for (int j = 1; j <= line.NSpans(); ++j)
        p->points.push_back(std::make_unique<SeaLevelPointsGuard>(line.Span(j), env.mode));
    for (int j = 1; j <= line.NSpans(); ++j) {
        const std::string check = CheckZamerData(line.Span(j), env.mode == ZamerMode::TwoPoints ? -1 : 0);
        if (!check.empty()) {
            p->failure = check;
            return p;
        }
    }
    int j = 1;
    try {
        if (const std::string fault = UnusableLineValue(line); !fault.empty())
            throw UnusableValueError(LinePlace(line) + ": " + fault);
        for (; j <= line.NSpans(); ++j) {
            TySpan& s = line.Span(j);
            RequireUsable(line, s);
            RequireUsable(line, s, {true, o.zamer});
            RecomputeInitialConditions(s, env, o.zamer);
            SpanPrep sp;
            sp.span = &s;
            sp.conductor = ThermalOf(s.Pr);
            sp.standard = o.conductorOf ? o.conductorOf(s.Pr) : HeatConductorOf(s.Pr);
            if (s.Mpr < 1) throw CalcError("conductors per phase " + std::to_string(s.Mpr));
            sp.mpr = s.Mpr;
            sp.TMax = s.Pr.TMax;
            sp.normGround = GroundNorm(*env.norms, line.Uvl, s.TM);
            const int rows = s.NPrep < 1 ? 0 : std::min<int>(s.NPrep, 10);
            for (int k = 1; k <= rows; ++k)
                if (s.Prep[k].Lprep > 0.1f) sp.obstacles.push_back({k, ObstacleNorm(s, k, line.Uvl, *env.norms)});
            sp.text = SpanText(s);
            auto fi = std::find(p->latitudes.begin(), p->latitudes.end(), double(s.Fi));
            if (fi == p->latitudes.end()) fi = p->latitudes.insert(p->latitudes.end(), double(s.Fi));
            sp.fiIndex = int(fi - p->latitudes.begin());
            sp.ownIce = IceRegime(s);
            sp.present = o.load ? *o.load / s.Mpr : ConductorCurrent(s);
            p->spans.push_back(std::move(sp));
        }
    } catch (const MeasurementError& e) {
        p->failure = e.what();
        return p;
    } catch (const UnusableValueError& e) {
        p->failure = e.what();
        return p;
    } catch (const std::exception&) {
        p->failure = "Произошла ошибка при расчёте в пролёте № " + SpanText(line.Span(j));
        return p;
    }

    // The other components in series, as the limit table has them.
    const std::string end1 = "ПС " + std::string(VoltageText(line.Uvl)) + " кВ " + Cp1251ToUtf8(line.From.str());
    const std::string end2 = "ПС " + std::string(VoltageText(line.Uvl)) + " кВ " + Cp1251ToUtf8(line.To.str());
    if (line.CabDDTN != 0 || line.CabADTN != 0) {
        Component c;
        c.name = "кабельная вставка";
        c.cabDDTN = line.CabDDTN, c.cabADTN = line.CabADTN;
        p->components.push_back(c);
    }
    auto bus = [&](const char* what, const std::string& end, const TyWire& w, Integer n, const char* failure) {
        if (w.Name.empty()) return;
        Component c;
        c.name = std::string(what) + " (" + end + ")";
        c.wire = &w;
        c.standard = o.conductorOf ? o.conductorOf(w) : HeatConductorOf(w);
        c.count = n;
        c.failure = failure;
        p->components.push_back(c);
    };
    auto ko = [&](const char* what, const std::string& end, const TyKO& k) {
        if (k.FullName.empty()) return;
        Component c;
        c.name = std::string(what) + " (" + end + ")";
        c.ko = &k;
        p->components.push_back(c);
    };
    bus("ошиновка", end1, line.Bus1, line.NBus1, "Ошибка при расчёте ошиновки 1");
    bus("шины", end1, line.Bus3, line.NBus3, "Ошибка при расчёте шины 1");
    ko("выключатель", end1, line.KOSwitch1);
    ko("разъединитель", end1, line.KODisc1);
    ko("ВЧ-заградитель", end1, line.KOTrap1);
    ko("трансформатор тока", end1, line.KOCT1);
    bus("ошиновка", end2, line.Bus2, line.NBus2, "Ошибка при расчёте ошиновки 2");
    bus("шины", end2, line.Bus4, line.NBus4, "Ошибка при расчёте шины 2");
    ko("выключатель", end2, line.KOSwitch2);
    ko("разъединитель", end2, line.KODisc2);
    ko("ВЧ-заградитель", end2, line.KOTrap2);
    ko("трансформатор тока", end2, line.KOCT2);

    // The loads of the hours.
    std::map<LoadKey, std::uint32_t> index;
    const bool anyOwnIce = std::any_of(p->spans.begin(), p->spans.end(), [](const SpanPrep& s) { return s.ownIce; });
    p->hourLoad.reserve(ws.hours.size());
    for (const WeatherHour& h : ws.hours) {
        LoadKey k;
        if (o.ambientOnly) {
            k.own = true;
            if (anyOwnIce) k.Ta = float(h.Ta);
        } else {
            k.V = float(h.V);
            if (h.ice()) k.wall = float(h.iceWall), k.density = float(h.iceDensity), k.Ta = float(h.Ta);
        }
        auto it = index.find(k);
        if (it == index.end()) {
            it = index.emplace(k, std::uint32_t(p->loads.size())).first;
            p->loads.push_back(k);
        }
        p->hourLoad.push_back(it->second);
    }
    return p;
}

// The static rating: the limit table's line limits (the least component at each temperature).
void StaticRating(LinePrep& p, const TyLine& source, const CalcEnv& env, const HourlyOptions& o) {
    const std::optional<ConductorRatings> ratings = RateLineConductorAll(source, env, false, o.zamer);
    if (!ratings || FirstUnrated(*ratings)) return;
    TyLine line = source;
    ScriptedDialogs quiet;
    const ComponentTable t = ComponentLimits(line, env.LongTermTemp, false, quiet, *ratings);
    if (t.busFailed) return;
    for (int c = 0; c < kLimitTemps; ++c)
        for (const ComponentRow& row : t.rows) {
            if (!row.present) continue;
            // In whole amperes, as the table holds them.
            const auto amps = [](double v) { return std::stod(Format("%.0f", v)); };
            if (row.DDTN[c] && (!p.staticDDTN[c] || amps(*row.DDTN[c]) < *p.staticDDTN[c]))
                p.staticDDTN[c] = amps(*row.DDTN[c]);
            if (row.ADTN[c] && (!p.staticADTN[c] || amps(*row.ADTN[c]) < *p.staticADTN[c]))
                p.staticADTN[c] = amps(*row.ADTN[c]);
        }
}

// The clearances of one span under every load of the line.
std::vector<LoadClearance> SpanClearances(const LinePrep& p, const SpanPrep& sp, Celsius LongTermTemp) {
    std::vector<LoadClearance> out(p.loads.size());
    const Celsius Tneed = std::min(250.0, std::max(sp.TMax, LongTermTemp));
    std::optional<LoadClearance> own;  // the source load without ice is the same at every hour
    for (std::size_t i = 0; i < p.loads.size(); ++i) {
        const LoadKey& k = p.loads[i];
        if (k.own && !sp.ownIce && own) {
            out[i] = *own;
            continue;
        }
        TySpan s = *sp.span;
        if (!k.own) s.Vv = k.V, s.Bgv = k.wall, s.Gamma = k.density;
        s.Tvv = k.Ta;
        try {
            out[i] = IceRegime(s) ? ClearanceUnderIce(s, sp) : ClearanceUnderLoad(s, sp, Tneed);
        } catch (const std::exception& e) {
            out[i].kind = LoadClearance::Error;
            out[i].error = e.what();
        }
        if (k.own && !sp.ownIce) own = out[i];
    }
    return out;
}

struct Rated {
    double value = 0;
    RatingLimit limit;
    bool set = false;
    void Lower(double v, const RatingLimit& l) {
        if (!set || v < value) value = v, limit = l, set = true;
    }
};

// The conductor temperature a span may reach in the hour: its TMax, or below it the temperature
// at which the clearance under the hour's load reaches its norm; nothing where the clearance fails
// at every temperature.
std::optional<std::pair<Celsius, int>> SpanLimitTemp(const SpanPrep& sp, const LoadClearance& lc) {
    switch (lc.kind) {
        case LoadClearance::Fails:
        case LoadClearance::Error: return std::nullopt;
        case LoadClearance::Limits: {
            Celsius T = lc.T;
            int cause = lc.cause;
            if (lc.lowObstacle) {
                T = lc.Tobstacle, cause = lc.obstacle;
                if (lc.groundLimits && lc.Tground < T) T = lc.Tground, cause = 0;
            }
            if (T < sp.TMax) return std::pair{T, cause};
            return std::pair{sp.TMax, -1};
        }
        case LoadClearance::Holds: break;
    }
    return std::pair{sp.TMax, -1};
}

// The line's short-time current of the hour: per span the largest current for the duration from
// the steady state at its present load that keeps it at or below its limit temperature; the least
// phase current over the spans. No short-time current is below the steady current at the limit
// temperature, so the spans are taken in the order of that current, and once it reaches the
// least found the rest cannot set it.
void ShortTimeOfHour(const LinePrep& p, const std::vector<HeatCase>& cases, std::uint32_t load, const HourlyOptions& o,
                     HourRating& r) {
    struct Candidate {
        double floor;  // phase current
        std::size_t at;
        Celsius T0, Tl;
        int cause;
    };
    std::vector<Candidate> order;
    order.reserve(p.spans.size());
    auto limitOf = [&](std::size_t at, int cause) {
        const SpanPrep& sp = p.spans[at];
        return RatingLimit{"провод ВЛ", int(at) + 1, sp.text,
                           cause < 0 ? "нагрев" : ClearanceCause(cause, sp.atLoad[load].ice)};
    };
    try {
        for (std::size_t at = 0; at < p.spans.size(); ++at) {
            const SpanPrep& sp = p.spans[at];
            const HeatCase& hc = cases[at];
            const std::optional<std::pair<Celsius, int>> Tl = SpanLimitTemp(sp, sp.atLoad[load]);
            const HeatWeather w = HeatWeatherOf(hc);
            const Celsius T0 = SteadyTempOf(o.model, sp.standard, w, sp.present);
            if (!Tl || !(T0 < Tl->first)) {
                r.shortTime.reset();
                r.shortTimeLimit = limitOf(at, Tl ? Tl->second : sp.atLoad[load].cause);
                return;
            }
            order.push_back(
                {sp.mpr * CurrentAtTempOf(o.model, sp.standard, w, Tl->first), at, T0, Tl->first, Tl->second});
        }
        std::sort(order.begin(), order.end(), [](const Candidate& a, const Candidate& b) { return a.floor < b.floor; });
        std::optional<double> least;
        for (const Candidate& c : order) {
            if (least && c.floor >= *least) break;
            const SpanPrep& sp = p.spans[c.at];
            const std::optional<Amperes> I =
                ShortTimeCurrent(o.model, sp.standard, HeatWeatherOf(cases[c.at]), c.T0, c.Tl, *o.duration);
            if (I && (!least || sp.mpr * *I < *least)) least = sp.mpr * *I, r.shortTimeLimit = limitOf(c.at, c.cause);
        }
        r.shortTime = least;
    } catch (const std::exception&) {
        r.shortTime.reset();
        r.shortTimeLimit = RatingLimit{"провод ВЛ", 0, "", "ошибка расчёта"};
    }
}

// One hour of the line.
HourRating RateHour(const LinePrep& p, const WeatherHour& h, std::uint32_t load, const CalcEnv& env,
                    const HourlyOptions& o, std::vector<Sun>& suns) {
    HourRating r;
    r.utc = h.utc;
    r.offsetMinutes = h.offsetMinutes;
    r.Ta = float(h.Ta);
    const HeatPart heat = HeatPartOf(o.model);
    const bool classic = o.sun == SunRule::Classic;
    for (std::size_t i = 0; i < p.latitudes.size(); ++i) {
        if (classic) {
            suns[i] = {NoonSunElevation(p.latitudes[i]), kNoonSunAzimuth};
        } else {
            const SunPosition s = SunAt(h.utc, p.latitudes[i], o.longitude);
            suns[i] = {s.elevation, s.azimuth};
        }
    }
    const double Ta = float(h.Ta);
    auto caseOf = [&](const TySpan& s, const ConductorThermal& c, const HeatConductor& standard, const SpanPrep* sp) {
        HeatCase hc;
        hc.conductor = c;
        hc.model = o.model;
        hc.standard = standard;
        hc.altitude = s.H1;
        hc.bearing = s.AngP;
        hc.Ta = Ta;
        if (o.ambientOnly) {
            hc.V = s.Vv, hc.windAngle = s.Alfv;
        } else {
            hc.V = float(h.V), hc.windAngle = float(WindToSpanAngle(h.direction, s.AngP));
        }
        const Sun& sun = suns[std::size_t(sp ? sp->fiIndex : p.spans[0].fiIndex)];
        hc.sunElevation = sun.elevation, hc.sunAzimuth = sun.azimuth;
        hc.sky = h.sky >= 0 ? h.sky : (!classic && s.Tzv == 3 ? 0 : s.Tzv);
        if (!classic && h.irradiance >= 0) hc.irradiance = h.irradiance;
        return hc;
    };
    Rated ddtn, adtn, condD, condA;
    std::vector<HeatCase> cases;
    if (o.duration) cases.reserve(p.spans.size());
    std::size_t at = 0;
    try {
        for (; at < p.spans.size(); ++at) {
            const SpanPrep& sp = p.spans[at];
            const TySpan& s = *sp.span;
            const HeatCase hc = caseOf(s, sp.conductor, sp.standard, &sp);
            if (o.duration) cases.push_back(hc);
            const LoadClearance& lc = sp.atLoad[load];
            if (lc.kind == LoadClearance::Error) {
                r.failure = "Произошла ошибка при расчёте в пролёте № " + sp.text + ": " + lc.error;
                return r;
            }
            const std::optional<Amperes> Ilong = heat.currentAt(hc, env.LongTermTemp);
            const std::optional<Amperes> Imax = heat.currentAt(hc, sp.TMax);
            if (!Ilong || !Imax) {
                r.failure = "в пролёте № " + sp.text + " нет допустимого тока: воздух " + Format("%.1f", Ta) +
                            " °C и солнце нагревают провод выше " +
                            Format("%.0f", !Ilong ? env.LongTermTemp : sp.TMax) + " °C";
                return r;
            }
            std::optional<Amperes> Iclr;
            int cause = lc.cause;
            switch (lc.kind) {
                case LoadClearance::Holds: break;
                case LoadClearance::Fails: Iclr = 0; break;
                case LoadClearance::Limits:
                    if (!lc.lowObstacle) {
                        Iclr = ClearanceCurrentAt(heat, hc, lc.T, std::max(*Ilong, *Imax));
                    } else {
                        const Amperes Io = SteppedCurrent(heat, hc, lc.Tobstacle, true);
                        Iclr = Io, cause = lc.obstacle;
                        if (lc.groundLimits) {
                            const Amperes Ig = ClearanceCurrentAt(heat, hc, lc.Tground, std::max(*Ilong, *Imax));
                            if (Ig < Io) Iclr = Ig, cause = 0;
                        }
                    }
                    break;
                case LoadClearance::Error: break;
            }
            const std::string clr = ClearanceCause(cause, lc.ice);
            auto limit = [&](bool byClearance) {
                return RatingLimit{"провод ВЛ", int(at) + 1, sp.text, byClearance ? clr : "нагрев"};
            };
            const bool dClr = Iclr && *Iclr < *Ilong, aClr = Iclr && *Iclr < *Imax;
            condD.Lower(sp.mpr * (dClr ? *Iclr : *Ilong), limit(dClr));
            condA.Lower(sp.mpr * (aClr ? *Iclr : *Imax), limit(aClr));
        }
    } catch (const std::exception&) {
        r.failure = "Произошла ошибка при расчёте в пролёте № " + p.spans[at].text;
        return r;
    }
    ddtn = condD, adtn = condA;
    r.conductorDDTN = condD.value, r.conductorADTN = condA.value;

    const std::optional<int> c = TemperatureAtOrAbove(Ta);
    if (c) r.staticDDTN = p.staticDDTN[*c], r.staticADTN = p.staticADTN[*c];
    const TySpan& carrier = p.line.Span(1);
    for (const Component& comp : p.components) {
        const RatingLimit l{comp.name, 0, "", "оборудование"};
        if (comp.ko) {
            if (!c) {
                r.failure = "воздух " + Format("%.1f", Ta) + " °C теплее +45 °C: у оборудования (" + comp.name +
                            ") нет допустимых токов";
                return r;
            }
            const int e = *c < 13 ? *c + 1 : 13;  // +45 C takes the +40 C entry
            if (comp.ko->DDTN[e] != NoLimit) ddtn.Lower(comp.ko->DDTN[e], l);
            if (comp.ko->ADTN[e] != NoLimit) adtn.Lower(comp.ko->ADTN[e], l);
        } else if (comp.wire) {
            // As the limit table: the carrier span's place and sun, 0.6 m/s across.
            HeatCase hc = caseOf(carrier, ThermalOf(*comp.wire), comp.standard, nullptr);
            hc.V = 0.6f, hc.windAngle = 90;
            std::optional<Amperes> Id, Ia;
            try {
                Id = heat.currentAt(hc, env.LongTermTemp);
                Ia = heat.currentAt(hc, comp.wire->TMax);
            } catch (const std::exception&) {
            }
            if (!Id || !Ia) {
                r.failure = comp.failure;
                return r;
            }
            ddtn.Lower(comp.count * *Id, l);
            adtn.Lower(comp.count * *Ia, l);
        } else {
            if (comp.cabDDTN != 0) ddtn.Lower(comp.cabDDTN, l);
            if (comp.cabADTN != 0) adtn.Lower(comp.cabADTN, l);
        }
    }
    if (o.duration) ShortTimeOfHour(p, cases, load, o, r);
    r.rated = true;
    r.DDTN = ddtn.value, r.ADTN = adtn.value;
    r.ddtnLimit = ddtn.limit, r.adtnLimit = adtn.limit;
    return r;
}

// The summary as the hours come.
struct SummaryBuilder {
    LineSummary s;
    double sumD = 0, sumA = 0, sumGain = 0, sumGainA = 0, sumShort = 0;
    int gains = 0, heat = 0, clearance = 0, equipment = 0;
    std::map<int, SpanCount> spans;

    void Add(const HourRating& h) {
        ++s.hours;
        if (!h.rated) {
            if (s.firstUnrated.empty()) s.firstUnrated = WeatherTimeText(h.utc, h.offsetMinutes) + ": " + h.failure;
            return;
        }
        if (s.rated == 0) s.least = s.greatest = h.DDTN, s.leastADTN = s.greatestADTN = h.ADTN;
        ++s.rated;
        s.least = std::min(s.least, h.DDTN), s.greatest = std::max(s.greatest, h.DDTN);
        s.leastADTN = std::min(s.leastADTN, h.ADTN), s.greatestADTN = std::max(s.greatestADTN, h.ADTN);
        sumD += h.DDTN, sumA += h.ADTN;
        const std::string& cause = h.ddtnLimit.cause;
        if (cause == "нагрев")
            ++heat;
        else if (cause == "оборудование")
            ++equipment;
        else
            ++clearance;
        if (h.ddtnLimit.span > 0) {
            SpanCount& c = spans[h.ddtnLimit.span];
            c.span = h.ddtnLimit.span, c.spanText = h.ddtnLimit.spanText, ++c.hours;
        }
        if (h.shortTime) {
            if (!s.leastShortTime || *h.shortTime < *s.leastShortTime) s.leastShortTime = *h.shortTime;
            sumShort += *h.shortTime, ++s.shortTimeHours;
        }
        if (h.staticDDTN && *h.staticDDTN > 0) {
            sumGain += h.DDTN / *h.staticDDTN - 1, sumGainA += h.DDTN - *h.staticDDTN, ++gains;
        }
    }
    LineSummary Done() {
        if (s.rated > 0) {
            s.mean = sumD / s.rated, s.meanADTN = sumA / s.rated;
            s.heatShare = double(heat) / s.rated, s.clearanceShare = double(clearance) / s.rated;
            s.equipmentShare = double(equipment) / s.rated;
        }
        if (gains > 0) s.meanGain = sumGain / gains, s.meanGainA = sumGainA / gains;
        if (s.shortTimeHours > 0) s.meanShortTime = sumShort / s.shortTimeHours;
        std::vector<SpanCount> v;
        for (auto& [j, c] : spans) v.push_back(c);
        std::stable_sort(v.begin(), v.end(), [](const SpanCount& a, const SpanCount& b) { return a.hours > b.hours; });
        if (v.size() > 5) v.resize(5);
        s.weakest = v;
        return s;
    }
};

constexpr int kHoursPerBlock = 256;

}  // namespace

std::vector<LineRatingResult> RateLinesHourly(
    const std::vector<TyLine>& lines, const std::vector<int>& which, const WeatherData& weather,
    const std::function<CalcEnv(const TyLine&)>& envOf, const HourlyOptions& o, Dialogs& dlg,
    const std::function<void(const LineRatingResult&, const HourRating&)>& onHour,
    const std::function<void(const LineRatingResult&)>& onLine) {
    const std::vector<int> seriesOf = WeatherSeriesOfLines(lines, weather);
    std::vector<LineRatingResult> results;
    std::size_t total = 0;
    for (int l : which)
        if (seriesOf[std::size_t(l - 1)] >= 0)
            total += weather.series[std::size_t(seriesOf[std::size_t(l - 1)])].hours.size();
    std::size_t done = 0;
    const int progressMax = int(std::min<std::size_t>(total, 1u << 30));
    dlg.Progress(0, progressMax);
    for (int l : which) {
        const TyLine& source = lines[std::size_t(l - 1)];
        LineRatingResult res;
        res.line = l;
        res.name = LineName(source);
        const int si = seriesOf[std::size_t(l - 1)];
        if (si < 0) {
            res.summary.failure = "в файле погоды нет часов этой линии";
            results.push_back(res);
            if (onLine) onLine(res);
            continue;
        }
        const WeatherSeries& ws = weather.series[std::size_t(si)];
        const CalcEnv env = envOf(source);
        std::unique_ptr<LinePrep> p = Prepare(source, env, o, ws);
        SummaryBuilder sum;
        bool stopped = false;
        if (p->failure.empty()) {
            if (o.staticRating) StaticRating(*p, source, env, o);
            // The spans under the loads, each span a piece.
            RunInOrder(
                int(p->spans.size()), env.jobs,
                [&](int j) { return SpanClearances(*p, p->spans[std::size_t(j)], env.LongTermTemp); },
                [&](int j, std::vector<LoadClearance>& v) {
                    p->spans[std::size_t(j)].atLoad = std::move(v);
                    return true;
                });
            // The hours in blocks, delivered in order.
            const int blocks = int((ws.hours.size() + kHoursPerBlock - 1) / kHoursPerBlock);
            const int delivered = RunInOrder(
                blocks, env.jobs,
                [&](int b) {
                    std::vector<HourRating> out;
                    std::vector<Sun> suns(p->latitudes.size());
                    const std::size_t first = std::size_t(b) * kHoursPerBlock,
                                      last = std::min(ws.hours.size(), first + kHoursPerBlock);
                    for (std::size_t i = first; i < last; ++i)
                        out.push_back(RateHour(*p, ws.hours[i], p->hourLoad[i], env, o, suns));
                    return out;
                },
                [&](int, std::vector<HourRating>& block) {
                    for (const HourRating& h : block) {
                        sum.Add(h);
                        if (onHour) onHour(res, h);
                    }
                    done += block.size();
                    dlg.Progress(int(std::min<std::size_t>(done, 1u << 30)), progressMax);
                    return true;
                },
                [&] { return dlg.Cancelled(); });
            stopped = delivered < blocks;
        } else {
            sum.s.failure = p->failure;
            for (const WeatherHour& h : ws.hours) {
                HourRating r;
                r.utc = h.utc, r.offsetMinutes = h.offsetMinutes, r.Ta = float(h.Ta);
                r.failure = p->failure;
                sum.Add(r);
                if (onHour) onHour(res, r);
            }
            done += ws.hours.size();
        }
        const std::string failure = sum.s.failure;
        res.summary = sum.Done();
        res.summary.failure = failure;
        results.push_back(res);
        if (onLine) onLine(res);
        if (stopped || dlg.Cancelled()) break;
    }
    dlg.Progress(0, progressMax);
    return results;
}

std::vector<std::string> SummaryText(const LineRatingResult& r) {
    const LineSummary& s = r.summary;
    std::vector<std::string> t;
    t.push_back("ВЛ " + std::to_string(r.line) + " " + r.name);
    if (!s.failure.empty()) {
        t.push_back("  не рассчитана: " + s.failure);
        return t;
    }
    t.push_back(Format("  часов: %d, рассчитано: %d", s.hours, s.rated));
    if (s.rated > 0) {
        t.push_back(Format("  ДДТН, А: наименьший %.0f, средний %.0f, наибольший %.0f", s.least, s.mean, s.greatest));
        t.push_back(Format("  АДТН, А: наименьший %.0f, средний %.0f, наибольший %.0f", s.leastADTN, s.meanADTN,
                           s.greatestADTN));
        t.push_back(Format("  ДДТН ограничивает: нагрев %.1f %%, габарит %.1f %%, оборудование %.1f %% часов",
                           100 * s.heatShare, 100 * s.clearanceShare, 100 * s.equipmentShare));
        if (s.meanGain) {
            auto signed_ = [](const char* f, double v) {
                const std::string t = Format(f, v);
                return t[0] == '-' && t.find_first_not_of("-0.,") == std::string::npos ? t.substr(1)
                       : t[0] == '-'                                                   ? t
                                                                                       : "+" + t;
            };
            t.push_back("  выигрыш против таблицы ДДТН: в среднем " + signed_("%.1f", 100 * *s.meanGain) + " % (" +
                        signed_("%.0f", *s.meanGainA) + " А)");
        }
        if (s.leastShortTime)
            t.push_back(Format("  кратковременный ток, А: наименьший %.0f, средний %.0f (%d ч)", *s.leastShortTime,
                               *s.meanShortTime, s.shortTimeHours));
        std::string w;
        for (const SpanCount& c : s.weakest) w += (w.empty() ? "" : ", ") + c.spanText + Format(" (%d ч)", c.hours);
        if (!w.empty()) t.push_back("  слабые пролёты: " + w);
    }
    if (!s.firstUnrated.empty()) t.push_back("  первый нерассчитанный час: " + s.firstUnrated);
    return t;
}

std::vector<std::string> HourColumns(std::optional<Minutes> shortTime) {
    std::vector<std::string> c = {"ВЛ",
                                  "Линия",
                                  "Время",
                                  "Температура воздуха, °C",
                                  "ДДТН, А",
                                  "АДТН, А",
                                  "Ограничивает ДДТН",
                                  "Пролёт",
                                  "Причина",
                                  "ДДТН по таблице, А",
                                  "АДТН по таблице, А",
                                  "Ограничивает АДТН",
                                  "Пролёт АДТН",
                                  "Причина АДТН",
                                  "Провод ВЛ ДДТН, А",
                                  "Провод ВЛ АДТН, А",
                                  "Не рассчитано"};
    if (shortTime) {
        const std::string t = Format(*shortTime == std::floor(*shortTime) ? "%.0f" : "%.1f", *shortTime);
        c.push_back("Ток на " + t + " мин, А");
        c.push_back("Ограничивает ток на " + t + " мин");
    }
    return c;
}

std::vector<HourCell> HourCells(const LineRatingResult& l, const HourRating& h, std::optional<Minutes> shortTime) {
    std::vector<HourCell> c;
    auto num = [&](std::optional<double> v, int decimals) {
        if (!v) return c.push_back({"", std::nullopt});
        const double r = std::stod(Format(decimals ? "%.1f" : "%.0f", *v));
        c.push_back({Format(decimals ? "%.1f" : "%.0f", r), r});
    };
    auto rated = [&](double v) { return h.rated ? std::optional<double>(v) : std::nullopt; };
    auto text = [&](const std::string& s) { c.push_back({s, std::nullopt}); };
    num(double(l.line), 0);
    text(l.name);
    text(WeatherTimeText(h.utc, h.offsetMinutes));
    num(h.Ta, 1);
    num(rated(h.DDTN), 0);
    num(rated(h.ADTN), 0);
    text(h.ddtnLimit.component);
    text(h.ddtnLimit.spanText);
    text(h.ddtnLimit.cause);
    num(h.staticDDTN, 0);
    num(h.staticADTN, 0);
    text(h.adtnLimit.component);
    text(h.adtnLimit.spanText);
    text(h.adtnLimit.cause);
    num(rated(h.conductorDDTN), 0);
    num(rated(h.conductorADTN), 0);
    text(h.failure);
    if (shortTime) {
        num(h.shortTime, 0);
        const RatingLimit& m = h.shortTimeLimit;
        text(!h.rated || m.cause.empty() ? "" : m.spanText.empty() ? m.cause : "пролёт " + m.spanText + ": " + m.cause);
    }
    return c;
}

struct HourlyWorkbook::Impl {
    Workbook wb = Workbook::Create("Часы");
    int row = 1;
    std::optional<Minutes> shortTime;
};

HourlyWorkbook::HourlyWorkbook(std::optional<Minutes> shortTime) : impl_(std::make_unique<Impl>()) {
    impl_->shortTime = shortTime;
    Sheet& s = impl_->wb.FirstSheet();
    int c = 1;
    for (const std::string& t : HourColumns(shortTime)) s.SetText(1, c++, t);
    s.FreezePanes("A2");
}
HourlyWorkbook::~HourlyWorkbook() = default;

void HourlyWorkbook::Add(const LineRatingResult& line, const HourRating& h) {
    Sheet& s = impl_->wb.FirstSheet();
    const int r = ++impl_->row;
    int c = 1;
    for (const HourCell& cell : HourCells(line, h, impl_->shortTime)) {
        if (cell.number)
            s.SetNumber(r, c, *cell.number);
        else if (!cell.text.empty())
            s.SetText(r, c, cell.text);
        ++c;
    }
}

void HourlyWorkbook::Save(const std::string& path) const { impl_->wb.Save(path); }

Report HourlyReport(const LineRatingResult& line, const std::vector<HourRating>& hours) {
    Report r;
    for (const std::string& t : SummaryText(line)) r.add(t);
    r.add("");
    auto amps = [](const std::optional<double>& v) { return v ? Format("%6.0f", *v) : std::string("     -"); };
    auto limit = [](const RatingLimit& l) {
        return l.component + (l.spanText.empty() ? "" : ", пролёт " + l.spanText) + ", " + l.cause;
    };
    const bool byDay = hours.size() > 240;
    r.add(byDay ? " Сутки (наименьший ДДТН суток)  t возд  ДДТН   АДТН  ДДТН т АДТН т  Ограничивает ДДТН"
                : " Время                   t возд  ДДТН   АДТН  ДДТН т АДТН т  Ограничивает ДДТН");
    r.add(" " + std::string(110, '-'));
    auto row = [&](const HourRating& h, const std::string& when) {
        if (!h.rated) {
            r.add(" " + when + Format("  %5.1f", h.Ta) + "  не рассчитано: " + h.failure, Colour::Red);
            return;
        }
        r.add(" " + when + Format("  %5.1f", h.Ta) + amps(h.DDTN) + " " + amps(h.ADTN) + " " + amps(h.staticDDTN) +
              " " + amps(h.staticADTN) + "  " + limit(h.ddtnLimit));
    };
    if (!byDay) {
        for (const HourRating& h : hours) row(h, WeatherTimeText(h.utc, h.offsetMinutes));
        return r;
    }
    for (std::size_t i = 0; i < hours.size();) {
        const std::string day = WeatherTimeText(hours[i].utc, hours[i].offsetMinutes).substr(0, 10);
        const HourRating* least = nullptr;
        const HourRating* unrated = nullptr;
        for (; i < hours.size() && WeatherTimeText(hours[i].utc, hours[i].offsetMinutes).substr(0, 10) == day; ++i) {
            const HourRating& h = hours[i];
            if (!h.rated) {
                if (!unrated) unrated = &h;
            } else if (!least || h.DDTN < least->DDTN) {
                least = &h;
            }
        }
        if (unrated) row(*unrated, WeatherTimeText(unrated->utc, unrated->offsetMinutes).substr(0, 16) + "        ");
        if (least) row(*least, WeatherTimeText(least->utc, least->offsetMinutes).substr(0, 16) + "        ");
    }
    return r;
}

}  // namespace qem
