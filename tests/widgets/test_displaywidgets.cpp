#include "widgets/digitdisplay.h"
#include "widgets/hourcounter.h"
#include "widgets/labelpanel.h"
#include "widgets/lamp.h"
#include "widgets/meterselector.h"
#include "widgets/switchindicator.h"
#include "widgets/tabstrip.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace vanto;

namespace {

// The centre of a selector position's label, where a click puts the selector.
QPoint positionPoint(const MeterSelector& selector, int position) {
    const int x = int(selector.width() * (2 * position - 1) / 6.0);
    return {x, selector.height() - 12};
}

void addProgramTabs(TabStrip& tabs) {
    for (int i = 0; i < 8; ++i)
        tabs.addTab(QStringLiteral("#%1").arg(i));
}

} // namespace

class TestDisplayWidgets : public QObject {
    Q_OBJECT
private slots:
    void selectorOperatorMoves_data();
    void selectorOperatorMoves();
    void selectorSetFromCode();
    void selectorDrag_data();
    void selectorDrag();
    void tabStripAsksFirst_data();
    void tabStripAsksFirst();
    void tabStripFromCode();
    void flashToggles();
    void flashLooksDifferent();
    void digitCacheFollowsChanges_data();
    void digitCacheFollowsChanges();
    void digitValueText_data();
    void digitValueText();
    void switchLabels_data();
    void switchLabels();
    void hourDrums_data();
    void hourDrums();
    void lampStateText();
    void groupShowsChildLabels();
};

void TestDisplayWidgets::selectorOperatorMoves_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("action"); // "key:<name>" or "click:<position>"
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("emits");

    QTest::newRow("right from analog") << 1 << "key:right" << true << 2 << true;
    QTest::newRow("up from output") << 2 << "key:up" << true << 3 << true;
    QTest::newRow("left from distance") << 3 << "key:left" << true << 2 << true;
    QTest::newRow("left at analog stays") << 1 << "key:left" << true << 1 << false;
    QTest::newRow("right at distance stays") << 3 << "key:right" << true << 3 << false;
    QTest::newRow("home") << 3 << "key:home" << true << 1 << true;
    QTest::newRow("end") << 1 << "key:end" << true << 3 << true;
    QTest::newRow("digit 2") << 3 << "key:2" << true << 2 << true;
    QTest::newRow("other key ignored") << 2 << "key:x" << true << 2 << false;
    QTest::newRow("click analog") << 3 << "click:1" << true << 1 << true;
    QTest::newRow("click current") << 2 << "click:2" << true << 2 << false;
    QTest::newRow("disabled ignores keys") << 3 << "key:home" << false << 3 << false;
    QTest::newRow("disabled ignores clicks") << 3 << "click:1" << false << 3 << false;
}

void TestDisplayWidgets::selectorOperatorMoves() {
    QFETCH(int, start);
    QFETCH(QString, action);
    QFETCH(bool, enabled);
    QFETCH(int, expected);
    QFETCH(bool, emits);

    MeterSelector selector;
    selector.resize(360, 70);
    selector.setPosition(start);
    selector.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selector));
    selector.setEnabled(enabled);
    QSignalSpy moved(&selector, &MeterSelector::moved);
    QSignalSpy changed(&selector, &MeterSelector::positionChanged);

    const QString what = action.section(QLatin1Char(':'), 1);
    if (action.startsWith(QLatin1String("key:"))) {
        static const QHash<QString, Qt::Key> keys = {
            {"right", Qt::Key_Right}, {"left", Qt::Key_Left}, {"up", Qt::Key_Up},
            {"home", Qt::Key_Home},   {"end", Qt::Key_End},   {"2", Qt::Key_2},
            {"x", Qt::Key_X}};
        QTest::keyClick(&selector, keys.value(what));
    } else {
        QTest::mouseClick(&selector, Qt::LeftButton, {}, positionPoint(selector, what.toInt()));
    }
    QCOMPARE(selector.position(), expected);
    QCOMPARE(moved.count(), emits ? 1 : 0);
    QCOMPARE(changed.count(), emits ? 1 : 0);
    if (emits) {
        QCOMPARE(moved.first().first().toInt(), expected);
    }
}

void TestDisplayWidgets::selectorSetFromCode() {
    // Putting the selector back from code (as when a choice is refused) is not a move.
    MeterSelector selector;
    QCOMPARE(selector.position(), MeterSelector::kDistance);
    QSignalSpy moved(&selector, &MeterSelector::moved);
    QSignalSpy changed(&selector, &MeterSelector::positionChanged);
    selector.setPosition(1);
    selector.setPosition(1);
    selector.setPosition(7); // limited to 3
    QCOMPARE(selector.position(), 3);
    selector.setPosition(0);
    QCOMPARE(selector.position(), 1);
    QCOMPARE(moved.count(), 0);
    QCOMPARE(changed.count(), 3);
}

void TestDisplayWidgets::selectorDrag_data() {
    QTest::addColumn<double>("dropAt"); // fraction of the width
    QTest::addColumn<int>("expected");
    QTest::newRow("dropped near output") << 0.45 << 2;
    QTest::newRow("dropped past analog") << 0.0 << 1;
    QTest::newRow("dropped back on distance") << 0.8 << 3;
}

void TestDisplayWidgets::selectorDrag() {
    QFETCH(double, dropAt);
    QFETCH(int, expected);
    MeterSelector selector;
    selector.resize(360, 70);
    selector.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selector));
    QSignalSpy moved(&selector, &MeterSelector::moved);
    // The knob sits on the DISTANCE detent, five sixths across, in the upper part.
    const QPoint knob(selector.width() * 5 / 6, 20);
    const QPoint drop(int(selector.width() * dropAt), 20);
    QTest::mousePress(&selector, Qt::LeftButton, {}, knob);
    QTest::mouseMove(&selector, QPoint((knob.x() + drop.x()) / 2, 20));
    QCOMPARE(moved.count(), 0); // nothing is chosen before the knob is let go
    QTest::mouseMove(&selector, drop);
    QTest::mouseRelease(&selector, Qt::LeftButton, {}, drop);
    QCOMPARE(selector.position(), expected);
    QCOMPARE(moved.count(), expected == 3 ? 0 : 1);
}

void TestDisplayWidgets::tabStripAsksFirst_data() {
    QTest::addColumn<QString>("action"); // "click", "right", "left", "wheel"
    QTest::addColumn<bool>("allow");
    QTest::addColumn<int>("target");
    // Starting on tab #3 each time.
    QTest::newRow("click allowed") << "click" << true << 6;
    QTest::newRow("click refused") << "click" << false << 6;
    QTest::newRow("arrow right allowed") << "right" << true << 4;
    QTest::newRow("arrow left refused") << "left" << false << 2;
    QTest::newRow("wheel allowed") << "wheel" << true << 2;
}

void TestDisplayWidgets::tabStripAsksFirst() {
    QFETCH(QString, action);
    QFETCH(bool, allow);
    QFETCH(int, target);
    TabStrip tabs;
    addProgramTabs(tabs);
    tabs.setCurrentIndex(3);
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
    } else {
        QTest::keyClick(&tabs, action == QLatin1String("right") ? Qt::Key_Right : Qt::Key_Left);
    }

    QStringList expected = {QStringLiteral("changing 3>%1 current 3").arg(target)};
    if (allow) {
        expected << QStringLiteral("changed 3>%1").arg(target);
    }
    QCOMPARE(events, expected);
    QCOMPARE(tabs.currentIndex(), allow ? target : 3);
}

void TestDisplayWidgets::tabStripFromCode() {
    TabStrip tabs;
    addProgramTabs(tabs);
    int asked = 0;
    QList<QPair<int, int>> changes;
    connect(&tabs, &TabStrip::tabChanging, this, [&](int, int, bool* ok) {
        ++asked;
        *ok = false;
    });
    connect(&tabs, &TabStrip::tabChanged, this, [&](int from, int to) {
        changes.append({from, to});
    });
    tabs.setCurrentIndex(5); // code does not ask
    QCOMPARE(asked, 0);
    QCOMPARE(changes, (QList<QPair<int, int>>{{0, 5}}));
    QVERIFY(!tabs.requestCurrentIndex(1)); // asks, refused
    QCOMPARE(asked, 1);
    QCOMPARE(tabs.currentIndex(), 5);
    QVERIFY(!tabs.requestCurrentIndex(8)); // no such tab: not even asked
    QCOMPARE(asked, 1);
    tabs.setTabEnabled(2, false);
    QVERIFY(!tabs.requestCurrentIndex(2));
    QCOMPARE(asked, 1);
}

void TestDisplayWidgets::flashToggles() {
    DigitDisplay led;
    QSignalSpy spy(&led, &DigitDisplay::flashChanged);
    QVERIFY(!led.flash());
    led.toggleFlash();
    QVERIFY(led.flash());
    led.toggleFlash();
    QVERIFY(!led.flash());
    led.setFlash(false); // cleared already: nothing happens
    led.setFlash(true);
    led.setFlash(true);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
    QCOMPARE(spy.at(2).at(0).toBool(), true);
}

void TestDisplayWidgets::flashLooksDifferent() {
    DigitDisplay led;
    led.resize(180, 90);
    led.setLabel(QStringLiteral("NEAR"));
    led.setText(QStringLiteral("14"));
    const QImage steady = led.grab().toImage();
    led.setFlash(true);
    const QImage flashing = led.grab().toImage();
    led.setFlash(false);
    QCOMPARE(led.grab().toImage(), steady);
    QVERIFY(flashing != steady);
    // The flashing face is lit: much brighter than the steady face.
    const QPoint faceSpot(12, led.height() - 12);
    QVERIFY(flashing.pixelColor(faceSpot).lightness() >
            steady.pixelColor(faceSpot).lightness() + 80);
}

void TestDisplayWidgets::digitCacheFollowsChanges_data() {
    QTest::addColumn<QString>("change");
    for (const char* change :
         {"text", "longer text", "label", "flash", "disabled", "size", "colour"})
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
        led.setText(is("text")          ? QStringLiteral("27.5")
                    : is("longer text") ? QStringLiteral("123456.7")
                                        : QStringLiteral("14"));
        led.setFlash(is("flash"));
        led.setEnabled(!is("disabled"));
        led.setDigitColor(is("colour") ? QColor(Qt::green) : QColor(Qt::red));
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

void TestDisplayWidgets::digitValueText_data() {
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 0 << 43.0 << "43";
    QTest::newRow("rounded") << 1 << 27.46 << "27.5";
    QTest::newRow("negative") << 1 << -3.04 << "-3.0";
    QTest::newRow("not a number") << 1 << std::nan("") << "-";
}

void TestDisplayWidgets::digitValueText() {
    QFETCH(int, decimals);
    QFETCH(double, value);
    QFETCH(QString, text);
    DigitDisplay led;
    led.setDecimals(decimals);
    led.setValue(value);
    QCOMPARE(led.text(), text);
}

void TestDisplayWidgets::switchLabels_data() {
    // The first word of a two-word label names the value 1.
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("lit");
    QTest::newRow("two names, 1") << "Lin  Adp" << 1 << "Lin";
    QTest::newRow("untidy blanks, any non-zero") << "  Pay   Tak " << 2 << "Pay";
    QTest::newRow("one name, off") << "Hold" << 0 << "";
    QTest::newRow("empty") << "" << 1 << "";
}

void TestDisplayWidgets::switchLabels() {
    QFETCH(QString, label);
    QFETCH(int, value);
    QFETCH(QString, lit);
    SwitchIndicator sw;
    sw.setLabel(label);
    sw.setValue(value);
    QCOMPARE(sw.litText(), lit);
    QCOMPARE(sw.value(), value != 0 ? 1 : 0);
}

void TestDisplayWidgets::hourDrums_data() {
    QTest::addColumn<int>("digits");
    QTest::addColumn<double>("hours");
    QTest::addColumn<QString>("drums");
    QTest::newRow("small") << 6 << 12.34 << "000012.3";
    QTest::newRow("rounds up into the hours") << 6 << 9.96 << "000010.0";
    QTest::newRow("negative shows zero") << 6 << -4.0 << "000000.0";
    QTest::newRow("rolls over") << 6 << 1234567.8 << "234567.8";
    QTest::newRow("four drums") << 4 << 18342.6 << "8342.6";
}

void TestDisplayWidgets::hourDrums() {
    QFETCH(int, digits);
    QFETCH(double, hours);
    QFETCH(QString, drums);
    HourCounter counter;
    counter.setWholeDigits(digits);
    counter.setValue(hours);
    QCOMPARE(counter.drumText(), drums);
}

void TestDisplayWidgets::lampStateText() {
    Lamp lamp;
    lamp.setCaption(QStringLiteral("OnLine"));
    lamp.setStateTexts(QStringLiteral("Closed"), QStringLiteral("Open"));
    QCOMPARE(lamp.stateText(), QStringLiteral("Closed"));
    lamp.setOn(true);
    QCOMPARE(lamp.stateText(), QStringLiteral("Open"));
    lamp.resize(140, 44);
    const QImage lit = lamp.grab().toImage();
    lamp.setOn(false);
    QVERIFY(lamp.grab().toImage() != lit);
}

void TestDisplayWidgets::groupShowsChildLabels() {
    PanelGroup group(QStringLiteral("Running program"));
    auto* base = new LabelPanel(QStringLiteral("Base"));
    auto* other = new QWidget;
    group.addWidget(base, 0, 0);
    group.addWidget(other, 0, 1, QStringLiteral("Other"));
    QCOMPARE(group.childLabel(other), QStringLiteral("Other"));
    QCOMPARE(group.childLabel(base), QString());
    group.setChildLabel(other, QStringLiteral("Renamed"));
    QCOMPARE(group.childLabel(other), QStringLiteral("Renamed"));
    QCOMPARE(base->parentWidget()->parentWidget(), &group);
}

QTEST_MAIN(TestDisplayWidgets)
#include "test_displaywidgets.moc"
