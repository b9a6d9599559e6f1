#include "setup/InitialConditions.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>

#include "engine/Geometry.h"
#include "engine/Loads.h"
#include "engine/StateChange.h"
#include "model/Cp1251.h"

namespace qem {
namespace {

// Passes of the one-point fit; with the wall-clock bound below, the bound that stops a fit
// which cannot reach its tolerance (a step smaller than the precision of the stress).
constexpr long kOnePointPasses = 1'000'000;
constexpr long long kOnePointMillis = 100001;

const char* const kMsgFirst =
    "Невозможно рассчитать напряжение в проводе, проверьте данные первого замера в пролёте № ";
const char* const kMsgSecond =
    "Невозможно рассчитать напряжение в проводе, проверьте данные второго замера в пролёте № ";
const char* const kMsgMiddle =
    "Невозможно рассчитать напряжение в проводе, проверьте данные замера в середине пролёта № ";

// "Nop1 - Nop2" of the span, UTF-8.
std::string SpanNumbers(const TySpan& span) {
    return Cp1251ToUtf8(span.Nop1.str()) + " - " + Cp1251ToUtf8(span.Nop2.str());
}

[[noreturn]] void NoPositiveStress(const TySpan& span) { throw MeasurementError(NoPositiveStressText(span)); }

// The span length every fit divides by.
void RequireSpanLength(const TySpan& span) {
    if (!(span.Lpr > 0))
        throw MeasurementError("Невозможно рассчитать напряжение в проводе: длина пролёта № " + SpanNumbers(span) +
                               " не больше нуля");
}

// Height difference of the suspension points, m.
Metres SuspensionDifference(const TySpan& span) {
    return (double(span.H1) + double(span.Hpr1)) - (double(span.H2) + double(span.Hpr2));
}

}  // namespace

std::string NoPositiveStressText(const TySpan& span) {
    return "Невозможно рассчитать напряжение в проводе: по замерам в пролёте № " + SpanNumbers(span) +
           " напряжение в проводе получается не больше нуля";
}

int LatestZamer(const TySpan& span) {
    int k = 1;
    for (int i = 2; i <= 10; ++i)
        if (span.Zamer[i].Time > span.Zamer[k].Time) k = i;
    return k;
}

void ZamerSag(TySpan& span, int k) {
    const Metres chord = (double(span.H1) + double(span.Hpr1) + double(span.H2) + double(span.Hpr2)) / 2.0;
    const Metres G = GroundMidElevation(span);
    span.Zamer[k].FZam = static_cast<Single>(chord - G - double(span.Zamer[k].HMid));
}

KgfPerMm2 FitSigmaOnePoint(const TySpan& span, int k) {
    const TyZamer& z = span.Zamer[k];
    const Metres f = z.FZam;
    if (!(f > 0))
        throw MeasurementError("Невозможно рассчитать напряжение в проводе: стрела провеса по замеру в пролёте № " +
                               SpanNumbers(span) + " не больше нуля");
    RequireSpanLength(span);
    const Metres L = span.Lpr;
    const Metres dh = SuspensionDifference(span);
    const KgfPerMMm2 gamma1 = SpecificLoad(span.Pr, 0, 0, z.V, L);
    const KgfPerMMm2 gammaW = WindSpecificLoad(span.Pr, span.Vv, L);
    const KgfPerMMm2 gammaG = WeightSpecificLoad(span.Pr);

    KgfPerMm2 sigma = L * L * (gammaW + gammaG) / (8.0 * f);
    double step = 0.1;
    const auto started = std::chrono::steady_clock::now();
    for (long pass = 0; pass < kOnePointPasses; ++pass) {
        const auto elapsed = std::chrono::steady_clock::now() - started;
        if (std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() >= kOnePointMillis) break;
        if (!(sigma > 0)) NoPositiveStress(span);
        // Equivalent spans a1 = 2 d1, a2 = 2 d2; depths f1, f2 of the lowest point below the
        // supports; xm from the lowest point to mid-span.
        const LowestPointResult lp = LowestPoint(gamma1, sigma, L, dh);
        const double a1 = 2.0 * lp.d1, a2 = 2.0 * lp.d2;
        const double a = sigma / gamma1;
        const double f1 = a * (std::cosh(gamma1 * a1 / (2.0 * sigma)) - 1.0);
        const double f2 = a * (std::cosh(gamma1 * a2 / (2.0 * sigma)) - 1.0);
        const double xm = (L - a1) / 2.0;
        // The sag at mid-span below the chord of the suspension points.
        const Metres fcalc = SagAt(xm, L, lp.d1, f1, f2, gamma1, sigma);
        // The stress whose sag is within 0.01 m of the measured one is the answer.
        if (std::fabs(fcalc - f) <= 0.01) break;
        // Towards the measured sag; a change of direction refines the step tenfold.
        const double prev = step;
        step = fcalc > f ? std::fabs(step) : -std::fabs(step);
        if (prev * step < 0) step = step / 10.0;
        sigma = sigma + step;
    }
    if (!(sigma > 0)) NoPositiveStress(span);
    return sigma;
}

KgfPerMm2 FitSigmaTwoPoints(const TySpan& span, bool seaLevel) {
    RequireSpanLength(span);
    const Metres L = span.Lpr;
    const Metres dh = SuspensionDifference(span);
    const KgfPerMMm2 gamma = SpecificLoad(span.Pr, span.Bgv, span.Gamma, span.Vv, L);
    const bool firstHigher = span.H1 > span.H2;
    double sum = 0;
    int n = 0;
    for (int i = 1; i <= 2; ++i) {
        if (!(span.LZam[i] > 0.001f)) continue;
        ++n;
        const Metres x = span.LZam[i];
        Metres h = span.HZam[i];
        if (seaLevel) h = h + double(span.HSeaZam[i]) - std::min(double(span.H1), double(span.H2));
        KgfPerMm2 sigma = 5.0;
        double step = -0.1;
        Metres hc = 0;
        for (long iterations = 0; std::fabs(h - hc) > 0.00001 && std::fabs(step) > 0.0000001 && iterations <= 999999;) {
            ++iterations;
            if (!(sigma > 0)) NoPositiveStress(span);
            const LowestPointResult lp = LowestPoint(gamma, sigma, L, dh);
            const double a1 = 2.0 * lp.d1, a2 = 2.0 * lp.d2;
            const double a = sigma / gamma;
            const double f1 = a * (std::cosh(gamma * a1 / (2.0 * sigma)) - 1.0);
            const double f2 = a * (std::cosh(gamma * a2 / (2.0 * sigma)) - 1.0);
            // The ground at the lower support in the catenary frame.
            const double flow = firstHigher ? f2 : f1;
            const double hlow = firstHigher ? double(span.Hpr2) : double(span.Hpr1);
            const double ref = sigma / gamma + flow - hlow;
            sigma = sigma + step;
            if (!(sigma > 0)) NoPositiveStress(span);
            // Height of the conductor at x above that ground.
            hc = CheckedFinite((sigma / gamma) * std::cosh(gamma * (x - a1 / 2.0) / sigma) - ref, "height of the fit");
            if (hc > h && step > 0) step = -0.1 * step;
            if (hc < h && step < 0) step = -0.1 * step;
        }
        sum += sigma;
    }
    if (n == 0)
        throw MeasurementError(
            "Невозможно рассчитать напряжение в проводе: нет ни одного замера высоты провода в пролёте № " +
            SpanNumbers(span));
    return sum / n;
}

void ComputeInitialConditions(TySpan& span, ZamerMode mode, bool seaLevel) {
    if (mode == ZamerMode::TwoPoints) {
        span.Si = static_cast<Single>(FitSigmaTwoPoints(span, seaLevel));
    } else {
        const int k = LatestZamer(span);
        const TyZamer& z = span.Zamer[k];
        const Metres L = span.Lpr;
        const KgfPerMm2 sigma1 = FitSigmaOnePoint(span, k);
        const KgfPerMMm2 gamma1 = SpecificLoad(span.Pr, 0, 0, z.V, L);
        const KgfPerMMm2 gamma2 = SpecificLoad(span.Pr, 0, 0, 0, L);
        // The conductor temperature of the measurement when it is known and above the air.
        const Celsius t1 = (z.TPr > 0 && z.TPr > z.Tv) ? Celsius(z.TPr) : Celsius(z.Tv);
        double Si = StateStress(span.Pr, sigma1, gamma1, t1, gamma2, 25.0, L, SuspensionDifference(span));
        if (Si < 0) Si = 0;
        span.Si = static_cast<Single>(Si);
    }
    span.Tv = 25;
    span.V = 0;
    span.Bg = 0;
}

std::string CheckZamerData(TySpan& span, int mode) {
    const std::string where = SpanNumbers(span);
    const std::string A = kMsgFirst + where, B = kMsgSecond + where, C = kMsgMiddle + where;
    const double H1 = span.H1, H2 = span.H2, Hpr1 = span.Hpr1, Hpr2 = span.Hpr2, L = span.Lpr;
    std::string msg;
    if (mode == -1) {
        if (span.LZam[1] < 0) msg = A;
        if (L / 2.0 > span.LZam[2]) msg = B;
        if (L / 2.0 < span.LZam[1]) msg = A;
        if (span.LZam[2] > L) msg = B;
        if (double(span.HZam[1]) + double(span.HSeaZam[1]) > Hpr1 + H1) msg = A;
        if (double(span.HZam[2]) + double(span.HSeaZam[2]) > Hpr2 + H2) msg = B;
        return msg;
    }
    if (mode != 0) throw std::invalid_argument("CheckZamerData: mode " + std::to_string(mode) + " is neither 0 nor -1");
    const TyZamer& z = span.Zamer[LatestZamer(span)];
    const double HMid = z.HMid, Mid = span.M_middle_h;
    const double S = (H1 + Hpr1 + H2 + Hpr2) / 2.0;
    if (span.UseSea != 1) {
        if (HMid > (Hpr1 + Hpr2) / 2.0) {
            msg = C;
            // Plausible only as a height above sea level: read it so.
            if (HMid + Mid < S) {
                msg.clear();
                span.UseSea = 1;
            }
        }
    } else {
        if (HMid + Mid > S) {
            msg = C;
            if ((Hpr1 + Hpr2) / 2.0 > HMid) {
                msg.clear();
                span.UseSea = 0;
            }
        }
    }
    return msg;
}

}  // namespace qem
