#include "engine/SpanView.h"

#include <algorithm>
#include <cstdio>

#include "engine/Geometry.h"

namespace qem {

void ValueLabel::Show(double v, double x, double y) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%6.2f", v);
    value = v;
    text = buf;
    anchor = {x, y};
    visible = true;
}

SpanView::SpanView() {
    for (int i = 0; i < kSeries; ++i)
        Series[static_cast<std::size_t>(i)].kind = kStyles[static_cast<std::size_t>(i)].kind;
}

void SpanView::Clear() {
    for (ChartSeries& s : Series) s.Clear();
}

void SpanView::HideObstacleLabels() {
    for (int k = 1; k <= 5; ++k) ObstacleLabel(k)->Hide();
}

ValueLabel* SpanView::ObstacleLabel(int k) {
    switch (k) {
        case 1: return &Obstacle1Label;
        case 2: return &Obstacle2Label;
        case 3: return &Obstacle3Label;
        case 4: return &Obstacle4Label;
        case 5: return &Obstacle5Label;
        default: return nullptr;
    }
}

void DrawSpanView(const TySpan& span, int k, const SpanCatenary& c, SpanResult& r, SpanView& view) {
    const double L = span.Lpr, H1 = span.H1, H2 = span.H2, Hpr1 = span.Hpr1, Hpr2 = span.Hpr2;
    const double a = c.sigma / c.gamma;
    // The frame stands on the ground at the lower support.
    const bool firstHigher = H1 > H2;
    const double base = firstHigher ? a + c.rise2 - Hpr2 : a + c.rise1 - Hpr1;
    const double lift1 = firstHigher ? H1 - H2 : 0.0;
    const double lift2 = firstHigher ? 0.0 : H2 - H1;
    auto ground = [&](double xv) {  // ground height at xv from support 1, view frame
        return GroundHeight(span, xv - c.d1, c.rise1, c.rise2, c.d1, c.d2, c.gamma, c.sigma) - base;
    };
    auto series = [&](int i) -> ChartSeries& { return view.Series[static_cast<std::size_t>(i)]; };

    // Conductor.
    for (int i = 0; i <= 100; ++i) {
        const double x = i * L / 100.0;
        series(SpanView::kConductor).points.push_back({x, CatenaryHeight(x - c.d1, c.gamma, c.sigma) - base});
    }
    // Ground along the route.
    ChartSeries& groundLine = series(SpanView::kGround);
    groundLine.points.push_back({0, lift1});
    for (int i = 1; i <= 10 && span.Zem[i].ZemL > 0.001f; ++i)
        groundLine.points.push_back({span.Zem[i].ZemL, double(span.Zem[i].ZemH) - std::min(H1, H2)});
    groundLine.points.push_back({L, lift2});
    // Supports and chord.
    series(SpanView::kSupport1)
        .points.insert(series(SpanView::kSupport1).points.end(), {{0, lift1}, {0, lift1 + Hpr1}});
    series(SpanView::kSupport2)
        .points.insert(series(SpanView::kSupport2).points.end(), {{L, lift2}, {L, lift2 + Hpr2}});
    series(SpanView::kChord)
        .points.insert(series(SpanView::kChord).points.end(), {{0, lift1 + Hpr1}, {L, lift2 + Hpr2}});

    // Sag below the chord at mid-span.
    const double ym = lift1 + Hpr1 + 0.5 * (lift2 + Hpr2 - lift1 - Hpr1);
    series(SpanView::kArrowSag).arrows.push_back({{L / 2.0, ym}, {L / 2.0, ym - r.SagMid}});
    view.SagLabel.Show(r.SagMid, L / 2.0, ym - r.SagMid / 2.0);

    // Obstacle k.
    ValueLabel* label = view.ObstacleLabel(k);
    const TyPrep& p = span.Prep[k];
    if (p.Lprep > 0.0001f) {
        const double Lp = p.Lprep, Hp = p.Hprep;
        const double w = L / 50.0, xl = Lp - w / 2.0;
        const double gL = ground(xl), gC = ground(Lp), gR = ground(xl + w);
        series(SpanView::kObstacleBoxes)
            .points.insert(series(SpanView::kObstacleBoxes).points.end(),
                           {{xl, gL}, {xl, gC + Hp}, {xl + w, gC + Hp}, {xl + w, gR}});
        series(SpanView::kArrowObstacle).arrows.push_back({{Lp, gC + Hp}, {Lp, gC + Hp + r.ClrObst}});
        if (label) label->Show(r.ClrObst, Lp, gL + Hp + r.ClrObst / 2.0);
    } else {
        if (label) label->Hide();
        view.Obstacle1Label.Hide();
    }

    // Smallest clearance to the ground.
    const double g = ground(r.XClrMin);
    series(SpanView::kArrowClrMin).arrows.push_back({{r.XClrMin, g}, {r.XClrMin, g + r.ClrMin}});
    r.GroundAtMin = g;
    view.ClrMinLabel.Show(r.ClrMin, r.XClrMin, g + r.ClrMin / 2.0);

    // Clearance to the ground at mid-span.
    r.ClrGround = GroundClearanceAt(span, L / 2.0 - c.d1, c.d1, c.d2, c.rise1, c.rise2, c.gamma, c.sigma);
    r.XClrMin = L / 2.0;
    r.GroundAtMin = ground(L / 2.0);
    series(SpanView::kArrowMidSpan)
        .arrows.push_back({{L / 2.0, r.GroundAtMin}, {L / 2.0, r.GroundAtMin + r.ClrGround}});
    view.MidSpanLabel.Show(r.ClrGround, L / 2.0, r.GroundAtMin + r.ClrGround / 2.0);
}

}  // namespace qem
