#include "chartseries.h"

#include <algorithm>

namespace vanto {

namespace {
// Each level's buckets are this many times larger than the one below it (2^3 = 8).
constexpr int kLevelStep = 3;
} // namespace

ChartSeries::ChartSeries(qsizetype capacity)
    : m_capacity(std::max<qsizetype>(capacity, 1)), m_times(m_capacity), m_values(m_capacity) {
    for (int shift = kLevelStep; (qint64(1) << shift) <= m_capacity; shift += kLevelStep) {
        Level level;
        level.shift = shift;
        // The kept points touch at most capacity / bucket + 2 buckets, partly overwritten ones
        // at the old end included.
        level.ranges.resize(static_cast<size_t>((m_capacity >> shift) + 2));
        m_levels.push_back(std::move(level));
    }
}

void ChartSeries::append(qint64 time, double value) {
    if (m_appended > 0) {
        time = std::max(time, m_times[slot(m_appended - 1)]);
    }
    const qint64 sequence = m_appended;
    const qsizetype s = slot(sequence);
    m_times[s] = time;
    m_values[s] = value;
    for (Level& level : m_levels) {
        const qint64 bucket = sequence >> level.shift;
        ValueRange& r = level.ranges[static_cast<size_t>(bucket % qint64(level.ranges.size()))];
        if ((sequence & ((qint64(1) << level.shift) - 1)) == 0) {
            r = ValueRange{value, value};
        } else {
            r.include(value);
        }
    }
    ++m_appended;
}

void ChartSeries::clear() {
    m_appended = 0;
}

qsizetype ChartSeries::size() const {
    return static_cast<qsizetype>(std::min<qint64>(m_appended, m_capacity));
}

qint64 ChartSeries::firstSequence() const {
    return std::max<qint64>(0, m_appended - m_capacity);
}

ChartPoint ChartSeries::at(qsizetype index) const {
    Q_ASSERT(index >= 0 && index < size());
    const qsizetype s = slot(firstSequence() + index);
    return {m_times[s], m_values[s]};
}

qsizetype ChartSeries::lowerBound(qint64 time) const {
    qsizetype lo = 0;
    qsizetype hi = size();
    const qint64 first = firstSequence();
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (m_times[slot(first + mid)] < time) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

ValueRange ChartSeries::range(qsizetype from, qsizetype to) const {
    from = std::max<qsizetype>(from, 0);
    to = std::min(to, size());
    if (from >= to) {
        return {};
    }
    const qint64 first = firstSequence();
    return rangeOfSequences(first + from, first + to, int(m_levels.size()) - 1);
}

ValueRange ChartSeries::rangeOfSequences(qint64 from, qint64 to, int topLevel) const {
    ValueRange result;
    if (from >= to) {
        return result;
    }
    // The coarsest level with at least one bucket wholly inside [from, to) answers the middle;
    // the two ragged ends, each shorter than one of its buckets, go to the finer levels.
    for (int l = topLevel; l >= 0; --l) {
        const Level& level = m_levels[size_t(l)];
        const qint64 size = qint64(1) << level.shift;
        const qint64 firstBucket = (from + size - 1) >> level.shift;
        const qint64 endBucket = to >> level.shift;
        if (firstBucket >= endBucket) {
            continue;
        }
        const qint64 ring = qint64(level.ranges.size());
        for (qint64 b = firstBucket; b < endBucket; ++b) {
            result.include(level.ranges[size_t(b % ring)]);
        }
        result.include(rangeOfSequences(from, firstBucket << level.shift, l - 1));
        result.include(rangeOfSequences(endBucket << level.shift, to, l - 1));
        return result;
    }
    // Shorter than two of the finest buckets, or a ring too small to have levels.
    for (qint64 q = from; q < to; ++q) {
        result.include(m_values[slot(q)]);
    }
    return result;
}

std::vector<ChartColumn> summarizeColumns(const ChartSeries& series, qint64 from, qint64 to,
                                          int columns) {
    std::vector<ChartColumn> result(size_t(std::max(columns, 0)));
    if (columns <= 0 || to <= from || series.isEmpty()) {
        return result;
    }
    const qint64 span = to - from;
    qsizetype begin = series.lowerBound(from);
    for (int c = 0; c < columns; ++c) {
        const qint64 sliceEnd = from + span * (c + 1) / columns;
        const qsizetype end = series.lowerBound(sliceEnd);
        ChartColumn& column = result[size_t(c)];
        column.count = end - begin;
        if (column.count > 0) {
            column.first = series.at(begin);
            column.last = series.at(end - 1);
            column.range = series.range(begin, end);
        }
        begin = end;
    }
    return result;
}

} // namespace vanto
