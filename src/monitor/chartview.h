// Exploring the strip chart's history: which stretch of time the plot shows, and how zooming
// with the wheel, dragging and pointing change or read it. Pure arithmetic on the history and
// the view, so that the widget only forwards its mouse events.
#pragma once

#include "chartseries.h"

#include <optional>

namespace vanto {

// The time window on screen: (end - window, end].
struct ChartTimeView {
    qint64 end = 0;    // milliseconds since the epoch at the plot's right edge
    qint64 window = 0; // milliseconds across the plot

    qint64 start() const { return end - window; }
    bool operator==(const ChartTimeView& o) const { return end == o.end && window == o.window; }
};

struct ChartTimeViewLimits {
    qint64 minWindow = 10 * 1000;           // the narrowest zoom: ten seconds across the plot
    qint64 maxWindow = 24 * 60 * 60 * 1000; // the widest: the whole day the history holds
};

// The time at `x` pixels from the plot's left edge (of `width` pixels), and back.
qint64 chartTimeAt(const ChartTimeView& view, double x, double width);
double chartXOf(const ChartTimeView& view, qint64 time, double width);

// Zooms by `factor` (below 1 zooms in) about the time under `x`, which stays under `x`; the
// window is kept within the limits.
ChartTimeView zoomChartView(const ChartTimeView& view, double x, double width, double factor,
                            const ChartTimeViewLimits& limits = {});
// The zoom factor of a wheel turn in eighths of a degree as Qt reports it (120 per notch):
// each notch away from the operator (positive) zooms in by a fifth, towards zooms out.
double wheelZoomFactor(int angleDelta);

// Moves the view by a drag of `dx` pixels: dragging right shows earlier times.
ChartTimeView panChartView(const ChartTimeView& view, double dx, double width);

// Keeps the view inside the history: its end not after `newest` (now), and not so early that
// the plot would show nothing but time before `oldest` (the oldest point kept): at least a
// tenth of the window stays after it.
ChartTimeView clampChartView(const ChartTimeView& view, qint64 oldest, qint64 newest);

// The point nearest in time to `time` among those within `reach` milliseconds of it.
std::optional<ChartPoint> nearestChartPoint(const ChartSeries& series, qint64 time, qint64 reach);

} // namespace vanto
