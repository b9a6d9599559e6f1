#include "lines/Series.h"

#include <algorithm>
#include <vector>

#include "engine/Currents.h"
#include "engine/HeatBalance.h"
#include "engine/UsableValues.h"
#include "model/Cp1251.h"
#include "model/Format.h"
#include "platform/Parallel.h"

namespace qem {
namespace {

// Line that closes a table cut short by a calculation error.
std::string StopLine(double Ta, double v, double I, const std::string& err) {
    return "Расчёт остановлен ошибкой при Tв = " + Format("%.1f", Ta) + ", v = " + Format("%.1f", v) +
           ", I = " + Format("%.0f", I) + ": " + err;
}

// A value of the span that the heat balance cannot use ends the table before its first row.
bool Unusable(const TySpan& span, SeriesOutcome& res, Report& out) {
    const std::string fault = UnusableSpanValue(span, {false, 1, false});
    if (fault.empty()) return false;
    res.failed = true;
    res.error = "Пролёт " + Cp1251ToUtf8(span.Nop1.str()) + " - " + Cp1251ToUtf8(span.Nop2.str()) + ": " + fault;
    out.add("Расчёт не выполнен: " + res.error);
    return true;
}

// Rows of a table worked out together; a block ends at the row a calculation error stopped.
struct RowBlock {
    std::vector<std::string> lines;
    bool failed = false;
    std::string error;
};

// Runs the blocks on `jobs` threads and adds their rows to `out` in order, up to the first
// that failed; then the closing line.
template <class Work>
SeriesOutcome TableOfBlocks(int blocks, unsigned jobs, Work work, Report& out) {
    SeriesOutcome res;
    RunInOrder(blocks, jobs, work, [&](int, RowBlock& b) {
        for (std::string& l : b.lines) out.add(std::move(l));
        if (b.failed) res.failed = true, res.error = b.error;
        return !b.failed;
    });
    if (!res.failed) out.add("------------------------------------------------------------------");
    return res;
}

}  // namespace

std::string SeriesModelLine(const SeriesModel& m) {
    std::string line = std::string("Модель нагрева: ") + HeatModelTitle(m.model);
    if (m.model != HeatModel::Qem)
        line += ", излучательная способность " + Format("%.2f", m.conductor.emissivity) + ", поглощательная " +
                Format("%.2f", m.conductor.absorptivity);
    return line;
}

SeriesOutcome CalculationSeries(const TySpan& span, const SeriesSettings& s, Celsius LongTermTemp, Report& out,
                                unsigned jobs, const std::optional<SeriesModel>& model) {
    if (model) out.add(SeriesModelLine(*model));
    out.add("------------------------------------------------------------------");
    out.add("|   Tв    |    v     |    I     |    Tпр   |    Iмд   |    Iмдд  |");
    out.add("|---------+----------+----------+----------+----------+----------|");
    if (SeriesOutcome res; Unusable(span, res, out)) return res;
    const int mpr = span.Mpr;
    const double TMax = span.Pr.TMax;
    // The regimes of the rows, air temperature outermost, current innermost, each value
    // stepped from the one before as the user's steps add up.
    struct Regime {
        double Ta, v, i;
    };
    std::vector<Regime> rows;
    double I0;
    try {
        I0 = ConductorCurrent(span);
    } catch (const std::exception& e) {
        out.add(StopLine(span.Tvv, span.Vv, span.Iv, e.what()));
        return {true, e.what()};
    }
    double Ta = span.Tvv;
    for (int a = 0; a < s.N1; ++a, Ta += s.dT) {
        double v = span.Vv;
        for (int b = 0; b < s.N2; ++b, v += s.dV) {
            double i = I0;
            for (int c = 0; c < s.N3; ++c, i += double(s.dI) / mpr) rows.push_back({Ta, v, i});
        }
    }
    // Blocks of rows; a block ends at the row whose conductor temperature cannot be found.
    constexpr int kRowsPerBlock = 256;
    const int blocks = int((rows.size() + kRowsPerBlock - 1) / kRowsPerBlock);
    return TableOfBlocks(
        blocks, jobs,
        [&](int n) {
            RowBlock b;
            const std::size_t last = std::min(rows.size(), std::size_t(n + 1) * kRowsPerBlock);
            for (std::size_t r = std::size_t(n) * kRowsPerBlock; r < last; ++r) {
                const double Ta = rows[r].Ta, v = rows[r].v, i = rows[r].i;  // clang 14 captures no structured bindings
                // The weather of the row for a model other than the program's own.
                HeatWeather w = SpanRegimeWeather(span);
                w.Ta = Ta;
                w.V = v;
                double Tc;
                try {
                    Tc = model ? SteadyTempOf(model->model, model->conductor, w, i)
                               : ConductorTemp(span, Ta, v, span.Alfv, i);
                } catch (const std::exception& e) {
                    b.failed = true;
                    b.error = e.what();
                    b.lines.push_back(StopLine(Ta, v, mpr * i, e.what()));
                    return b;
                }
                auto limit = [&](double T) {
                    try {
                        return mpr * (model ? CurrentAtTempOf(model->model, model->conductor, w, T)
                                            : CurrentAtTemp(span, T, Ta, v, span.Alfv));
                    } catch (const std::exception&) {
                        return 0.0;
                    }
                };
                const double Imd = limit(TMax), Imdd = limit(LongTermTemp);
                b.lines.push_back(
                    Format("|%8.1f | %8.1f | %8.0f | %8.2f | %8.0f | %8.0f |", Ta, v, mpr * i, Tc, Imd, Imdd));
            }
            return b;
        },
        out);
}

SeriesOutcome OrientationSweep(const TySpan& span, Celsius LongTermTemp, Report& out, unsigned jobs) {
    out.add("----------------------------------------------------------------------------------------");
    out.add("|   Tв    |    v     |    I     |    Tпр   |    Iмд   |    Iмдд  |    шир.  |  ориен.  |");
    out.add("|---------+----------+----------+----------+----------+---------------------------------");
    TySpan checked = span;
    checked.Fi = checked.AngP = 0;  // the sweep sets them
    if (SeriesOutcome res; Unusable(checked, res, out)) return res;
    const int mpr = span.Mpr;
    const double Ta = span.Tvv;
    // One latitude a piece, on its own copy of the span.
    return TableOfBlocks(
        19, jobs,
        [&](int n) {
            RowBlock b;
            TySpan s = span;
            const int phi = 5 * n;
            for (int alpha = 0; alpha <= 90; alpha += 5) {
                s.Fi = float(phi);
                s.AngP = float(alpha);
                try {
                    const double v = s.Vv, i = ConductorCurrent(s);
                    const double Tc = ConductorTemp(s, Ta, v, s.Alfv, i);
                    const double Imd = mpr * CurrentAtTemp(s, s.Pr.TMax, Ta, v, s.Alfv);
                    const double Imdd = mpr * CurrentAtTemp(s, LongTermTemp, Ta, v, s.Alfv);
                    b.lines.push_back(Format("|%8.1f | %8.0f | %8.0f | %8.2f | %8.0f | %8.0f | %8.0f | %8.0f |", Ta, v,
                                             mpr * i, Tc, Imd, Imdd, double(s.Fi), double(s.AngP)));
                } catch (const std::exception& e) {
                    b.failed = true;
                    b.error = e.what();
                    b.lines.push_back("Расчёт остановлен ошибкой при шир. = " + std::to_string(phi) +
                                      ", ориен. = " + std::to_string(alpha) + ": " + e.what());
                    return b;
                }
            }
            return b;
        },
        out);
}

}  // namespace qem
