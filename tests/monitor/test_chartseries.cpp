#include "monitor/chartseries.h"

#include <QRandomGenerator>
#include <QTest>

#include <vector>

using namespace vanto;

namespace {

// The reference: every point appended, with the time the series is documented to store.
struct Reference {
    std::vector<ChartPoint> all;
    void append(qint64 time, double value) {
        if (!all.empty() && time < all.back().time) {
            time = all.back().time;
        }
        all.push_back({time, value});
    }
    // The points a ring of `capacity` keeps.
    std::vector<ChartPoint> kept(qsizetype capacity) const {
        const size_t n = std::min(all.size(), size_t(capacity));
        return {all.end() - qsizetype(n), all.end()};
    }
};

ValueRange bruteRange(const std::vector<ChartPoint>& points, qsizetype from, qsizetype to) {
    ValueRange r;
    for (qsizetype i = std::max<qsizetype>(from, 0); i < std::min<qsizetype>(to, points.size());
         ++i) {
        r.include(points[size_t(i)].value);
    }
    return r;
}

// Fills series and reference alike with random values at irregular, partly repeated times.
void fillRandom(ChartSeries& series, Reference& ref, qint64 count, quint32 seed) {
    QRandomGenerator random(seed);
    qint64 t = 1'000'000;
    for (qint64 i = 0; i < count; ++i) {
        t += random.bounded(3) * 100; // 0, 100 or 200 ms: equal times occur
        const double v = random.generateDouble() * 200 - 100;
        series.append(t, v);
        ref.append(t, v);
    }
}

} // namespace

class TestChartSeries : public QObject {
    Q_OBJECT
private slots:
    void ringKeepsNewest_data();
    void ringKeepsNewest();
    void timesNeverGoBack();
    void lowerBound_data();
    void lowerBound();
    void rangeMatchesScan_data();
    void rangeMatchesScan();
    void rangeOutsideHistory();
    void columnsMatchScan_data();
    void columnsMatchScan();
    void fullDay();
    void clearStartsOver();
};

void TestChartSeries::ringKeepsNewest_data() {
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("appended");
    QTest::newRow("empty") << 10 << 0;
    QTest::newRow("partly filled") << 10 << 7;
    QTest::newRow("exactly full") << 10 << 10;
    QTest::newRow("one past full") << 10 << 11;
    QTest::newRow("wrapped several times") << 10 << 57;
    QTest::newRow("capacity one") << 1 << 5;
    QTest::newRow("bucket-sized ring") << 64 << 200;
    QTest::newRow("odd ring") << 1001 << 5003;
}

void TestChartSeries::ringKeepsNewest() {
    QFETCH(int, capacity);
    QFETCH(int, appended);
    ChartSeries series(capacity);
    for (int i = 0; i < appended; ++i) {
        series.append(i * 200, i);
    }
    QCOMPARE(series.capacity(), capacity);
    QCOMPARE(series.size(), std::min(capacity, appended));
    QCOMPARE(series.isEmpty(), appended == 0);
    QCOMPARE(series.appendedCount(), appended);
    const int oldest = appended - int(series.size());
    for (qsizetype i = 0; i < series.size(); ++i) {
        const ChartPoint p = series.at(i);
        QCOMPARE(p.value, double(oldest + i));
        QCOMPARE(p.time, qint64(oldest + i) * 200);
    }
    if (appended > 0) {
        QCOMPARE(series.newest().value, double(appended - 1));
    }
}

void TestChartSeries::timesNeverGoBack() {
    ChartSeries series(8);
    series.append(1000, 1);
    series.append(900, 2); // the clock stepped back: kept in order at the newest time
    series.append(1200, 3);
    QCOMPARE(series.at(1).time, qint64(1000));
    QCOMPARE(series.at(1).value, 2.0);
    QCOMPARE(series.lowerBound(1001), 2);
}

void TestChartSeries::lowerBound_data() {
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("appended");
    QTest::newRow("not wrapped") << 500 << 300;
    QTest::newRow("wrapped") << 300 << 1234;
}

void TestChartSeries::lowerBound() {
    QFETCH(int, capacity);
    QFETCH(int, appended);
    ChartSeries series(capacity);
    Reference ref;
    fillRandom(series, ref, appended, 7);
    const std::vector<ChartPoint> kept = ref.kept(capacity);
    const qint64 lo = kept.front().time - 150;
    const qint64 hi = kept.back().time + 150;
    for (qint64 t = lo; t <= hi; t += 50) {
        const auto it = std::lower_bound(kept.begin(), kept.end(), t,
                                         [](const ChartPoint& p, qint64 v) { return p.time < v; });
        QCOMPARE(series.lowerBound(t), qsizetype(it - kept.begin()));
    }
}

void TestChartSeries::rangeMatchesScan_data() {
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("appended");
    QTest::addColumn<int>("maxLength");
    QTest::newRow("ring smaller than a bucket") << 5 << 23 << 5;
    QTest::newRow("short stretches") << 4096 << 3000 << 20;
    QTest::newRow("stretches across levels") << 4096 << 4096 << 4096;
    QTest::newRow("wrapped, odd ring, short") << 3001 << 10'007 << 40;
    QTest::newRow("wrapped, odd ring, long") << 3001 << 10'007 << 3001;
    QTest::newRow("wrapped at a bucket edge") << 4096 << 4096 * 3 + 512 << 4096;
}

void TestChartSeries::rangeMatchesScan() {
    QFETCH(int, capacity);
    QFETCH(int, appended);
    QFETCH(int, maxLength);
    ChartSeries series(capacity);
    Reference ref;
    fillRandom(series, ref, appended, quint32(capacity * 31 + appended));
    const std::vector<ChartPoint> kept = ref.kept(capacity);
    QRandomGenerator random(99);
    for (int trial = 0; trial < 400; ++trial) {
        const int from = int(random.bounded(int(kept.size())));
        const int to = from + 1 + int(random.bounded(maxLength));
        const ValueRange expected = bruteRange(kept, from, to);
        const ValueRange got = series.range(from, to);
        QVERIFY2(got.min == expected.min && got.max == expected.max,
                 qPrintable(QStringLiteral("[%1, %2)").arg(from).arg(to)));
    }
    // The whole history in one stretch.
    const ValueRange whole = series.range(0, series.size());
    const ValueRange expected = bruteRange(kept, 0, qsizetype(kept.size()));
    QCOMPARE(whole.min, expected.min);
    QCOMPARE(whole.max, expected.max);
}

void TestChartSeries::rangeOutsideHistory() {
    ChartSeries series(16);
    QVERIFY(series.range(0, 10).isEmpty());
    for (int i = 0; i < 20; ++i) {
        series.append(i, i);
    }
    QVERIFY(series.range(5, 5).isEmpty());
    QVERIFY(series.range(9, 3).isEmpty());
    const ValueRange clipped = series.range(-5, 100); // limited to the 16 kept points
    QCOMPARE(clipped.min, 4.0);
    QCOMPARE(clipped.max, 19.0);
}

void TestChartSeries::columnsMatchScan_data() {
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("appended");
    QTest::addColumn<qint64>("windowMs");
    QTest::addColumn<int>("columns");
    // Windows with fewer points than columns, about as many, and hundreds per column.
    QTest::newRow("1 min on 800 px") << 20'000 << 20'000 << qint64(60'000) << 800;
    QTest::newRow("10 min on 800 px") << 20'000 << 20'000 << qint64(600'000) << 800;
    QTest::newRow("whole history on 300 px") << 20'000 << 20'000 << qint64(2'100'000) << 300;
    QTest::newRow("window older than history") << 5'000 << 20'000 << qint64(2'100'000) << 640;
    QTest::newRow("odd column count") << 9'999 << 31'000 << qint64(900'000) << 997;
    QTest::newRow("one column") << 4'000 << 4'000 << qint64(300'000) << 1;
}

void TestChartSeries::columnsMatchScan() {
    QFETCH(int, capacity);
    QFETCH(int, appended);
    QFETCH(qint64, windowMs);
    QFETCH(int, columns);
    ChartSeries series(capacity);
    Reference ref;
    fillRandom(series, ref, appended, 4242);
    const std::vector<ChartPoint> kept = ref.kept(capacity);
    const qint64 to = kept.back().time + 1;
    const qint64 from = to - windowMs;

    const std::vector<ChartColumn> got = summarizeColumns(series, from, to, columns);
    QCOMPARE(int(got.size()), columns);
    size_t next = 0;
    while (next < kept.size() && kept[next].time < from) {
        ++next;
    }
    for (int c = 0; c < columns; ++c) {
        const qint64 sliceEnd = from + windowMs * (c + 1) / columns;
        ChartColumn expected;
        for (; next < kept.size() && kept[next].time < sliceEnd; ++next) {
            if (expected.count == 0) {
                expected.first = kept[next];
            }
            expected.last = kept[next];
            expected.range.include(kept[next].value);
            ++expected.count;
        }
        const ChartColumn& col = got[size_t(c)];
        QCOMPARE(col.count, expected.count);
        if (expected.count > 0) {
            QCOMPARE(col.first.time, expected.first.time);
            QCOMPARE(col.first.value, expected.first.value);
            QCOMPARE(col.last.value, expected.last.value);
            QCOMPARE(col.range.min, expected.range.min);
            QCOMPARE(col.range.max, expected.range.max);
        }
    }
}

void TestChartSeries::fullDay() {
    // A day at five points a second, plus an hour more so that the ring has wrapped.
    ChartSeries series;
    QCOMPARE(series.capacity(), qsizetype(432'000));
    Reference ref;
    fillRandom(series, ref, 432'000 + 18'000, 2024);
    QCOMPARE(series.size(), qsizetype(432'000));
    const std::vector<ChartPoint> kept = ref.kept(series.capacity());
    QCOMPARE(series.at(0).time, kept.front().time);
    QCOMPARE(series.newest().value, kept.back().value);
    for (auto [from, to] : {std::pair<int, int>{0, 432'000}, {1, 431'999}, {123'457, 300'001}}) {
        const ValueRange expected = bruteRange(kept, from, to);
        const ValueRange got = series.range(from, to);
        QCOMPARE(got.min, expected.min);
        QCOMPARE(got.max, expected.max);
    }
}

void TestChartSeries::clearStartsOver() {
    ChartSeries series(8);
    for (int i = 0; i < 13; ++i) {
        series.append(i, 100 + i);
    }
    series.clear();
    QVERIFY(series.isEmpty());
    QCOMPARE(series.size(), 0);
    series.append(50, -1);
    series.append(60, -2);
    QCOMPARE(series.size(), 2);
    QCOMPARE(series.at(0).value, -1.0);
    const ValueRange r = series.range(0, 2);
    QCOMPARE(r.min, -2.0);
    QCOMPARE(r.max, -1.0); // nothing left over from before the clear
}

QTEST_GUILESS_MAIN(TestChartSeries)
#include "test_chartseries.moc"
