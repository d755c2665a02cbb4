// The strip chart's mouse: wheel zoom, drag to pan (pausing), back to live, hover readout.
#include "widgets/stripchart.h"

#include <QApplication>
#include <QDateTime>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

using namespace vanto;

namespace {

constexpr qint64 kT0 = 1'700'000'000'000;

struct Chart {
    qint64 clock = kT0;
    StripChart chart{nullptr, 20'000};
    Chart() {
        chart.setClock([this] { return clock; });
        chart.resize(800, 300);
        chart.setScale(0, 100, 0, 100);
        // An hour of points, 200 ms apart, each worth its minute of the hour.
        for (int i = 0; i < 3600 * 5; ++i) {
            clock += 200;
            chart.append(double(i / 300));
        }
        chart.setTimeWindow(10 * StripChart::kMinute);
    }
    void wheel(QPointF at, int delta) {
        QWheelEvent e(at, chart.mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(&chart, &e);
    }
    QPoint plotPoint(double fx, double fy = 0.5) const {
        const QRectF p = chart.plotArea();
        return QPoint(int(p.left() + fx * p.width()), int(p.top() + fy * p.height()));
    }
};

} // namespace

class TestChartExplore : public QObject {
    Q_OBJECT
private slots:
    void wheelZoomsLiveAtTheRightEdge();
    void wheelZoomsPausedAboutThePointer();
    void dragPansBackAndPauses();
    void backToLive();
    void hoverReadsTimeAndValue();
};

void TestChartExplore::wheelZoomsLiveAtTheRightEdge() {
    Chart c;
    c.wheel(c.plotPoint(0.25), 120);
    QVERIFY(!c.chart.isPaused());
    QCOMPARE(c.chart.timeWindow(), 8 * StripChart::kMinute);
    QCOMPARE(c.chart.viewEnd(), c.clock);
    // Outside the plot the wheel does nothing.
    c.wheel(QPointF(2, 2), 120);
    QCOMPARE(c.chart.timeWindow(), 8 * StripChart::kMinute);
}

void TestChartExplore::wheelZoomsPausedAboutThePointer() {
    Chart c;
    c.chart.setPaused(true);
    const QPoint at = c.plotPoint(0.5);
    const QRectF plot = c.chart.plotArea();
    const qint64 under = chartTimeAt(c.chart.view(), at.x() - plot.left(), plot.width());
    c.wheel(at, 120);
    QCOMPARE(c.chart.timeWindow(), 8 * StripChart::kMinute);
    QVERIFY(qAbs(chartTimeAt(c.chart.view(), at.x() - plot.left(), plot.width()) - under) <= 1);
}

void TestChartExplore::dragPansBackAndPauses() {
    Chart c;
    const QRectF plot = c.chart.plotArea();
    const QPoint from = c.plotPoint(0.5);
    QTest::mousePress(&c.chart, Qt::LeftButton, {}, from);
    QTest::mouseMove(&c.chart, from + QPoint(int(plot.width() / 2), 0));
    QTest::mouseRelease(&c.chart, Qt::LeftButton, {}, from + QPoint(int(plot.width() / 2), 0));
    QVERIFY(c.chart.isPaused());
    // Half the plot to the right: five minutes earlier, within a pixel.
    QVERIFY(qAbs(c.chart.viewEnd() - (c.clock - 5 * StripChart::kMinute)) <= 1000);
    // Far to the left (later) stops at now; far to the right stops at the oldest point.
    c.chart.showView(panChartView(c.chart.view(), -1e6, plot.width()));
    QCOMPARE(c.chart.viewEnd(), c.clock);
    c.chart.showView(panChartView(c.chart.view(), 1e6, plot.width()));
    QCOMPARE(c.chart.viewEnd(), c.chart.series().at(0).time + StripChart::kMinute);
}

void TestChartExplore::backToLive() {
    Chart c;
    QVERIFY(c.chart.liveButton()->isHidden());
    c.chart.showView({c.clock - StripChart::kHour / 2, StripChart::kMinute});
    QVERIFY(c.chart.isPaused());
    QVERIFY(!c.chart.liveButton()->isHidden());
    c.clock += 5000;
    c.chart.liveButton()->click();
    QVERIFY(!c.chart.isPaused());
    QCOMPARE(c.chart.viewEnd(), c.clock);
    QVERIFY(c.chart.liveButton()->isHidden());
    // A double click on the plot does the same.
    c.chart.setPaused(true);
    QTest::mouseDClick(&c.chart, Qt::LeftButton, {}, c.plotPoint(0.5));
    QVERIFY(!c.chart.isPaused());
}

void TestChartExplore::hoverReadsTimeAndValue() {
    Chart c;
    c.chart.setPaused(true);
    const QRectF plot = c.chart.plotArea();
    const QPoint at = c.plotPoint(0.5);
    c.chart.setHoverPosition(QPointF(at));
    const auto p = c.chart.hoverPoint();
    QVERIFY(p.has_value());
    const qint64 t = chartTimeAt(c.chart.view(), at.x() - plot.left(), plot.width());
    QVERIFY(qAbs(p->time - t) <= 100);
    const QString text = c.chart.hoverText();
    QVERIFY2(text.startsWith(QDateTime::fromMSecsSinceEpoch(p->time).toString("HH:mm:ss.z")),
             qPrintable(text));
    QVERIFY2(text.endsWith(QString::number(p->value, 'f', 2)), qPrintable(text));
    // Outside the history there is nothing to read.
    c.chart.showView({c.chart.series().at(0).time + 1000, StripChart::kMinute});
    c.chart.setHoverPosition(QPointF(c.plotPoint(0.01)));
    QVERIFY(!c.chart.hoverPoint().has_value());
    QVERIFY(c.chart.hoverText().isEmpty());
}

QTEST_MAIN(TestChartExplore)
#include "test_chartexplore.moc"
