// Exploring the chart: zoom about the pointer, pan, the clamp to the history, the hover point.
#include "monitor/chartview.h"

#include <QtTest>

using namespace vanto;

namespace {
constexpr qint64 kEnd = 1'700'000'000'000;
constexpr qint64 kMin = 60 * 1000;
} // namespace

class TestChartView : public QObject {
    Q_OBJECT
private slots:
    void mapping_data();
    void mapping();
    void zoom_data();
    void zoom();
    void wheel();
    void pan();
    void clamp_data();
    void clamp();
    void nearest_data();
    void nearest();
};

void TestChartView::mapping_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<qint64>("time");
    QTest::newRow("left edge") << 0.0 << kEnd - 10 * kMin;
    QTest::newRow("middle") << 400.0 << kEnd - 5 * kMin;
    QTest::newRow("right edge") << 800.0 << kEnd;
    QTest::newRow("a quarter") << 200.0 << kEnd - 10 * kMin + 150'000;
}

void TestChartView::mapping() {
    QFETCH(double, x);
    QFETCH(qint64, time);
    const ChartTimeView v{kEnd, 10 * kMin};
    QCOMPARE(chartTimeAt(v, x, 800), time);
    QCOMPARE(chartXOf(v, time, 800), x);
}

void TestChartView::zoom_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("factor");
    QTest::addColumn<qint64>("window");
    QTest::addColumn<qint64>("end");
    // 10 minutes on 800 pixels; the time under the pointer stays under it.
    QTest::newRow("in at the right edge") << 800.0 << 0.5 << 5 * kMin << kEnd;
    QTest::newRow("in at the left edge") << 0.0 << 0.5 << 5 * kMin << kEnd - 5 * kMin;
    QTest::newRow("in at the middle") << 400.0 << 0.5 << 5 * kMin << kEnd - 5 * kMin / 2;
    QTest::newRow("out at the middle") << 400.0 << 2.0 << 20 * kMin << kEnd + 5 * kMin;
    QTest::newRow("no narrower than 10 s") << 800.0 << 0.0001 << qint64(10'000) << kEnd;
    QTest::newRow("no wider than a day") << 800.0 << 1000.0 << 1440 * kMin << kEnd;
}

void TestChartView::zoom() {
    QFETCH(double, x);
    QFETCH(double, factor);
    const ChartTimeView v{kEnd, 10 * kMin};
    const ChartTimeView z = zoomChartView(v, x, 800, factor);
    QTEST(z.window, "window");
    QTEST(z.end, "end");
    QCOMPARE(chartTimeAt(z, x, 800), chartTimeAt(v, x, 800));
}

void TestChartView::wheel() {
    QVERIFY(wheelZoomFactor(120) < 1);
    QVERIFY(wheelZoomFactor(-120) > 1);
    QCOMPARE(wheelZoomFactor(0), 1.0);
    // Two notches are one notch twice, and a notch out undoes a notch in.
    QVERIFY(qFuzzyCompare(wheelZoomFactor(240), wheelZoomFactor(120) * wheelZoomFactor(120)));
    QVERIFY(qFuzzyCompare(wheelZoomFactor(120) * wheelZoomFactor(-120), 1.0));
}

void TestChartView::pan() {
    const ChartTimeView v{kEnd, 10 * kMin};
    // Dragging 80 of 800 pixels to the right shows a minute earlier.
    QCOMPARE(panChartView(v, 80, 800), (ChartTimeView{kEnd - kMin, 10 * kMin}));
    QCOMPARE(panChartView(v, -80, 800), (ChartTimeView{kEnd + kMin, 10 * kMin}));
}

void TestChartView::clamp_data() {
    QTest::addColumn<qint64>("end");
    QTest::addColumn<qint64>("clamped");
    const qint64 oldest = kEnd - 1440 * kMin;
    QTest::addColumn<qint64>("oldest");
    QTest::newRow("inside") << kEnd - 60 * kMin << kEnd - 60 * kMin << oldest;
    QTest::newRow("after now") << kEnd + kMin << kEnd << oldest;
    QTest::newRow("before the history") << oldest - 60 * kMin << oldest + kMin << oldest;
    QTest::newRow("history shorter than the window") << kEnd - 3 * kMin << kEnd << kEnd - kMin;
}

void TestChartView::clamp() {
    QFETCH(qint64, end);
    QFETCH(qint64, oldest);
    const ChartTimeView v = clampChartView({end, 10 * kMin}, oldest, kEnd);
    QTEST(v.end, "clamped");
    QCOMPARE(v.window, 10 * kMin);
}

void TestChartView::nearest_data() {
    QTest::addColumn<qint64>("time");
    QTest::addColumn<qint64>("reach");
    QTest::addColumn<double>("value"); // -1: none
    // Points at 0, 200, 400 ms with values 0, 1, 2, then a gap to 10 s (value 3).
    QTest::newRow("on a point") << qint64(200) << qint64(100) << 1.0;
    QTest::newRow("nearer the earlier") << qint64(290) << qint64(100) << 1.0;
    QTest::newRow("nearer the later") << qint64(310) << qint64(100) << 2.0;
    QTest::newRow("before the first") << qint64(-50) << qint64(100) << 0.0;
    QTest::newRow("after the last") << qint64(10'050) << qint64(100) << 3.0;
    QTest::newRow("in the gap, out of reach") << qint64(5000) << qint64(100) << -1.0;
}

void TestChartView::nearest() {
    QFETCH(qint64, time);
    QFETCH(qint64, reach);
    QFETCH(double, value);
    ChartSeries s(16);
    s.append(kEnd + 0, 0);
    s.append(kEnd + 200, 1);
    s.append(kEnd + 400, 2);
    s.append(kEnd + 10'000, 3);
    const auto p = nearestChartPoint(s, kEnd + time, reach);
    QCOMPARE(p.has_value(), value >= 0);
    if (p)
        QCOMPARE(p->value, value);
}

QTEST_GUILESS_MAIN(TestChartView)
#include "test_chartview.moc"
