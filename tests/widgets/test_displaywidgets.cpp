// The display widgets: the meter selector and the program tab strip as the operator moves them,
// and what the digit displays, switch indicators and hour counter show.
#include "widgets/digitdisplay.h"
#include "widgets/hourcounter.h"
#include "widgets/meterselector.h"
#include "widgets/switchindicator.h"
#include "widgets/tabstrip.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <cmath>

using namespace vanto;

class TestDisplayWidgets : public QObject {
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
};

void TestDisplayWidgets::selectorOperatorMoves_data() {
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

void TestDisplayWidgets::selectorOperatorMoves() {
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

void TestDisplayWidgets::selectorSetFromCodeIsNoMove() {
    // Putting the selector back from code (as when a choice is refused) is not a move.
    MeterSelector selector;
    QSignalSpy moved(&selector, &MeterSelector::moved);
    selector.setPosition(7); // limited to 3
    QCOMPARE(selector.position(), 3);
    selector.setPosition(0);
    QCOMPARE(selector.position(), 1);
    QCOMPARE(moved.count(), 0);
}

void TestDisplayWidgets::tabStripAsksFirst_data() {
    QTest::addColumn<QString>("action"); // "click", "Right", "Left", "wheel", "code"
    QTest::addColumn<bool>("allow");
    QTest::addColumn<int>("target");
    // Starting on tab #3 each time.
    QTest::newRow("click refused") << "click" << false << 6;
    QTest::newRow("arrow right allowed") << "Right" << true << 4;
    QTest::newRow("wheel allowed") << "wheel" << true << 2;
    QTest::newRow("request refused") << "code" << false << 1;
}

void TestDisplayWidgets::tabStripAsksFirst() {
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

void TestDisplayWidgets::digitCacheFollowsChanges_data() {
    QTest::addColumn<QString>("change");
    for (const char* change : {"longer text", "label", "flash", "size"})
        QTest::newRow(change) << change;
}

// A display keeps its unchanging parts drawn in a cache: after any change it must look exactly
// like a display that was set up that way from the start.
void TestDisplayWidgets::digitCacheFollowsChanges() {
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

void TestDisplayWidgets::shownTexts() {
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

QTEST_MAIN(TestDisplayWidgets)
#include "test_displaywidgets.moc"
