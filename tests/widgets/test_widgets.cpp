// The display widgets: the meter selector and the program tab strip as the operator moves them,
// what the digit displays, switch indicators and hour counter show; the strip chart on a
// hand-driven clock: what it shows and exports, pausing, the span bar, the mouse's zoom and pan,
// and how often it repaints (the view's arithmetic is the chart model's, tests/monitor).
#include "widgets/digitdisplay.h"
#include "widgets/hourcounter.h"
#include "widgets/meterselector.h"
#include "widgets/stripchart.h"
#include "widgets/switchindicator.h"
#include "widgets/tabstrip.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QPaintEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <cmath>

using namespace vanto;

namespace {

constexpr qint64 kT0 = 1'700'000'000'000; // some afternoon in November 2023

struct Chart {
    qint64 clock = kT0;
    StripChart chart{nullptr, 20'000};
    Chart() {
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

QStringList readLines(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).split('\n')
                                          : QStringList();
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

// Counts the paint events that redraw the plot, and the others.
struct PaintCounter : QObject {
    QRect plot;
    int paints = 0;
    int otherPaints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++(static_cast<QPaintEvent*>(event)->region().intersects(plot) ? paints : otherPaints);
        return false;
    }
};

} // namespace

class TestWidgets : public QObject {
    Q_OBJECT
private slots:
    void selectorOperatorMoves_data();
    void selectorOperatorMoves();
    void selectorSetFromCodeIsNoMove();
    void tabStripAsksFirst_data();
    void tabStripAsksFirst();
    void digitCacheFollowsChanges_data();
    void digitCacheFollowsChanges();
    void shownTexts();
    void pauseKeepsStoring();
    void csvHoldsWhatIsShown();
    void pngShowsTheTraceWhereTheSpanPutsIt();
    void dragSpanHandles_data();
    void dragSpanHandles();
    void wheelZoomsAndDragPans();
    void repaintsOncePerPixel_data();
    void repaintsOncePerPixel();
};

void TestWidgets::selectorOperatorMoves_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("action"); // a key, "click N" or "drag F" (F: fraction of width)
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("expected");
    QTest::newRow("right from analog") << 1 << "Right" << true << 2;
    QTest::newRow("left from distance") << 3 << "Left" << true << 2;
    QTest::newRow("left at analog stays") << 1 << "Left" << true << 1;
    QTest::newRow("home") << 3 << "Home" << true << 1;
    QTest::newRow("digit 2") << 3 << "2" << true << 2;
    QTest::newRow("click analog") << 3 << "click 1" << true << 1;
    QTest::newRow("drag to output") << 3 << "drag 0.45" << true << 2;
    QTest::newRow("disabled ignores clicks") << 3 << "click 1" << false << 3;
}

void TestWidgets::selectorOperatorMoves() {
    QFETCH(int, start);
    QFETCH(QString, action);
    QFETCH(bool, enabled);
    QFETCH(int, expected);
    MeterSelector selector;
    selector.resize(360, 70);
    selector.setPosition(start);
    selector.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selector));
    selector.setEnabled(enabled);
    QSignalSpy moved(&selector, &MeterSelector::moved);
    const double arg = action.section(' ', 1).toDouble();
    if (action.startsWith("click")) {
        // The centre of a position's label.
        const QPoint at(int(selector.width() * (2 * arg - 1) / 6.0), selector.height() - 12);
        QTest::mouseClick(&selector, Qt::LeftButton, {}, at);
    } else if (action.startsWith("drag")) {
        // The knob sits on the DISTANCE detent, five sixths across, in the upper part; nothing
        // is chosen before it is let go.
        const QPoint knob(selector.width() * 5 / 6, 20);
        const QPoint drop(int(selector.width() * arg), 20);
        QTest::mousePress(&selector, Qt::LeftButton, {}, knob);
        QTest::mouseMove(&selector, (knob + drop) / 2);
        QCOMPARE(moved.count(), 0);
        QTest::mouseMove(&selector, drop);
        QTest::mouseRelease(&selector, Qt::LeftButton, {}, drop);
    } else {
        QTest::keyClick(&selector, QKeySequence(action)[0].key());
    }
    QCOMPARE(selector.position(), expected);
    QCOMPARE(moved.count(), expected == start ? 0 : 1);
    if (!moved.isEmpty())
        QCOMPARE(moved.first().first().toInt(), expected);
}

void TestWidgets::selectorSetFromCodeIsNoMove() {
    // Putting the selector back from code (as when a choice is refused) is not a move.
    MeterSelector selector;
    QSignalSpy moved(&selector, &MeterSelector::moved);
    selector.setPosition(7); // limited to 3
    QCOMPARE(selector.position(), 3);
    selector.setPosition(0);
    QCOMPARE(selector.position(), 1);
    QCOMPARE(moved.count(), 0);
}

void TestWidgets::tabStripAsksFirst_data() {
    QTest::addColumn<QString>("action"); // "click", "Right", "Left", "wheel", "code"
    QTest::addColumn<bool>("allow");
    QTest::addColumn<int>("target");
    // Starting on tab #3 each time.
    QTest::newRow("click refused") << "click" << false << 6;
    QTest::newRow("arrow right allowed") << "Right" << true << 4;
    QTest::newRow("wheel allowed") << "wheel" << true << 2;
    QTest::newRow("request refused") << "code" << false << 1;
}

void TestWidgets::tabStripAsksFirst() {
    QFETCH(QString, action);
    QFETCH(bool, allow);
    QFETCH(int, target);
    TabStrip tabs;
    for (int i = 0; i < 8; ++i)
        tabs.addTab(QStringLiteral("#%1").arg(i));
    tabs.setCurrentIndex(3); // from code: not asked
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    QStringList events;
    connect(&tabs, &TabStrip::tabChanging, this, [&](int from, int to, bool* ok) {
        events << QStringLiteral("changing %1>%2 current %3")
                      .arg(from)
                      .arg(to)
                      .arg(tabs.currentIndex());
        *ok = allow;
    });
    connect(&tabs, &TabStrip::tabChanged, this,
            [&](int from, int to) { events << QStringLiteral("changed %1>%2").arg(from).arg(to); });
    if (action == QLatin1String("click")) {
        QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(target).center());
    } else if (action == QLatin1String("wheel")) {
        QWheelEvent wheel(QPointF(tabs.tabRect(3).center()), tabs.mapToGlobal(QPointF(5, 5)),
                          QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(&tabs, &wheel);
    } else if (action == QLatin1String("code")) {
        QCOMPARE(tabs.requestCurrentIndex(target), allow);
        QVERIFY(!tabs.requestCurrentIndex(8)); // no such tab: not even asked
    } else {
        QTest::keyClick(&tabs, QKeySequence(action)[0].key());
    }
    QStringList expected = {QStringLiteral("changing 3>%1 current 3").arg(target)};
    if (allow)
        expected << QStringLiteral("changed 3>%1").arg(target);
    QCOMPARE(events, expected);
    QCOMPARE(tabs.currentIndex(), allow ? target : 3);
}

void TestWidgets::digitCacheFollowsChanges_data() {
    QTest::addColumn<QString>("change");
    for (const char* change : {"longer text", "label", "flash", "size"})
        QTest::newRow(change) << change;
}

// A display keeps its unchanging parts drawn in a cache: after any change it must look exactly
// like a display that was set up that way from the start.
void TestWidgets::digitCacheFollowsChanges() {
    QFETCH(QString, change);
    const auto setUp = [&change](DigitDisplay& led, bool changed) {
        const auto is = [&](const char* name) { return changed && change == QLatin1String(name); };
        led.resize(is("size") ? QSize(240, 110) : QSize(180, 90));
        led.setLabel(is("label") ? QStringLiteral("FAR") : QStringLiteral("NEAR"));
        led.setText(is("longer text") ? QStringLiteral("123456.7") : QStringLiteral("14"));
        led.setFlash(is("flash"));
    };
    DigitDisplay warm;
    setUp(warm, false);
    const QImage before = warm.grab().toImage();
    setUp(warm, true);
    const QImage after = warm.grab().toImage();
    DigitDisplay fresh;
    setUp(fresh, true);
    QCOMPARE(after, fresh.grab().toImage());
    QVERIFY(after != before);
}

void TestWidgets::shownTexts() {
    DigitDisplay led;
    const std::pair<double, const char*> values[] = {{27.46, "27.5"}, {-3.04, "-3.0"}, {NAN, "-"}};
    led.setDecimals(1);
    for (const auto& [value, text] : values) {
        led.setValue(value);
        QCOMPARE(led.text(), QString::fromLatin1(text));
    }
    // The first word of a two-word label names the value 1.
    const std::tuple<const char*, int, const char*> switches[] = {{"Lin  Adp", 1, "Lin"},
                                                                  {"  Pay   Tak ", 2, "Pay"},
                                                                  {"Lin  Adp", 0, "Adp"},
                                                                  {"Hold", 0, ""}};
    for (const auto& [label, value, lit] : switches) {
        SwitchIndicator sw;
        sw.setLabel(QString::fromLatin1(label));
        sw.setValue(value);
        QCOMPARE(sw.litText(), QString::fromLatin1(lit));
    }
    const std::tuple<int, double, const char*> drums[] = {{6, 12.34, "000012.3"},
                                                          {6, 9.96, "000010.0"},
                                                          {6, -4.0, "000000.0"},
                                                          {6, 1234567.8, "234567.8"},
                                                          {4, 18342.6, "8342.6"}};
    for (const auto& [digits, hours, text] : drums) {
        HourCounter counter;
        counter.setWholeDigits(digits);
        counter.setValue(hours);
        QCOMPARE(counter.drumText(), QString::fromLatin1(text));
    }
}

void TestWidgets::pauseKeepsStoring() {
    Chart f;
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
    QCOMPARE(f.chart.viewEnd(), f.clock); // back to live
    QCOMPARE(f.chart.shownPoints().second, f.chart.series().size());
    // "Back to live" and a double click on the plot resume as well.
    f.chart.setPaused(true);
    QVERIFY(!f.chart.liveButton()->isHidden());
    f.chart.liveButton()->click();
    QVERIFY(!f.chart.isPaused() && f.chart.liveButton()->isHidden());
    f.chart.setPaused(true);
    QTest::mouseDClick(&f.chart, Qt::LeftButton, {}, f.plotPoint(0.5));
    QVERIFY(!f.chart.isPaused());
}

void TestWidgets::csvHoldsWhatIsShown() {
    Chart f;
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
    QCOMPARE(lines.size(), 1 + 301 + 1); // the window's both ends are shown; a final newline
    const QString last =
        QDateTime::fromMSecsSinceEpoch(f.clock).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    QCOMPARE(lines.at(301), last + QStringLiteral(",0.3333333333333333"));
    // Values in their shortest exact form.
    QCOMPARE(lines.at(2).section(',', 1), QStringLiteral("12.3"));
    QCOMPARE(lines.at(4).section(',', 1), QStringLiteral("1e-07"));
    // Points that arrive while paused are stored, not shown, not exported.
    f.chart.setPaused(true);
    f.run(20, 2);
    QVERIFY(f.chart.exportCsv(path));
    QCOMPARE(readLines(path).size(), 1 + 301 + 1);
}

// 17.5 on a span of 10 to 40 is a quarter up the plot, as a line (120 s of points) and as a band
// (600 s); above the span the trace is cut off at the plot's edge, not drawn over the header.
void TestWidgets::pngShowsTheTraceWhereTheSpanPutsIt() {
    for (const int seconds : {120, 600}) {
        Chart f;
        f.chart.setScale(10, 40, 0, 50);
        f.chart.setLineColor(QColor(255, 0, 255));
        f.run(seconds, 17.5);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("chart.png"));
        QVERIFY(f.chart.exportPng(path));
        const QImage image(path);
        QCOMPARE(image.size(), QSize(800, 300));
        const QRect plot = f.chart.plotArea().toRect().adjusted(1, 1, -1, -1);
        const QList<int> rows = magentaRows(image, plot);
        QVERIFY(!rows.isEmpty());
        const double expectedY = plot.bottom() - 0.25 * plot.height();
        QVERIFY2(std::abs(rows.first() - expectedY) <= 3 && std::abs(rows.last() - expectedY) <= 3,
                 qPrintable(QStringLiteral("rows %1..%2").arg(rows.first()).arg(rows.last())));
        f.chart.clear();
        f.run(seconds, 45);
        QVERIFY(f.chart.exportPng(path));
        const QImage clipped(path);
        QVERIFY(magentaRows(clipped, plot).size() <= 2);
        QVERIFY(magentaRows(clipped, QRect(plot.left(), 0, plot.width() - 160, plot.top() - 2))
                    .isEmpty());
    }
}

void TestWidgets::dragSpanHandles_data() {
    QTest::addColumn<double>("pressValue"); // where on the span bar, in limit units
    QTest::addColumn<double>("moveValue");
    QTest::addColumn<double>("expectLow");
    QTest::addColumn<double>("expectHigh");
    // Limits 0..100, span 20..60 before each drag; the bar maps 0..100 onto its height.
    QTest::newRow("top handle up") << 60.0 << 80.0 << 20.0 << 80.0;
    QTest::newRow("bottom handle past the top") << 20.0 << 90.0 << 59.9 << 60.0;
    QTest::newRow("outside the band nothing moves") << 85.0 << 50.0 << 20.0 << 60.0;
}

void TestWidgets::dragSpanHandles() {
    QFETCH(double, pressValue);
    QFETCH(double, moveValue);
    QFETCH(double, expectLow);
    QFETCH(double, expectHigh);
    Chart f;
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
    QVERIFY(std::abs(f.chart.scale().spanLow() - expectLow) <= tolerance);
    QVERIFY(std::abs(f.chart.scale().spanHigh() - expectHigh) <= tolerance);
    QCOMPARE(spans.isEmpty(), expectLow == 20.0 && expectHigh == 60.0);
}

void TestWidgets::wheelZoomsAndDragPans() {
    Chart c;
    c.run(3600, 1);
    c.chart.setTimeWindow(10 * StripChart::kMinute);
    // Live, the newest point stays at the right edge; outside the plot the wheel does nothing.
    c.wheel(c.plotPoint(0.25), 120);
    QCOMPARE(c.chart.timeWindow(), 8 * StripChart::kMinute);
    QCOMPARE(c.chart.viewEnd(), c.clock);
    c.wheel(QPointF(2, 2), 120);
    QCOMPARE(c.chart.timeWindow(), 8 * StripChart::kMinute);
    // A drag half the plot to the right: paused, four minutes earlier, within a pixel.
    const QPoint from = c.plotPoint(0.5);
    const QPoint to = from + QPoint(int(c.chart.plotArea().width() / 2), 0);
    QTest::mousePress(&c.chart, Qt::LeftButton, {}, from);
    QTest::mouseMove(&c.chart, to);
    QTest::mouseRelease(&c.chart, Qt::LeftButton, {}, to);
    QVERIFY(c.chart.isPaused());
    QVERIFY(qAbs(c.chart.viewEnd() - (c.clock - 4 * StripChart::kMinute)) <= 1000);
}

void TestWidgets::repaintsOncePerPixel_data() {
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
void TestWidgets::repaintsOncePerPixel() {
    QFETCH(qint64, window);
    QFETCH(int, minPaints);
    QFETCH(int, maxPaints);
    Chart f;
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

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
