// The chart's model without widgets: the day-long history ring and its min/max summaries, the
// value scale and span, the ticks, and the time view the mouse explores.
#include "monitor/chartscale.h"
#include "monitor/chartseries.h"
#include "monitor/chartview.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <vector>

using namespace vanto;

Q_DECLARE_METATYPE(std::vector<double>)

namespace {

constexpr qint64 kEnd = 1'700'000'000'000;
constexpr qint64 kMin = 60 * 1000;

// Fills the series with random values at irregular, partly equal times; returns every point.
std::vector<ChartPoint> fillRandom(ChartSeries& series, qint64 count, quint32 seed) {
    QRandomGenerator random(seed);
    std::vector<ChartPoint> all;
    qint64 t = 1'000'000;
    for (qint64 i = 0; i < count; ++i) {
        t += random.bounded(3) * 100; // 0, 100 or 200 ms
        const double v = random.generateDouble() * 200 - 100;
        series.append(t, v);
        all.push_back({t, v});
    }
    // The points the ring keeps: the newest `capacity`.
    all.erase(all.begin(),
              all.end() - std::min<qsizetype>(qsizetype(all.size()), series.capacity()));
    return all;
}

ValueRange scan(const std::vector<ChartPoint>& points, qsizetype from, qsizetype to) {
    ValueRange r;
    for (qsizetype i = std::max<qsizetype>(from, 0); i < std::min<qsizetype>(to, points.size());
         ++i)
        r.include(points[size_t(i)].value);
    return r;
}

} // namespace

class TestChart : public QObject {
    Q_OBJECT
private slots:
    void seriesMatchesAScan_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("appended");
        QTest::addColumn<int>("maxLength"); // of the stretches searched
        QTest::newRow("capacity one") << 1 << 5 << 1;
        QTest::newRow("ring smaller than a bucket") << 5 << 23 << 5;
        QTest::newRow("short stretches") << 4096 << 3000 << 20;
        QTest::newRow("wrapped, odd ring, long") << 3001 << 10'007 << 3001;
        QTest::newRow("wrapped at a bucket edge") << 4096 << 4096 * 3 + 512 << 4096;
        QTest::newRow("a full day") << 432'000 << 432'000 + 18'000 << 432'000;
    }

    void seriesMatchesAScan() {
        QFETCH(int, capacity);
        QFETCH(int, appended);
        QFETCH(int, maxLength);
        ChartSeries series(capacity);
        const std::vector<ChartPoint> kept =
            fillRandom(series, appended, quint32(capacity + appended));
        // The ring keeps the newest points, in order.
        QCOMPARE(series.size(), qsizetype(kept.size()));
        QCOMPARE(series.appendedCount(), appended);
        for (qsizetype i = 0; i < series.size(); i += 1 + series.size() / 1000)
            QCOMPARE(series.at(i).time, kept[size_t(i)].time);
        QRandomGenerator random(99);
        for (int trial = 0; trial < 200; ++trial) {
            const int from = int(random.bounded(int(kept.size())));
            const int to = from + 1 + int(random.bounded(maxLength));
            const ValueRange expected = scan(kept, from, to);
            const ValueRange got = series.range(from, to);
            QVERIFY2(got.min == expected.min && got.max == expected.max,
                     qPrintable(QStringLiteral("[%1, %2)").arg(from).arg(to)));
            const qint64 t = kept[size_t(from)].time + 50 * (trial % 3 - 1);
            const auto it =
                std::lower_bound(kept.begin(), kept.end(), t,
                                 [](const ChartPoint& p, qint64 v) { return p.time < v; });
            QCOMPARE(series.lowerBound(t), qsizetype(it - kept.begin()));
        }
        QVERIFY(series.range(9, 3).isEmpty());
        const ValueRange clipped = series.range(-5, qsizetype(kept.size()) + 100);
        QCOMPARE(clipped.min, scan(kept, 0, qsizetype(kept.size())).min);
        // The summary per pixel column of the newer half: 97 columns of fewer to hundreds of
        // points.
        const qint64 to = kept.back().time + 1;
        const qint64 from = kept[kept.size() / 2].time;
        const std::vector<ChartColumn> columns = summarizeColumns(series, from, to, 97);
        QCOMPARE(columns.size(), size_t(97));
        size_t next = 0;
        while (kept[next].time < from)
            ++next;
        for (int c = 0; c < 97; ++c) {
            ChartColumn expected;
            for (; next < kept.size() && kept[next].time < from + (to - from) * (c + 1) / 97;
                 ++next) {
                if (expected.count++ == 0)
                    expected.first = kept[next];
                expected.last = kept[next];
                expected.range.include(kept[next].value);
            }
            const ChartColumn& got = columns[size_t(c)];
            QCOMPARE(got.count, expected.count);
            QVERIFY(got.count == 0 ||
                    (got.first.time == expected.first.time &&
                     got.last.value == expected.last.value && got.range.min == expected.range.min &&
                     got.range.max == expected.range.max));
        }
        // The clock stepping back stores the point in order, at the newest time.
        series.append(-5, -1);
        QCOMPARE(series.newest().time, kept.back().time);
        // Nothing of before a clear is left, not even in the summaries.
        series.clear();
        series.append(50, -1);
        series.append(60, -2);
        QCOMPARE(series.size(), std::min(capacity, 2));
        QCOMPARE(series.range(0, 2).max, capacity == 1 ? -2.0 : -1.0);
    }

    void span_data() {
        // Each row starts from limits 0..100 and span 20..60; the least span is 0.1.
        QTest::addColumn<QString>("operation");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("expectLow");
        QTest::addColumn<double>("expectHigh");
        QTest::newRow("set inside") << "set" << 30.0 << 40.0 << 30.0 << 40.0;
        QTest::newRow("set reversed") << "set" << 40.0 << 30.0 << 30.0 << 40.0;
        QTest::newRow("set wider than the limits") << "set" << -5.0 << 500.0 << 0.0 << 100.0;
        QTest::newRow("set empty, widened up") << "set" << 25.0 << 25.0 << 25.0 << 25.1;
        QTest::newRow("set empty at the top") << "set" << 100.0 << 100.0 << 99.9 << 100.0;
        QTest::newRow("set wholly above") << "set" << 160.0 << 170.0 << 99.9 << 100.0;
        QTest::newRow("limits raise the floor") << "limits" << 25.0 << 100.0 << 25.0 << 60.0;
        QTest::newRow("limits lower the ceiling") << "limits" << 30.0 << 0.0 << 20.0 << 30.0;
        QTest::newRow("low end below its limit") << "dragLow" << -30.0 << 0.0 << 0.0 << 60.0;
        QTest::newRow("low end past the high end") << "dragLow" << 80.0 << 0.0 << 59.9 << 60.0;
        QTest::newRow("high end above its limit") << "dragHigh" << 300.0 << 0.0 << 20.0 << 100.0;
        QTest::newRow("high end below the low end") << "dragHigh" << 10.0 << 0.0 << 20.0 << 20.1;
        QTest::newRow("shift up") << "shift" << 10.0 << 0.0 << 30.0 << 70.0;
        QTest::newRow("shift past the ceiling") << "shift" << 90.0 << 0.0 << 60.0 << 100.0;
        QTest::newRow("shift past the floor") << "shift" << -90.0 << 0.0 << 0.0 << 40.0;
        // A running program's scale is set in one step with its limits, not cut by the old ones.
        QTest::newRow("span and limits at once") << "all" << 330.2 << 1104.9 << 330.2 << 1104.9;
    }

    void span() {
        QFETCH(QString, operation);
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(double, expectLow);
        QFETCH(double, expectHigh);
        ChartScale scale;
        scale.set(20, 60, 0, 100);
        if (operation == "set")
            scale.setSpan(a, b);
        else if (operation == "limits")
            scale.setLimits(a, b);
        else if (operation == "dragLow")
            scale.dragLow(a);
        else if (operation == "dragHigh")
            scale.dragHigh(a);
        else if (operation == "shift")
            scale.shift(a);
        else
            scale.set(a, b, 327.66, b);
        QVERIFY2(qFuzzyCompare(scale.spanLow(), expectLow) &&
                     qFuzzyCompare(scale.spanHigh(), expectHigh),
                 qPrintable(QStringLiteral("%1..%2").arg(scale.spanLow()).arg(scale.spanHigh())));
    }

    void ticks_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<int>("maxTicks");
        QTest::addColumn<std::vector<double>>("expected");
        QTest::newRow("0..100") << 0.0 << 100.0 << 6 << std::vector<double>{0, 20, 40, 60, 80, 100};
        QTest::newRow("0..100, five at most")
            << 0.0 << 100.0 << 5 << std::vector<double>{0, 50, 100};
        QTest::newRow("inch span")
            << 13.0 << 43.5 << 8 << std::vector<double>{15, 20, 25, 30, 35, 40};
        QTest::newRow("centimetre span")
            << 33.02 << 110.49 << 5 << std::vector<double>{40, 60, 80, 100};
        QTest::newRow("decimals") << 0.1 << 0.55 << 6
                                  << std::vector<double>{0.1, 0.2, 0.3, 0.4, 0.5};
        QTest::newRow("negative to positive")
            << -7.0 << 12.0 << 5 << std::vector<double>{-5, 0, 5, 10};
        QTest::newRow("empty interval") << 5.0 << 5.0 << 5 << std::vector<double>{};
        QTest::newRow("room for one tick only") << 0.0 << 10.0 << 1 << std::vector<double>{};
    }

    void ticks() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(int, maxTicks);
        QFETCH(std::vector<double>, expected);
        std::vector<double> ticks = niceTicks(low, high, maxTicks);
        for (double& t : ticks)
            t = std::round(t * 1e9) / 1e9;
        QCOMPARE(ticks, expected);
    }

    void timeView() {
        const ChartTimeView v{kEnd, 10 * kMin};
        // 10 minutes on 800 pixels.
        QCOMPARE(chartTimeAt(v, 200, 800), kEnd - 10 * kMin + 150'000);
        QCOMPARE(chartXOf(v, kEnd - 5 * kMin, 800), 400.0);
        // Zooming keeps the time under the pointer, between 10 s and a day.
        for (const auto& [x, factor, window] :
             {std::tuple<double, double, qint64>{0, 0.5, 5 * kMin},
              {400, 2.0, 20 * kMin},
              {800, 0.0001, 10'000},
              {800, 1000.0, 1440 * kMin}}) {
            const ChartTimeView z = zoomChartView(v, x, 800, factor);
            QCOMPARE(z.window, window);
            QCOMPARE(chartTimeAt(z, x, 800), chartTimeAt(v, x, 800));
        }
        QVERIFY(wheelZoomFactor(120) < 1 && wheelZoomFactor(-120) > 1);
        QVERIFY(qFuzzyCompare(wheelZoomFactor(240), wheelZoomFactor(120) * wheelZoomFactor(120)));
        QVERIFY(qFuzzyCompare(wheelZoomFactor(120) * wheelZoomFactor(-120), 1.0));
        // Dragging 80 of 800 pixels to the right shows a minute earlier.
        QCOMPARE(panChartView(v, 80, 800), (ChartTimeView{kEnd - kMin, 10 * kMin}));
        // The view stays between the oldest point and now.
        const qint64 oldest = kEnd - 1440 * kMin;
        QCOMPARE(clampChartView({kEnd - 60 * kMin, 10 * kMin}, oldest, kEnd).end, kEnd - 60 * kMin);
        QCOMPARE(clampChartView({kEnd + kMin, 10 * kMin}, oldest, kEnd).end, kEnd);
        QCOMPARE(clampChartView({oldest - 60 * kMin, 10 * kMin}, oldest, kEnd).end, oldest + kMin);
        QCOMPARE(clampChartView({kEnd - 3 * kMin, 10 * kMin}, kEnd - kMin, kEnd).end, kEnd);
        // The time axis: a step from the ladder that fits the labels.
        for (const auto& [window, labels, step] :
             {std::tuple<qint64, int, qint64>{60'000, 8, 10'000},
              {600'000, 8, 120'000},
              {86'400'000, 8, 3 * 3'600'000},
              {86'400'000, 2, 12 * 3'600'000}})
            QCOMPARE(timeTickStep(window, labels), step);
    }

    void nearest_data() {
        QTest::addColumn<qint64>("time");
        QTest::addColumn<double>("value"); // -1: none
        // Points at 0, 200, 400 ms with values 0, 1, 2, then a gap to 10 s (value 3); reach 100 ms.
        QTest::newRow("on a point") << qint64(200) << 1.0;
        QTest::newRow("nearer the earlier") << qint64(290) << 1.0;
        QTest::newRow("nearer the later") << qint64(310) << 2.0;
        QTest::newRow("before the first") << qint64(-50) << 0.0;
        QTest::newRow("after the last") << qint64(10'050) << 3.0;
        QTest::newRow("in the gap, out of reach") << qint64(5000) << -1.0;
    }

    void nearest() {
        QFETCH(qint64, time);
        QFETCH(double, value);
        ChartSeries s(16);
        for (const auto& [t, v] :
             {std::pair<qint64, double>{0, 0}, {200, 1}, {400, 2}, {10'000, 3}})
            s.append(kEnd + t, v);
        const auto p = nearestChartPoint(s, kEnd + time, 100);
        QCOMPARE(p.has_value(), value >= 0);
        if (p)
            QCOMPARE(p->value, value);
    }
};

QTEST_GUILESS_MAIN(TestChart)
#include "test_chart.moc"
