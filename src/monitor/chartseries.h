// The strip chart's history: a fixed-size ring of (time, value) points with min/max aggregates at
// several resolutions, so that the range of any stretch of history is found in a bounded number
// of steps however long the stretch is.
#pragma once

#include <QtGlobal>

#include <limits>
#include <vector>

namespace vanto {

struct ChartPoint {
    qint64 time = 0; // milliseconds since the epoch
    double value = 0;
};

// The smallest and largest value of a set of points; empty when min > max.
struct ValueRange {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();

    bool isEmpty() const { return min > max; }
    void include(double v) {
        if (v < min)
            min = v;
        if (v > max)
            max = v;
    }
    void include(const ValueRange& other) {
        if (other.min < min)
            min = other.min;
        if (other.max > max)
            max = other.max;
    }
};

class ChartSeries {
public:
    // 24 hours of points at the polling rate of five a second.
    static constexpr qsizetype kDayAtFivePerSecond = 24 * 60 * 60 * 5;

    // All memory is taken here; appending never allocates. A capacity below 1 counts as 1.
    explicit ChartSeries(qsizetype capacity = kDayAtFivePerSecond);

    // Adds a point in constant time, dropping the oldest once the ring is full. Times must not go
    // backwards: a time earlier than the newest point's is taken as the newest point's time, so
    // that the history stays ordered for the searches below.
    void append(qint64 time, double value);
    void clear();

    qsizetype capacity() const { return m_capacity; }
    qsizetype size() const;
    bool isEmpty() const { return m_appended == 0; }
    qint64 appendedCount() const { return m_appended; }

    // Point by position in the history, 0 the oldest kept, size() - 1 the newest.
    ChartPoint at(qsizetype index) const;
    ChartPoint newest() const { return at(size() - 1); }

    // Position of the first point whose time is not earlier than `time`; size() when none is.
    qsizetype lowerBound(qint64 time) const;

    // Smallest and largest value of the points at positions [from, to), limited to the history.
    ValueRange range(qsizetype from, qsizetype to) const;

private:
    struct Level {
        int shift = 0;                  // a bucket holds 2^shift consecutive points
        std::vector<ValueRange> ranges; // ring of buckets, bucket k at k % ranges.size()
    };

    qint64 firstSequence() const;
    qsizetype slot(qint64 sequence) const { return static_cast<qsizetype>(sequence % m_capacity); }
    ValueRange rangeOfSequences(qint64 from, qint64 to, int topLevel) const;

    qsizetype m_capacity;
    std::vector<qint64> m_times;
    std::vector<double> m_values;
    std::vector<Level> m_levels;
    qint64 m_appended = 0; // points appended since construction or clear(); sequence numbers
};

// What one pixel column of the chart shows: the points whose times fall into its time slice.
struct ChartColumn {
    qsizetype count = 0;
    ChartPoint first;
    ChartPoint last;
    ValueRange range;
};

// Splits the time window [from, to) into `columns` equal slices and summarises the points in each.
// The work per column is bounded by the aggregates, not by the number of points in the slice.
std::vector<ChartColumn> summarizeColumns(const ChartSeries& series, qint64 from, qint64 to,
                                          int columns);

} // namespace vanto
