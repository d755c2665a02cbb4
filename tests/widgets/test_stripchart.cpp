#include "widgets/stripchart.h"
#include "widgets/stripchartdialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QPaintEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vanto;

namespace {

constexpr qint64 kT0 = 1'700'000'000'000; // some afternoon in November 2023

QString localText(qint64 t) {
    return QDateTime::fromMSecsSinceEpoch(t).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

// A chart on a hand-driven clock.
struct ChartFixture {
    qint64 clock = kT0;
    StripChart chart{nullptr, 10'000};
    ChartFixture() {
        chart.setClock([this] { return clock; });
        chart.resize(800, 300);
    }
    // A point every 200 ms for `seconds`, the clock following.
    void run(int seconds, double value) {
        for (int i = 0; i < seconds * 5; ++i) {
            clock += 200;
            chart.append(value);
        }
    }
};

QStringList readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
}

// Rows of the image (inside `area`) holding a strongly magenta pixel, antialiased edges included.
QList<int> magentaRows(const QImage& image, const QRect& area) {
    QList<int> rows;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 150 && c.blue() > 150 && c.green() < 100) {
                rows.append(y);
                break;
            }
        }
    }
    return rows;
}

} // namespace

class TestStripChart : public QObject {
    Q_OBJECT
private slots:
    void pauseKeepsStoring();
    void csvHoldsWhatIsShown();
    void csvWhilePaused();
    void interactiveExportAsksForAFile_data();
    void interactiveExportAsksForAFile();
    void pngShowsTheTraceWhereTheSpanPutsIt_data();
    void pngShowsTheTraceWhereTheSpanPutsIt();
    void timeStamps();
    void scaleSettersAndSignal();
    void dragSpanHandles_data();
    void dragSpanHandles();
    void propertiesDialogApplies();
    void repaintsOncePerPixel_data();
    void repaintsOncePerPixel();
};

void TestStripChart::pauseKeepsStoring() {
    ChartFixture f;
    QSignalSpy paused(&f.chart, &StripChart::pausedChanged);
    f.run(10, 20);
    QCOMPARE(f.chart.viewEnd(), f.clock);
    f.chart.setPaused(true);
    const qint64 frozen = f.clock;
    const auto shownBefore = f.chart.shownPoints();
    f.run(30, 25);
    QCOMPARE(f.chart.series().size(), 200); // stored while paused
    QCOMPARE(f.chart.viewEnd(), frozen);    // the view did not move
    QCOMPARE(f.chart.shownPoints(), shownBefore);
    f.chart.togglePaused();
    QVERIFY(!f.chart.isPaused());
    QCOMPARE(f.chart.viewEnd(), f.clock); // back to live
    QCOMPARE(f.chart.shownPoints().second, f.chart.series().size());
    QCOMPARE(paused.count(), 2);
    QCOMPARE(paused.at(0).at(0).toBool(), true);
    QCOMPARE(paused.at(1).at(0).toBool(), false);
    f.chart.setPaused(false);
    QCOMPARE(paused.count(), 2); // no change, no signal
}

void TestStripChart::csvHoldsWhatIsShown() {
    ChartFixture f;
    f.chart.setTimeWindow(StripChart::kMinute);
    // Ninety seconds of points: only the newest minute is on screen.
    const QList<double> values = {12.3, -0.5, 1e-7, 43.5, 1.0 / 3};
    for (int i = 0; i < 450; ++i) {
        f.clock += 200;
        f.chart.append(values[i % values.size()]);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shown.csv"));
    QVERIFY(f.chart.exportCsv(path));
    const QStringList lines = readLines(path);
    QCOMPARE(lines.first(), QStringLiteral("time,value"));
    QCOMPARE(lines.last(), QString());   // ends with a newline
    QCOMPARE(lines.size(), 1 + 301 + 1); // the window's both ends are shown
    // First shown point is exactly one window back.
    const qint64 firstTime = f.clock - StripChart::kMinute;
    const int firstIndex = int((firstTime - kT0) / 200 - 1);
    QCOMPARE(lines.at(1), localText(firstTime) + QLatin1Char(',') +
                              QString::number(values[firstIndex % values.size()], 'g',
                                              QLocale::FloatingPointShortest));
    QCOMPARE(lines.at(301), localText(f.clock) + QStringLiteral(",0.3333333333333333"));
    // Values in their shortest exact form.
    QCOMPARE(lines.at(2).section(QLatin1Char(','), 1), QStringLiteral("12.3"));
    QCOMPARE(lines.at(3).section(QLatin1Char(','), 1), QStringLiteral("-0.5"));
    QCOMPARE(lines.at(4).section(QLatin1Char(','), 1), QStringLiteral("1e-07"));
    QCOMPARE(lines.at(5).section(QLatin1Char(','), 1), QStringLiteral("43.5"));
}

void TestStripChart::csvWhilePaused() {
    ChartFixture f;
    f.chart.setTimeWindow(StripChart::kMinute);
    f.run(60, 1);
    f.chart.setPaused(true);
    f.run(20, 2); // arrives while paused: stored, not shown, not exported
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("paused.csv"));
    QVERIFY(f.chart.exportCsv(path));
    const QStringList lines = readLines(path);
    QCOMPARE(lines.size(), 1 + 300 + 1);
    for (int i = 1; i <= 300; ++i) {
        QVERIFY(lines.at(i).endsWith(QStringLiteral(",1")));
    }
}

void TestStripChart::interactiveExportAsksForAFile_data() {
    QTest::addColumn<bool>("png");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("csv chosen") << false << false;
    QTest::newRow("csv cancelled") << false << true;
    QTest::newRow("png chosen") << true << false;
    QTest::newRow("png cancelled") << true << true;
}

void TestStripChart::interactiveExportAsksForAFile() {
    QFETCH(bool, png);
    QFETCH(bool, cancel);
    ChartFixture f;
    f.run(5, 3);
    QTemporaryDir dir;
    const QString path = dir.filePath(png ? QStringLiteral("c.png") : QStringLiteral("c.csv"));
    QString askedFilter;
    QString askedName;
    f.chart.setSaveFileChooser(
        [&](QWidget*, const QString&, const QString& filter, const QString& name) {
            askedFilter = filter;
            askedName = name;
            return cancel ? QString() : path;
        });
    const bool ok = png ? f.chart.exportPngInteractive() : f.chart.exportCsvInteractive();
    QCOMPARE(ok, !cancel);
    QCOMPARE(QFile::exists(path), !cancel);
    QVERIFY(askedFilter.contains(png ? QStringLiteral("*.png") : QStringLiteral("*.csv")));
    QVERIFY(askedName.endsWith(png ? QStringLiteral(".png") : QStringLiteral(".csv")));
}

void TestStripChart::pngShowsTheTraceWhereTheSpanPutsIt_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("fraction"); // of the plot height, from the bottom
    QTest::addColumn<int>("seconds");     // of points: 120 s draw a line, 600 s fill a band
    QTest::newRow("line a quarter up") << 17.5 << 0.25 << 120;
    QTest::newRow("line near the top") << 37.0 << 0.9 << 120;
    QTest::newRow("band a quarter up") << 17.5 << 0.25 << 600;
}

void TestStripChart::pngShowsTheTraceWhereTheSpanPutsIt() {
    QFETCH(double, value);
    QFETCH(double, fraction);
    QFETCH(int, seconds);
    ChartFixture f;
    f.chart.setScale(10, 40, 0, 50);
    f.chart.setLineColor(QColor(255, 0, 255));
    f.run(seconds, value);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chart.png"));
    QVERIFY(f.chart.exportPng(path));
    const QImage image(path);
    QCOMPARE(image.size(), QSize(800, 300));
    const QRect plot = f.chart.plotArea().toRect().adjusted(1, 1, -1, -1);
    const QList<int> rows = magentaRows(image, plot);
    QVERIFY(!rows.isEmpty());
    const double expectedY = plot.bottom() - fraction * plot.height();
    QVERIFY2(std::abs(rows.first() - expectedY) <= 3 && std::abs(rows.last() - expectedY) <= 3,
             qPrintable(QStringLiteral("trace rows %1..%2, expected about %3")
                            .arg(rows.first())
                            .arg(rows.last())
                            .arg(expectedY)));
    // Above the span the trace is cut off at the plot's edge, not drawn over the header.
    f.chart.clear();
    f.run(seconds, 45);
    QVERIFY(f.chart.exportPng(path));
    const QImage clipped(path);
    QVERIFY(magentaRows(clipped, plot).size() <= 2);
    // The header's right end shows the newest value in the line's colour; the rest stays clean.
    QVERIFY(
        magentaRows(clipped, QRect(plot.left(), 0, plot.width() - 160, plot.top() - 2)).isEmpty());
}

void TestStripChart::timeStamps() {
    ChartFixture f;
    f.chart.timeStamp();
    QCOMPARE(f.chart.timeStamps().size(), 1);
    QCOMPARE(f.chart.timeStamps().first().time, kT0);
    QCOMPARE(f.chart.timeStamps().first().text,
             QDateTime::fromMSecsSinceEpoch(kT0).toString(QStringLiteral("HH:mm:ss")));
    f.clock += 5000;
    f.chart.timeStamp(QStringLiteral("start"));
    QCOMPARE(f.chart.timeStamps().last().text, QStringLiteral("start"));
    QCOMPARE(f.chart.timeStamps().last().time, kT0 + 5000);
    for (int i = 0; i < StripChart::kMaxTimeStamps + 20; ++i) {
        f.clock += 1000;
        f.chart.timeStamp(QString::number(i));
    }
    QCOMPARE(f.chart.timeStamps().size(), StripChart::kMaxTimeStamps);
    QCOMPARE(f.chart.timeStamps().first().text, QStringLiteral("20")); // the oldest went first
    f.chart.clearTimeStamps();
    QVERIFY(f.chart.timeStamps().isEmpty());
}

void TestStripChart::scaleSettersAndSignal() {
    ChartFixture f;
    QSignalSpy spans(&f.chart, &StripChart::spanChanged);
    f.chart.setScale(13, 43.5, 12.9, 43.5);
    QCOMPARE(spans.count(), 1);
    QCOMPARE(spans.last().at(0).toDouble(), 13.0);
    QCOMPARE(spans.last().at(1).toDouble(), 43.5);
    // Metric: the new span lies above the old limits and must survive.
    f.chart.setScale(33.02, 110.49, 32.766, 110.49);
    QCOMPARE(f.chart.scale().spanLow(), 33.02);
    QCOMPARE(f.chart.scale().spanHigh(), 110.49);
    QCOMPARE(spans.count(), 2);
    f.chart.setSpan(33.02, 110.49);
    QCOMPARE(spans.count(), 2); // unchanged: no signal
    f.chart.setLimits(40, 100);
    QCOMPARE(f.chart.scale().spanLow(), 40.0);
    QCOMPARE(f.chart.scale().spanHigh(), 100.0);
    QCOMPARE(spans.count(), 3);
}

void TestStripChart::dragSpanHandles_data() {
    QTest::addColumn<double>("pressValue"); // where on the span bar, in limit units
    QTest::addColumn<double>("moveValue");
    QTest::addColumn<double>("expectLow");
    QTest::addColumn<double>("expectHigh");
    // Limits 0..100, span 20..60 before each drag; the bar maps 0..100 onto its height.
    QTest::newRow("top handle up") << 60.0 << 80.0 << 20.0 << 80.0;
    QTest::newRow("top handle past the limit") << 60.0 << 150.0 << 20.0 << 100.0;
    QTest::newRow("bottom handle down") << 20.0 << 5.0 << 5.0 << 60.0;
    QTest::newRow("bottom handle past the top") << 20.0 << 90.0 << 59.9 << 60.0;
    QTest::newRow("band moved up") << 40.0 << 70.0 << 50.0 << 90.0;
    QTest::newRow("band stopped at the floor") << 40.0 << -30.0 << 0.0 << 40.0;
    QTest::newRow("outside the band nothing moves") << 85.0 << 50.0 << 20.0 << 60.0;
}

void TestStripChart::dragSpanHandles() {
    QFETCH(double, pressValue);
    QFETCH(double, moveValue);
    QFETCH(double, expectLow);
    QFETCH(double, expectHigh);
    ChartFixture f;
    f.chart.setScale(20, 60, 0, 100);
    f.chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.chart));
    const QRectF bar = f.chart.spanBarArea();
    auto at = [&](double v) {
        return QPoint(int(bar.center().x()),
                      int(std::round(bar.bottom() - v / 100 * bar.height())));
    };
    QSignalSpy spans(&f.chart, &StripChart::spanChanged);
    QTest::mousePress(&f.chart, Qt::LeftButton, {}, at(pressValue));
    QTest::mouseMove(&f.chart, at(moveValue));
    QTest::mouseRelease(&f.chart, Qt::LeftButton, {}, at(moveValue));
    // Press and move are whole pixels; one pixel of the bar is worth 100 / height units.
    const double tolerance = 1.5 * 100 / bar.height();
    QVERIFY2(std::abs(f.chart.scale().spanLow() - expectLow) <= tolerance,
             qPrintable(QString::number(f.chart.scale().spanLow())));
    QVERIFY2(std::abs(f.chart.scale().spanHigh() - expectHigh) <= tolerance,
             qPrintable(QString::number(f.chart.scale().spanHigh())));
    QCOMPARE(spans.isEmpty(), expectLow == 20.0 && expectHigh == 60.0);
}

void TestStripChart::propertiesDialogApplies() {
    ChartFixture f;
    f.chart.setScale(20, 60, 10, 80);
    StripChartDialog dialog(&f.chart);
    QCOMPARE(dialog.timeWindow(), f.chart.timeWindow());
    QCOMPARE(dialog.spanLow(), 20.0);
    QCOMPARE(dialog.spanHigh(), 60.0);

    dialog.windowBox()->setCurrentIndex(dialog.windowBox()->findData(24 * StripChart::kHour));
    dialog.setSpan(0, 70); // the form stops the bottom at the limit
    dialog.setLineColor(QColor(Qt::yellow));
    QSignalSpy windows(&f.chart, &StripChart::timeWindowChanged);
    dialog.apply();
    QCOMPARE(f.chart.timeWindow(), 24 * StripChart::kHour);
    QCOMPARE(windows.count(), 1);
    QCOMPARE(f.chart.scale().spanLow(), 10.0);
    QCOMPARE(f.chart.scale().spanHigh(), 70.0);
    QCOMPARE(f.chart.lineColor(), QColor(Qt::yellow));

    // The export buttons go through the chart's file chooser.
    int asked = 0;
    f.chart.setSaveFileChooser([&](QWidget*, const QString&, const QString&, const QString&) {
        ++asked;
        return QString();
    });
    dialog.csvButton()->click();
    dialog.pngButton()->click();
    QCOMPARE(asked, 2);
}

QTEST_MAIN(TestStripChart)
namespace {

// Counts the paint events a chart gets: those that redraw the plot, and the others.
struct PaintCounter : QObject {
    QRect plot;
    int paints = 0;
    int otherPaints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (static_cast<QPaintEvent*>(event)->region().intersects(plot))
                ++paints;
            else
                ++otherPaints;
        }
        return false;
    }
};

} // namespace

void TestStripChart::repaintsOncePerPixel_data() {
    QTest::addColumn<qint64>("window");
    QTest::addColumn<int>("minPaints");
    QTest::addColumn<int>("maxPaints");
    // 50 points 200 ms apart on a plot about 700 pixels wide.
    QTest::newRow("1 min: a pixel is under 0.2 s") << StripChart::kMinute << 50 << 50;
    QTest::newRow("10 min: a pixel is about 0.85 s") << 10 * StripChart::kMinute << 9 << 14;
    QTest::newRow("1 h: a pixel is about 5 s") << StripChart::kHour << 1 << 3;
}

// A new point repaints the plot only once the trace has moved a whole pixel, and the point that
// came meanwhile is painted by a timer no later than that; the header's newest value follows
// every point.
void TestStripChart::repaintsOncePerPixel() {
    QFETCH(qint64, window);
    QFETCH(int, minPaints);
    QFETCH(int, maxPaints);
    ChartFixture f;
    f.chart.setTimeWindow(window);
    PaintCounter counter;
    counter.plot = f.chart.plotArea().toAlignedRect();
    f.chart.installEventFilter(&counter);
    f.chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.chart));
    QCoreApplication::processEvents();
    counter.paints = 0;
    counter.otherPaints = 0;
    for (int i = 0; i < 50; ++i) {
        f.clock += 200;
        f.chart.append(i % 7);
        QCoreApplication::processEvents();
    }
    QVERIFY2(counter.paints >= minPaints && counter.paints <= maxPaints,
             qPrintable(QString::number(counter.paints)));
    QCOMPARE(counter.paints + counter.otherPaints, 50);
    // The last point is drawn within a second even when no other point follows.
    const int paints = counter.paints;
    f.chart.append(3);
    QTRY_VERIFY_WITH_TIMEOUT(counter.paints > paints || window == StripChart::kMinute, 1500);
}

#include "test_stripchart.moc"
