#include "engine/SpanReport.h"

#include <tuple>
#include <utility>

#include "engine/CalcError.h"
#include "engine/Clearance.h"
#include "engine/Currents.h"
#include "engine/Geometry.h"
#include "engine/HeatBalance.h"
#include "engine/Loads.h"
#include "engine/UsableValues.h"
#include "model/Cp1251.h"
#include "model/Format.h"

namespace qem {
namespace {

const char* const kSky[] = {"   Учет солнечной радиации   - Ясно", "   Учет солнечной радиации   - Облачно",
                            "   Учет солнечной радиации   - Пасмурно ",
                            "   Учет солнечной радиации   - Вечернее или ночное время "};

// Clearance-temperature cell of the current table.
std::string TempCell(Celsius T, Celsius TMax, const char* numberFormat) {
    if (T > TMax) return "    > max  |";
    if (T < 0) return Format("%10d", 0) + " |";
    return Format(numberFormat, T) + " |";
}

// While a span without obstacles is reported, obstacle 1 is an empty one (distance 0,
// height 0); the stored obstacle comes back afterwards.
struct EmptyObstacle {
    TySpan& span;
    TyPrep saved;
    bool active;
    explicit EmptyObstacle(TySpan& s) : span(s), saved(s.Prep[1]), active(s.NPrep < 1) {
        if (active) span.Prep[1].Lprep = span.Prep[1].Hprep = 0;
    }
    ~EmptyObstacle() {
        if (active) span.Prep[1] = saved;
    }
};

// The clearance searches of the section of obstacle k: the ground, then the obstacle when it
// lies more than 0.1 m from support 1.
struct SectionLimits {
    ClearanceLimit ground, obst;
    bool hasObstacle = false;
    double obstNorm = 0;
};

SectionLimits SearchSection(const TyLine& line, TySpan& span, int k, const CalcEnv& env, double normGround,
                            SpanResult& r) {
    SectionLimits s;
    s.ground = ClearanceLimitOf(span, k, ClearanceKind::Ground, normGround, SearchVariant::Regime, r);
    s.hasObstacle = span.Prep[k].Lprep > 0.1f;
    s.obstNorm = ObstacleNorm(span, k, line.Uvl, *env.norms);
    if (s.hasObstacle)
        s.obst = ClearanceLimitOf(span, k, ClearanceKind::Obstacle, s.obstNorm, SearchVariant::Regime, r);
    return s;
}

// The thermal limits of one conductor in the regime: at TMax and at LongTermTemp.
std::pair<Amperes, Amperes> ThermalLimits(const TySpan& span, const CalcEnv& env) {
    return {CurrentAtTemp(span, span.Pr.TMax, span.Tvv, span.Vv, span.Alfv),
            CurrentAtTemp(span, env.LongTermTemp, span.Tvv, span.Vv, span.Alfv)};
}

}  // namespace

std::string SpanRegimeRefusal(const TySpan& span, const CalcEnv& env) {
    return env.mode == ZamerMode::TwoPoints && span.HZam[1] <= 0 ? "Введите значения замера" : "";
}

SpanRegimeOutcome CalculateSpanRegime(const TyLine& line, TySpan& span, const CalcEnv& env, SpanView* view) {
    SpanRegimeOutcome res;
    SpanResult& r = res.result;
    r.Sigma = 0;
    res.refusal = SpanRegimeRefusal(span, env);
    if (!res.refusal.empty()) return res;
    RequireUsable(line, span);
    // Every conductor of the phase carries its share of the line current.
    const Amperes Icond = res.Icond = ConductorCurrent(span);
    if (view) {
        view->Clear();
        view->HideObstacleLabels();
    }
    const double normGround = GroundNorm(*env.norms, line.Uvl, span.TM);
    int& bad = res.violations;
    EmptyObstacle empty(span);
    const int count = span.NPrep < 1 ? 1 : (span.NPrep > 10 ? 10 : span.NPrep);

    for (int k = 1; k <= count; ++k) {
        const SectionLimits lim = SearchSection(line, span, k, env, normGround, r);
        const ClearanceLimit &ground = lim.ground, &obst = lim.obst;

        r.TCond = ConductorTemp(span, span.Tvv, span.Vv, span.Alfv, Icond);
        SpanState(span, k, r.TCond, r, view);
        const auto [Imax, Ilong] = ThermalLimits(span, env);
        r.IMax = Imax;
        res.sections.push_back({Imax, Ilong, ground.I, ground.T, obst.I, obst.T});

        SpanSectionValues v;
        v.k = k;
        v.hasObstacle = lim.hasObstacle;
        v.TCond = r.TCond;
        v.state = r;
        v.normGround = normGround;
        v.obstNorm = lim.obstNorm;
        v.allowStress = AllowableStress(span);
        v.allowTension = AllowableTension(span);
        v.currentBreach = lim.hasObstacle ? (obst.I <= 0 || ground.I <= 0) : ground.I <= 0;
        v.stressBreach = v.allowStress < r.Sigma;
        v.tensionBreach = v.allowTension < r.TensionMax;
        v.groundMidBreach = normGround > r.ClrGround;
        v.groundMinBreach = normGround > r.ClrMin;
        v.obstacleRowBreach = lim.hasObstacle && r.ClrObst < lim.obstNorm;
        // A negative clearance is a conductor below the top of the object: it counts as well.
        v.storedObstacleBreach = k <= span.NPrep && r.ClrObst < lim.obstNorm;
        bad += v.currentBreach + v.stressBreach + v.tensionBreach + v.groundMidBreach + v.groundMinBreach +
               v.obstacleRowBreach + v.storedObstacleBreach;
        res.values.push_back(v);
    }
    r.Sigma = 0;
    res.written = true;
    return res;
}

Report SpanRegimeText(const TyLine& line, const TySpan& span, const CalcEnv& env, const SpanRegimeOutcome& o) {
    Report out;
    const int mpr = span.Mpr;
    const std::string head = Format("%3s кВ %s-%s", std::string(VoltageText(line.Uvl)), Cp1251ToUtf8(line.From.str()),
                                    Cp1251ToUtf8(line.To.str()));
    for (std::size_t i = 0; i < o.values.size(); ++i) {
        const SpanSectionValues& v = o.values[i];
        const SpanCurrents& c = o.sections[i];
        const SpanResult& r = v.state;
        const auto red = [](bool b) { return b ? Colour::Red : Colour::Black; };

        out.add("Препятствие № " + std::to_string(v.k));
        out.add("       Расчет режима ");
        out.add("       для ВЛ " + head);
        out.add("       Пролет " + Cp1251ToUtf8(span.Nop1.str()) + " - " + Cp1251ToUtf8(span.Nop2.str()));
        out.add("");
        out.add("       Исходные данные ");
        out.add("   Температура воздуха, оС   - " + Format("%6.0f", span.Tvv));
        out.add("   Скорость ветра, м/с       - " + Format("%6.1f", span.Vv));
        out.add("   Направление ветра, о      - " + Format("%6.0f", span.Alfv));
        if (span.Tzv >= 0 && span.Tzv <= 3) out.add(kSky[span.Tzv]);
        if (span.Bgv > 0.1f) {
            out.add("   Стенка гололеда, см       - " + Format("%6.2f", span.Bgv));
            out.add("   Плотность гололеда, г/см3 - " + Format("%6.2f", span.Gamma));
        }
        out.add("");
        out.add("       Результаты расчета");

        const double TMax = span.Pr.TMax;
        const std::string currentCells = Format("%14.0f", o.Icond) + " |" + Format("%10.0f", c.IMax) + " |" +
                                         Format("%10.0f", c.ILong) + " |" + Format("%10.0f", c.IGround) + " |";
        const std::string lineCells = Format("%14.0f", span.Iv) + " |" + Format("%10.0f", mpr * c.IMax) + " |" +
                                      Format("%10.0f", mpr * c.ILong) + " |" + Format("%10.0f", mpr * c.IGround) + " |";
        const std::string tempCells = Format("%14.2f", v.TCond) + " |" + Format("%10.0f", TMax) + " |" +
                                      Format("%10.0f", env.LongTermTemp) + " |";
        if (!v.hasObstacle) {
            const std::string rule = " -----------------------------------------------------------------------";
            out.add(rule);
            out.add(" |                 |               |         Допустимые значения       |");
            out.add(" |     Параметр    |    Текущие    |-----------------------------------|");
            out.add(" |                 |    значения   |Максимально| Длительно |По габариту|");
            out.add(" |-----------------+---------------+-----------+-----------+-----------|");
            out.add(" |Ток в проводе, A |" + currentCells, red(v.currentBreach));
            if (mpr > 1) out.add(" |Ток линии    , A |" + lineCells);
            out.add(" |Температура пров.|" + tempCells + TempCell(c.TGround, TMax, "%10.0f"));
            out.add(rule);
        } else {
            const std::string rule =
                " -----------------------------------------------------------------------------------";
            out.add(rule);
            out.add(" |                 |               |               Допустимые значения             |");
            out.add(" |                 |               |-----------------------------------------------|");
            out.add(" |    Параметр     |    Текущие    |           |           |      По габариту      |");
            out.add(" |                 |    значения   |Максимально| Длительно |-----------------------|");
            out.add(" |                 |               |           |           |  До земли |До пересеч.|");
            out.add(" |-----------------+---------------+-----------+-----------+-----------+-----------|");
            out.add(" |Ток в проводе, A |" + currentCells + Format("%10.0f", c.IObst) + " |", red(v.currentBreach));
            if (mpr > 1) out.add(" |Ток линии    , A |" + lineCells + Format("%10.0f", mpr * c.IObst) + " |");
            out.add(" |Температура пров.|" + tempCells + TempCell(c.TGround, TMax, "%10.1f") +
                    TempCell(c.TObst, TMax, "%10.0f"));
            out.add(rule);
        }

        out.add("");
        const std::string rule = " -----------------------------------------------------------------------";
        out.add(rule);
        out.add(" |        Параметр           |  Текущие значения  | Допустимые значения|");
        out.add(" |---------------------------+--------------------+--------------------|");
        out.add(" |Напряжение в проводе,кГ/мм2| " + Format("%18.2f", r.Sigma) + " | " +
                    Format("%18.2f", v.allowStress) + " |",
                red(v.stressBreach));
        out.add(" |Макс. тяжение провода,кГ   | " + Format("%18.0f", r.TensionMax) + " | " +
                    Format("%18.0f", v.allowTension) + " |",
                red(v.tensionBreach));
        out.add(" |Стрела провеса , м         | " + Format("%18.2f", r.SagMid) + " |                -   |");
        out.add(" |Габарит до земли в сер., м | " + Format("%18.2f", r.ClrGround) + " | " +
                    Format("%18.2f", v.normGround) + " |",
                red(v.groundMidBreach));
        out.add(" |Мин. габарит до земли, м   | " + Format("%18.2f", r.ClrMin) + " | " +
                    Format("%18.2f", v.normGround) + " |",
                red(v.groundMinBreach));
        if (v.hasObstacle)
            out.add(" |Габарит до препятствия, м  | " + Format("%18.2f", r.ClrObst) + " | " +
                        Format("%18.2f", v.obstNorm) + " |",
                    red(v.obstacleRowBreach));
        out.add(rule);
    }
    out.add(o.violations == 0 ? kVerdictYes : kVerdictNo, Colour::Blue);
    out.add("");
    return out;
}

}  // namespace qem
