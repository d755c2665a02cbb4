#include "monitor/chartscale.h"

#include <QTest>

#include <cmath>

using namespace vanto;

Q_DECLARE_METATYPE(std::vector<double>)

class TestChartScale : public QObject {
    Q_OBJECT
private slots:
    void setSpan_data();
    void setSpan();
    void newLimitsPullSpanIn_data();
    void newLimitsPullSpanIn();
    void unitScales_data();
    void unitScales();
    void drag_data();
    void drag();
    void shiftStopsAtLimits_data();
    void shiftStopsAtLimits();
    void niceTicksCases_data();
    void niceTicksCases();
    void niceTicksLadder();
    void timeTickStepCases_data();
    void timeTickStepCases();
};

void TestChartScale::setSpan_data() {
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("expectLow");
    QTest::addColumn<double>("expectHigh");
    // Limits 10..50 throughout; minimum span 0.04.
    QTest::newRow("inside") << 20.0 << 30.0 << 20.0 << 30.0;
    QTest::newRow("reversed ends") << 30.0 << 20.0 << 20.0 << 30.0;
    QTest::newRow("below the limits") << 0.0 << 30.0 << 10.0 << 30.0;
    QTest::newRow("above the limits") << 20.0 << 90.0 << 20.0 << 50.0;
    QTest::newRow("wider than the limits") << -5.0 << 500.0 << 10.0 << 50.0;
    QTest::newRow("empty span widened up") << 25.0 << 25.0 << 25.0 << 25.04;
    QTest::newRow("empty span at the top widened down") << 50.0 << 50.0 << 49.96 << 50.0;
    QTest::newRow("wholly above collapses to the top") << 60.0 << 70.0 << 49.96 << 50.0;
}

void TestChartScale::setSpan() {
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, expectLow);
    QFETCH(double, expectHigh);
    ChartScale scale;
    scale.setLimits(10, 50);
    scale.setSpan(low, high);
    QCOMPARE(scale.spanLow(), expectLow);
    QCOMPARE(scale.spanHigh(), expectHigh);
}

void TestChartScale::newLimitsPullSpanIn_data() {
    QTest::addColumn<double>("limitLow");
    QTest::addColumn<double>("limitHigh");
    QTest::addColumn<double>("expectLow");
    QTest::addColumn<double>("expectHigh");
    // Span 20..40 before.
    QTest::newRow("wider limits keep the span") << 0.0 << 100.0 << 20.0 << 40.0;
    QTest::newRow("raised floor") << 25.0 << 100.0 << 25.0 << 40.0;
    QTest::newRow("lowered ceiling") << 0.0 << 30.0 << 20.0 << 30.0;
    QTest::newRow("reversed limits") << 30.0 << 0.0 << 20.0 << 30.0;
}

void TestChartScale::newLimitsPullSpanIn() {
    QFETCH(double, limitLow);
    QFETCH(double, limitHigh);
    QFETCH(double, expectLow);
    QFETCH(double, expectHigh);
    ChartScale scale;
    scale.setLimits(0, 100);
    scale.setSpan(20, 40);
    scale.setLimits(limitLow, limitHigh);
    QCOMPARE(scale.limitLow(), std::min(limitLow, limitHigh));
    QCOMPARE(scale.limitHigh(), std::max(limitLow, limitHigh));
    QCOMPARE(scale.spanLow(), expectLow);
    QCOMPARE(scale.spanHigh(), expectHigh);
}

void TestChartScale::unitScales_data() {
    // The chart scale of a running program: span Base·v .. (Base + Range)·v + 0.5·v, limits
    // m·v .. the same top, m = 5.9 for a minimum base of 6 and 12.9 otherwise.
    QTest::addColumn<double>("v");
    QTest::addColumn<double>("base");
    QTest::addColumn<double>("range");
    QTest::addColumn<double>("m");
    QTest::newRow("inches, minimum base 13") << 1.0 << 13.0 << 30.0 << 12.9;
    QTest::newRow("centimetres, minimum base 13") << 2.54 << 13.0 << 30.0 << 12.9;
    QTest::newRow("inches, minimum base 6") << 1.0 << 6.0 << 100.0 << 5.9;
}

void TestChartScale::unitScales() {
    QFETCH(double, v);
    QFETCH(double, base);
    QFETCH(double, range);
    QFETCH(double, m);
    const double top = (base + range) * v + 0.5 * v;
    ChartScale scale;
    // Start from something unrelated, as after another program ran: the span is set in one step
    // with its limits and must not be cut by the old ones.
    scale.set(0, 1, 0, 1);
    scale.set(base * v, top, m * v, top);
    QCOMPARE(scale.spanLow(), base * v);
    QCOMPARE(scale.spanHigh(), top);
    QCOMPARE(scale.limitLow(), m * v);
    QCOMPARE(scale.limitHigh(), top);
}

void TestChartScale::drag_data() {
    QTest::addColumn<bool>("highEnd");
    QTest::addColumn<double>("to");
    QTest::addColumn<double>("expectLow");
    QTest::addColumn<double>("expectHigh");
    // Limits 0..100, span 20..60, minimum span 0.1.
    QTest::newRow("low end down") << false << 5.0 << 5.0 << 60.0;
    QTest::newRow("low end below its limit") << false << -30.0 << 0.0 << 60.0;
    QTest::newRow("low end onto the high end") << false << 60.0 << 59.9 << 60.0;
    QTest::newRow("low end past the high end") << false << 80.0 << 59.9 << 60.0;
    QTest::newRow("high end up") << true << 95.0 << 20.0 << 95.0;
    QTest::newRow("high end above its limit") << true << 300.0 << 20.0 << 100.0;
    QTest::newRow("high end below the low end") << true << 10.0 << 20.0 << 20.1;
}

void TestChartScale::drag() {
    QFETCH(bool, highEnd);
    QFETCH(double, to);
    QFETCH(double, expectLow);
    QFETCH(double, expectHigh);
    ChartScale scale;
    scale.set(20, 60, 0, 100);
    if (highEnd) {
        scale.dragHigh(to);
    } else {
        scale.dragLow(to);
    }
    QVERIFY(qFuzzyCompare(scale.spanLow(), expectLow));
    QVERIFY(qFuzzyCompare(scale.spanHigh(), expectHigh));
}

void TestChartScale::shiftStopsAtLimits_data() {
    QTest::addColumn<double>("delta");
    QTest::addColumn<double>("expectLow");
    QTest::addColumn<double>("expectHigh");
    QTest::newRow("up") << 10.0 << 30.0 << 70.0;
    QTest::newRow("down") << -15.0 << 5.0 << 45.0;
    QTest::newRow("up past the ceiling") << 90.0 << 60.0 << 100.0;
    QTest::newRow("down past the floor") << -90.0 << 0.0 << 40.0;
}

void TestChartScale::shiftStopsAtLimits() {
    QFETCH(double, delta);
    QFETCH(double, expectLow);
    QFETCH(double, expectHigh);
    ChartScale scale;
    scale.set(20, 60, 0, 100);
    scale.shift(delta);
    QCOMPARE(scale.spanLow(), expectLow);
    QCOMPARE(scale.spanHigh(), expectHigh);
}

void TestChartScale::niceTicksCases_data() {
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<int>("maxTicks");
    QTest::addColumn<std::vector<double>>("expected");
    QTest::newRow("0..100") << 0.0 << 100.0 << 6 << std::vector<double>{0, 20, 40, 60, 80, 100};
    QTest::newRow("inch span") << 13.0 << 43.5 << 8 << std::vector<double>{15, 20, 25, 30, 35, 40};
    QTest::newRow("centimetre span")
        << 33.02 << 110.49 << 5 << std::vector<double>{40, 60, 80, 100};
    QTest::newRow("decimals") << 0.1 << 0.55 << 6 << std::vector<double>{0.1, 0.2, 0.3, 0.4, 0.5};
    QTest::newRow("negative to positive") << -7.0 << 12.0 << 5 << std::vector<double>{-5, 0, 5, 10};
    QTest::newRow("empty interval") << 5.0 << 5.0 << 5 << std::vector<double>{};
    QTest::newRow("room for one tick only") << 0.0 << 10.0 << 1 << std::vector<double>{};
}

void TestChartScale::niceTicksCases() {
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(int, maxTicks);
    QFETCH(std::vector<double>, expected);
    const std::vector<double> ticks = niceTicks(low, high, maxTicks);
    QCOMPARE(ticks.size(), expected.size());
    for (size_t i = 0; i < ticks.size(); ++i) {
        QVERIFY2(std::abs(ticks[i] - expected[i]) < 1e-12,
                 qPrintable(QStringLiteral("tick %1: %2").arg(i).arg(ticks[i], 0, 'g', 17)));
    }
}

void TestChartScale::niceTicksLadder() {
    // Over many intervals: never more than asked, all inside, evenly spaced on a 1-2-5 step,
    // and at least two ticks whenever four are allowed.
    for (double low = -37.3; low < 60; low += 3.7) {
        for (double width : {0.013, 0.7, 4.0, 29.5, 77.7, 1234.0}) {
            for (int maxTicks : {4, 5, 8, 11}) {
                const std::vector<double> t = niceTicks(low, low + width, maxTicks);
                QVERIFY(int(t.size()) <= maxTicks);
                QVERIFY(t.size() >= 2);
                QVERIFY(t.front() >= low - 1e-9 && t.back() <= low + width + 1e-9);
                const double step = t[1] - t[0];
                const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
                QVERIFY2(std::abs(mantissa - 1) < 1e-6 || std::abs(mantissa - 2) < 1e-6 ||
                             std::abs(mantissa - 5) < 1e-6,
                         qPrintable(QString::number(step)));
                for (size_t i = 1; i < t.size(); ++i) {
                    QVERIFY(std::abs((t[i] - t[i - 1]) - step) < step * 1e-6);
                }
            }
        }
    }
}

void TestChartScale::timeTickStepCases_data() {
    QTest::addColumn<qint64>("windowMs");
    QTest::addColumn<int>("maxLabels");
    QTest::addColumn<qint64>("step");
    QTest::newRow("1 min, 8 labels") << qint64(60'000) << 8 << qint64(10'000);
    QTest::newRow("10 min, 8 labels") << qint64(600'000) << 8 << qint64(120'000);
    QTest::newRow("1 h, 8 labels") << qint64(3'600'000) << 8 << qint64(600'000);
    QTest::newRow("24 h, 8 labels") << qint64(86'400'000) << 8 << qint64(3 * 3'600'000);
    QTest::newRow("24 h, 2 labels") << qint64(86'400'000) << 2 << qint64(12 * 3'600'000);
    QTest::newRow("beyond the ladder") << qint64(86'400'000) * 30 << 2 << qint64(86'400'000);
    QTest::newRow("short window") << qint64(5'000) << 10 << qint64(1'000);
}

void TestChartScale::timeTickStepCases() {
    QFETCH(qint64, windowMs);
    QFETCH(int, maxLabels);
    QFETCH(qint64, step);
    QCOMPARE(timeTickStep(windowMs, maxLabels), step);
}

QTEST_GUILESS_MAIN(TestChartScale)
#include "test_chartscale.moc"
