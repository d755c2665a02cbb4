#include "chartscale.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vanto {

void ChartScale::set(double spanLow, double spanHigh, double limitLow, double limitHigh) {
    setLimits(limitLow, limitHigh);
    setSpan(spanLow, spanHigh);
}

void ChartScale::setLimits(double low, double high) {
    if (low > high) {
        std::swap(low, high);
    }
    if (high - low < kMinimumLimitWidth) {
        const double middle = (low + high) / 2;
        low = middle - kMinimumLimitWidth / 2;
        high = middle + kMinimumLimitWidth / 2;
    }
    m_limitLow = low;
    m_limitHigh = high;
    setSpan(m_spanLow, m_spanHigh);
}

void ChartScale::setSpan(double low, double high) {
    if (low > high) {
        std::swap(low, high);
    }
    low = std::clamp(low, m_limitLow, m_limitHigh);
    high = std::clamp(high, m_limitLow, m_limitHigh);
    const double minimum = minimumSpan();
    if (high - low < minimum) {
        high = std::min(low + minimum, m_limitHigh);
        low = high - minimum;
    }
    m_spanLow = low;
    m_spanHigh = high;
}

void ChartScale::dragLow(double value) {
    m_spanLow = std::clamp(value, m_limitLow, m_spanHigh - minimumSpan());
}

void ChartScale::dragHigh(double value) {
    m_spanHigh = std::clamp(value, m_spanLow + minimumSpan(), m_limitHigh);
}

void ChartScale::shift(double delta) {
    delta = std::clamp(delta, m_limitLow - m_spanLow, m_limitHigh - m_spanHigh);
    m_spanLow += delta;
    m_spanHigh += delta;
}

std::vector<double> niceTicks(double low, double high, int maxTicks) {
    std::vector<double> ticks;
    if (!(high > low) || maxTicks < 2 || !std::isfinite(low) || !std::isfinite(high)) {
        return ticks;
    }
    const double rough = (high - low) / (maxTicks - 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 0;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * magnitude;
        const double first = std::ceil(low / step - 1e-9);
        const double last = std::floor(high / step + 1e-9);
        if (last - first + 1 <= maxTicks) {
            break;
        }
    }
    const double first = std::ceil(low / step - 1e-9);
    const double last = std::floor(high / step + 1e-9);
    for (double k = first; k <= last; k += 1) {
        const double v = k * step;
        // Snaps -0 and float noise such as 0.30000000000000004 to the decimal the step implies.
        ticks.push_back(v == 0 ? 0.0 : std::round(v / magnitude * 1e6) / 1e6 * magnitude);
    }
    return ticks;
}

qint64 timeTickStep(qint64 windowMs, int maxLabels) {
    static constexpr qint64 kSecond = 1000;
    static constexpr qint64 kMinute = 60 * kSecond;
    static constexpr qint64 kHour = 60 * kMinute;
    static constexpr qint64 kLadder[] = {
        kSecond, 2 * kSecond, 5 * kSecond, 10 * kSecond, 15 * kSecond, 30 * kSecond,
        kMinute, 2 * kMinute, 5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute,
        kHour,   2 * kHour,   3 * kHour,   6 * kHour,    12 * kHour,   24 * kHour};
    maxLabels = std::max(maxLabels, 1);
    for (qint64 step : kLadder) {
        if (windowMs / step <= maxLabels) {
            return step;
        }
    }
    return kLadder[std::size(kLadder) - 1];
}

} // namespace vanto
