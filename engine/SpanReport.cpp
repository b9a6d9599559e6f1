#include "engine/SpanReport.h"

#include <tuple>
#include <utility>

#include "engine/CalcError.h"
#include "engine/Clearance.h"
#include "engine/Currents.h"
#include "engine/Format.h"
#include "engine/Geometry.h"
#include "engine/HeatBalance.h"
#include "engine/Loads.h"
#include "engine/UsableValues.h"
#include "model/Cp1251.h"

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

SpanCurrents SpanAllowableCurrents(const TyLine& line, TySpan& span, int k, const CalcEnv& env) {
    RequireUsable(line, span);
    SpanResult r;
    EmptyObstacle empty(span);
    const SectionLimits lim = SearchSection(line, span, k, env, GroundNorm(*env.norms, line.Uvl, span.TM), r);
    SpanCurrents c;
    std::tie(c.IMax, c.ILong) = ThermalLimits(span, env);
    c.IGround = lim.ground.I;
    c.TGround = lim.ground.T;
    c.IObst = lim.obst.I;
    c.TObst = lim.obst.T;
    return c;
}

SpanRegimeOutcome SpanRegimeReport(const TyLine& line, TySpan& span, const CalcEnv& env, Dialogs& dlg,
                                   Report& out, SpanView* view) {
    SpanRegimeOutcome res;
    SpanResult& r = res.result;
    r.Sigma = 0;
    if (env.mode == ZamerMode::TwoPoints && span.HZam[1] <= 0) {
        dlg.Ask("Введите значения замера", Buttons::Ok, "Ошибка", Icon::Error);
        return res;
    }
    RequireUsable(line, span);
    // Every conductor of the phase carries its share of the line current.
    const Amperes Icond = ConductorCurrent(span);
    out.clear();
    if (view) {
        view->Clear();
        view->HideObstacleLabels();
    }

    const Norms& norms = *env.norms;
    const double normGround = GroundNorm(norms, line.Uvl, span.TM);
    const int mpr = span.Mpr;
    const std::string head = Format("%3s кВ %s-%s", std::string(VoltageText(line.Uvl)),
                                    Cp1251ToUtf8(line.From.str()), Cp1251ToUtf8(line.To.str()));
    int& bad = res.violations;
    EmptyObstacle empty(span);
    const int count = span.NPrep < 1 ? 1 : (span.NPrep > 10 ? 10 : span.NPrep);

    for (int k = 1; k <= count; ++k) {
        const SectionLimits lim = SearchSection(line, span, k, env, normGround, r);
        const ClearanceLimit &ground = lim.ground, &obst = lim.obst;
        const bool hasObstacle = lim.hasObstacle;
        const double obstNorm = lim.obstNorm;

        r.TCond = ConductorTemp(span, span.Tvv, span.Vv, span.Alfv, Icond);
        SpanState(span, k, r.TCond, r, view);
        const auto [Imax, Ilong] = ThermalLimits(span, env);
        r.IMax = Imax;
        res.sections.push_back({Imax, Ilong, ground.I, ground.T, obst.I, obst.T});

        out.add("Препятствие № " + std::to_string(k));
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
        const std::string currentCells = Format("%14.0f", Icond) + " |" + Format("%10.0f", Imax) + " |" +
                                         Format("%10.0f", Ilong) + " |" + Format("%10.0f", ground.I) + " |";
        const std::string lineCells = Format("%14.0f", span.Iv) + " |" + Format("%10.0f", mpr * Imax) + " |" +
                                      Format("%10.0f", mpr * Ilong) + " |" + Format("%10.0f", mpr * ground.I) + " |";
        const std::string tempCells = Format("%14.2f", r.TCond) + " |" + Format("%10.0f", TMax) + " |" +
                                      Format("%10.0f", env.LongTermTemp) + " |";
        if (!hasObstacle) {
            const std::string rule = " -----------------------------------------------------------------------";
            out.add(rule);
            out.add(" |                 |               |         Допустимые значения       |");
            out.add(" |     Параметр    |    Текущие    |-----------------------------------|");
            out.add(" |                 |    значения   |Максимально| Длительно |По габариту|");
            out.add(" |-----------------+---------------+-----------+-----------+-----------|");
            const bool red = ground.I <= 0;
            bad += red;
            out.add(" |Ток в проводе, A |" + currentCells, red ? Colour::Red : Colour::Black);
            if (mpr > 1) out.add(" |Ток линии    , A |" + lineCells);
            out.add(" |Температура пров.|" + tempCells + TempCell(ground.T, TMax, "%10.0f"));
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
            const bool red = obst.I <= 0 || ground.I <= 0;
            bad += red;
            out.add(" |Ток в проводе, A |" + currentCells + Format("%10.0f", obst.I) + " |",
                    red ? Colour::Red : Colour::Black);
            if (mpr > 1) out.add(" |Ток линии    , A |" + lineCells + Format("%10.0f", mpr * obst.I) + " |");
            out.add(" |Температура пров.|" + tempCells + TempCell(ground.T, TMax, "%10.1f") +
                    TempCell(obst.T, TMax, "%10.0f"));
            out.add(rule);
        }

        out.add("");
        const std::string rule = " -----------------------------------------------------------------------";
        out.add(rule);
        out.add(" |        Параметр           |  Текущие значения  | Допустимые значения|");
        out.add(" |---------------------------+--------------------+--------------------|");
        auto row = [&](const std::string& text, bool red) {
            bad += red;
            out.add(text, red ? Colour::Red : Colour::Black);
        };
        const double allowS = AllowableStress(span), allowT = AllowableTension(span);
        row(" |Напряжение в проводе,кГ/мм2| " + Format("%18.2f", r.Sigma) + " | " + Format("%18.2f", allowS) + " |",
            allowS < r.Sigma);
        row(" |Макс. тяжение провода,кГ   | " + Format("%18.0f", r.TensionMax) + " | " + Format("%18.0f", allowT) +
                " |",
            allowT < r.TensionMax);
        out.add(" |Стрела провеса , м         | " + Format("%18.2f", r.SagMid) + " |                -   |");
        row(" |Габарит до земли в сер., м | " + Format("%18.2f", r.ClrGround) + " | " + Format("%18.2f", normGround) +
                " |",
            normGround > r.ClrGround);
        row(" |Мин. габарит до земли, м   | " + Format("%18.2f", r.ClrMin) + " | " + Format("%18.2f", normGround) +
                " |",
            normGround > r.ClrMin);
        if (hasObstacle)
            row(" |Габарит до препятствия, м  | " + Format("%18.2f", r.ClrObst) + " | " + Format("%18.2f", obstNorm) +
                    " |",
                r.ClrObst < obstNorm);
        out.add(rule);
        // A negative clearance is a conductor below the top of the object: it counts as well.
        if (k <= span.NPrep && r.ClrObst < obstNorm) ++bad;
    }
    out.add(bad == 0 ? kVerdictYes : kVerdictNo, Colour::Blue);
    out.add("");
    r.Sigma = 0;
    res.written = true;
    return res;
}

}  // namespace qem
