// Vertical scale of the strip chart and the axis tick arithmetic: the span shown, the outer limits
// within which the operator may drag it, and where the labelled ticks go.
#pragma once

#include <QtGlobal>

#include <vector>

namespace vanto {

class ChartScale {
public:
    ChartScale() = default;

    // Sets both at once: the limits first, then the span kept inside them.
    void set(double spanLow, double spanHigh, double limitLow, double limitHigh);

    // Ends given in either order. Limits narrower than kMinimumLimitWidth are widened about their
    // middle; the span is pulled inside new limits.
    void setLimits(double low, double high);
    // Ends given in either order; each end is clamped into the limits, and a span narrower than
    // minimumSpan() is widened, upwards where the limits allow, else downwards.
    void setSpan(double low, double high);

    // Moving one handle: the end is clamped between its limit and the other end less
    // minimumSpan(); the other end stays.
    void dragLow(double value);
    void dragHigh(double value);
    // Moving the whole span by delta, its width kept, stopped at the limits.
    void shift(double delta);

    double spanLow() const { return m_spanLow; }
    double spanHigh() const { return m_spanHigh; }
    double limitLow() const { return m_limitLow; }
    double limitHigh() const { return m_limitHigh; }
    // The narrowest span allowed: a thousandth of the limits' width.
    double minimumSpan() const { return (m_limitHigh - m_limitLow) / 1000.0; }

    static constexpr double kMinimumLimitWidth = 1e-6;

private:
    double m_spanLow = 0;
    double m_spanHigh = 100;
    double m_limitLow = 0;
    double m_limitHigh = 100;
};

// Tick values on a 1-2-5 ladder between low and high (both included when they fall on a step),
// at most maxTicks of them and as many as the ladder allows; empty for an empty interval.
std::vector<double> niceTicks(double low, double high, int maxTicks);

// The step in milliseconds between time labels for a window of windowMs: the smallest step from
// a ladder of clock-friendly steps (1 s, 2 s, 5 s, 10 s, 15 s, 30 s, 1 min, … 6 h, 12 h) that
// gives at most maxLabels labels.
qint64 timeTickStep(qint64 windowMs, int maxLabels);

} // namespace vanto
