#pragma once
// The span view as data: what the chart of the "Вид пролета" page shows, in chart
// coordinates, independent of any chart component.
//
// Frame of the view: x is the horizontal distance from support 1 (m), y the height (m)
// above the ground at the lower support (support 2 when H1 > H2, otherwise support 1).
//
// The window that shows the view converts the chart coordinates to pixels and places each
// visible label centred on its anchor (left = pixel x - half its width, top = pixel y -
// half its height, each half rounded to the nearest pixel). It also resolves the overlap
// of the smallest-clearance label with the label of obstacle 1: when Obstacle1Label is
// visible and the horizontal distance between the label centres is less than the width of
// ClrMinLabel and the vertical distance between their tops less than its height,
// ClrMinLabel moves up by its height and Obstacle1Label down by its height. Both need the
// label sizes on screen and live with the window.
#include <array>
#include <string>
#include <vector>

#include "engine/StateChange.h"
#include "model/QEMcom.h"

namespace qem {

struct ChartPoint {
    double x = 0;
    double y = 0;
    bool operator==(const ChartPoint&) const = default;
};

struct ChartArrow {
    ChartPoint from;
    ChartPoint to;
    bool operator==(const ChartArrow&) const = default;
};

enum class SeriesKind { Line, Arrow };

// Appearance of a series: colour name, pen width (arrow: head size), dashed pen.
struct SeriesStyle {
    SeriesKind kind;
    const char* colour;
    int width;
    bool dashed;
};

// One chart series: line series keep points (ascending x), arrow series arrows.
struct ChartSeries {
    SeriesKind kind = SeriesKind::Line;
    std::vector<ChartPoint> points;
    std::vector<ChartArrow> arrows;
    void Clear() {
        points.clear();
        arrows.clear();
    }
};

// A value label lying over the chart: the value, its text Format("%6.2f"), the point of the
// chart at its centre and whether it is shown.
struct ValueLabel {
    double value = 0;
    std::string text;
    ChartPoint anchor;
    bool visible = false;
    // Shows v centred at (x, y).
    void Show(double v, double x, double y);
    void Hide() { visible = false; }
};

struct SpanView {
    // Series indices.
    static constexpr int kConductor = 0;
    static constexpr int kGround = 1;
    static constexpr int kSupport1 = 2;
    static constexpr int kSupport2 = 3;
    static constexpr int kObstacleBoxes = 4;
    static constexpr int kArrowClrMin = 5;
    static constexpr int kArrowObstacle = 6;
    static constexpr int kChord = 7;
    static constexpr int kArrowSag = 8;
    static constexpr int kArrowMidSpan = 9;
    static constexpr int kSeries = 10;

    static constexpr std::array<SeriesStyle, kSeries> kStyles = {{
        {SeriesKind::Line, "black", 2, false},   // conductor
        {SeriesKind::Line, "green", 2, false},   // ground profile
        {SeriesKind::Line, "blue", 7, false},    // support 1
        {SeriesKind::Line, "blue", 7, false},    // support 2
        {SeriesKind::Line, "maroon", 3, false},  // obstacle boxes
        {SeriesKind::Arrow, "red", 8, false},    // smallest clearance to the ground
        {SeriesKind::Arrow, "red", 8, false},    // clearance to the obstacle
        {SeriesKind::Line, "black", 1, true},    // chord between the suspension points
        {SeriesKind::Arrow, "red", 8, false},    // sag at mid-span
        {SeriesKind::Arrow, "red", 8, false},    // clearance to the ground at mid-span
    }};

    std::array<ChartSeries, kSeries> Series;

    ValueLabel SagLabel;        // sag
    ValueLabel ClrMinLabel;     // smallest clearance to the ground
    ValueLabel MidSpanLabel;    // clearance to the ground at mid-span
    ValueLabel Obstacle1Label;  // obstacle 1
    ValueLabel Obstacle2Label;  // obstacle 2
    ValueLabel Obstacle3Label;  // obstacle 3
    ValueLabel Obstacle4Label;  // obstacle 4
    ValueLabel Obstacle5Label;  // obstacle 5

    SpanView();
    // Empties all ten series (the labels stay as they are).
    void Clear();
    // Hides the five obstacle labels.
    void HideObstacleLabels();
    // The label of obstacle k (1..5); nullptr for obstacles 6 to 10, which get none.
    ValueLabel* ObstacleLabel(int k);
};

// Draws the span in the state c (the state SpanState has just computed into r) for obstacle
// k: conductor, ground, supports, chord, sag, obstacle k, smallest clearance and mid-span
// clearance. Adds to the series without clearing them. Sets r.ClrGround to the clearance at
// mid-span, r.XClrMin = Lpr/2 and r.GroundAtMin to the ground height at mid-span (view frame).
void DrawSpanView(const TySpan& span, int k, const SpanCatenary& c, SpanResult& r, SpanView& view);

}  // namespace qem
