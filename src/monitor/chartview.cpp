#include "chartview.h"

#include <algorithm>
#include <cmath>

namespace vanto {

qint64 chartTimeAt(const ChartTimeView& view, double x, double width) {
    if (!(width > 0))
        return view.end;
    return view.start() + qint64(std::llround(x / width * double(view.window)));
}

double chartXOf(const ChartTimeView& view, qint64 time, double width) {
    if (view.window <= 0)
        return width;
    return double(time - view.start()) / double(view.window) * width;
}

ChartTimeView zoomChartView(const ChartTimeView& view, double x, double width, double factor,
                            const ChartTimeViewLimits& limits) {
    if (!(factor > 0) || !(width > 0))
        return view;
    const qint64 window = std::clamp<qint64>(qint64(std::llround(double(view.window) * factor)),
                                             limits.minWindow, limits.maxWindow);
    const double fraction = std::clamp(x / width, 0.0, 1.0);
    const qint64 anchor = view.start() + qint64(std::llround(fraction * double(view.window)));
    ChartTimeView zoomed;
    zoomed.window = window;
    zoomed.end = anchor + qint64(std::llround((1.0 - fraction) * double(window)));
    return zoomed;
}

double wheelZoomFactor(int angleDelta) {
    return std::pow(0.8, double(angleDelta) / 120.0);
}

ChartTimeView panChartView(const ChartTimeView& view, double dx, double width) {
    if (!(width > 0))
        return view;
    ChartTimeView moved = view;
    moved.end -= qint64(std::llround(dx / width * double(view.window)));
    return moved;
}

ChartTimeView clampChartView(const ChartTimeView& view, qint64 oldest, qint64 newest) {
    ChartTimeView v = view;
    const qint64 earliestEnd = oldest + view.window / 10;
    if (v.end < earliestEnd)
        v.end = earliestEnd;
    if (v.end > newest)
        v.end = newest;
    return v;
}

std::optional<ChartPoint> nearestChartPoint(const ChartSeries& series, qint64 time, qint64 reach) {
    if (series.isEmpty())
        return std::nullopt;
    const qsizetype after = series.lowerBound(time);
    std::optional<ChartPoint> best;
    qint64 bestDistance = reach + 1;
    for (qsizetype i : {after - 1, after}) {
        if (i < 0 || i >= series.size())
            continue;
        const ChartPoint p = series.at(i);
        const qint64 d = p.time > time ? p.time - time : time - p.time;
        if (d < bestDistance) {
            best = p;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace vanto
