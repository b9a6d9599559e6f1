#include "lines/Series.h"

#include "engine/Currents.h"
#include "engine/Format.h"
#include "engine/HeatBalance.h"

namespace qem {
namespace {

// Line that closes a table cut short by a calculation error.
std::string StopLine(double Ta, double v, double I, const std::string& err) {
    return "Расчёт остановлен ошибкой при Tв = " + Format("%.1f", Ta) + ", v = " + Format("%.1f", v) +
           ", I = " + Format("%.0f", I) + ": " + err;
}

}  // namespace

SeriesOutcome CalculationSeries(const TySpan& span, const SeriesSettings& s, Celsius LongTermTemp, Report& out) {
    SeriesOutcome res;
    out.add("------------------------------------------------------------------");
    out.add("|   Tв    |    v     |    I     |    Tпр   |    Iмд   |    Iмдд  |");
    out.add("|---------+----------+----------+----------+----------+----------|");
    const int mpr = span.Mpr;
    const double TMax = span.Pr.TMax;
    double Ta = span.Tvv;
    for (int a = 0; a < s.N1; ++a, Ta += s.dT) {
        double v = span.Vv;
        for (int b = 0; b < s.N2; ++b, v += s.dV) {
            double i = ConductorCurrent(span);
            for (int c = 0; c < s.N3; ++c, i += double(s.dI) / mpr) {
                double Tc;
                try {
                    Tc = ConductorTemp(span, Ta, v, span.Alfv, i);
                } catch (const std::exception& e) {
                    res.failed = true;
                    res.error = e.what();
                    out.add(StopLine(Ta, v, mpr * i, e.what()));
                    return res;
                }
                auto limit = [&](double T) {
                    try {
                        return mpr * CurrentAtTemp(span, T, Ta, v, span.Alfv);
                    } catch (const std::exception&) {
                        return 0.0;
                    }
                };
                const double Imd = limit(TMax), Imdd = limit(LongTermTemp);
                out.add(Format("|%8.1f | %8.1f | %8.0f | %8.2f | %8.0f | %8.0f |", Ta, v, mpr * i, Tc, Imd, Imdd));
            }
        }
    }
    out.add("------------------------------------------------------------------");
    return res;
}

SeriesOutcome OrientationSweep(TySpan& span, Celsius LongTermTemp, Report& out) {
    SeriesOutcome res;
    out.add("----------------------------------------------------------------------------------------");
    out.add("|   Tв    |    v     |    I     |    Tпр   |    Iмд   |    Iмдд  |    шир.  |  ориен.  |");
    out.add("|---------+----------+----------+----------+----------+---------------------------------");
    struct Restore {
        TySpan& s;
        float Fi, AngP;
        ~Restore() { s.Fi = Fi, s.AngP = AngP; }
    } restore{span, span.Fi, span.AngP};
    const int mpr = span.Mpr;
    const double Ta = span.Tvv;
    for (int phi = 0; phi <= 90; phi += 5) {
        for (int alpha = 0; alpha <= 90; alpha += 5) {
            span.Fi = float(phi);
            span.AngP = float(alpha);
            const double v = span.Vv, i = ConductorCurrent(span);
            try {
                const double Tc = ConductorTemp(span, Ta, v, span.Alfv, i);
                const double Imd = mpr * CurrentAtTemp(span, span.Pr.TMax, Ta, v, span.Alfv);
                const double Imdd = mpr * CurrentAtTemp(span, LongTermTemp, Ta, v, span.Alfv);
                out.add(Format("|%8.1f | %8.0f | %8.0f | %8.2f | %8.0f | %8.0f | %8.0f | %8.0f |", Ta, v, mpr * i, Tc,
                               Imd, Imdd, double(span.Fi), double(span.AngP)));
            } catch (const std::exception& e) {
                res.failed = true;
                res.error = e.what();
                out.add("Расчёт остановлен ошибкой при шир. = " + std::to_string(phi) + ", ориен. = " +
                        std::to_string(alpha) + ": " + e.what());
                return res;
            }
        }
    }
    out.add("------------------------------------------------------------------");
    return res;
}

}  // namespace qem
