// The option dialogs and the sensor layout window, offscreen: their wiring to the record they
// edit (the rules are the dialog rules' own tests).
#include "../fakes.h"

#include "editordialogs.h"
#include "fieldkeyfilter.h"
#include "optiondialogs.h"
#include "program/demoprograms.h"
#include "sensorlayoutwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace vanto;
using vanto::test::FakePrompts;

namespace {

// A program in inches with Base 13 and Range 30, its counter on, SUM Linear at 30 %.
ProgramRecord loaded() {
    ProgramRecord r = demoPrograms()[0];
    r.set(Field::CountMode, " 1");
    r.set(Field::SumScaleType, "2");
    r.set(Field::SumScalePercent, "30");
    r.set(Field::SumScaleChannel, "1");
    return r;
}

// Runs `action` on the modal window once it is open.
void whenOpen(EditorDialogs& dialogs, std::function<void(QDialog*)> action) {
    QTimer::singleShot(0, [&dialogs, action] {
        QDialog* window = dialogs.openWindow();
        QVERIFY(window && window->isVisible());
        action(window);
    });
}

// The dialog's close button; the control relay dialog has two, close and Cancel.
QPushButton* findCloseButton(QDialog* window) {
    auto* close = window->findChild<QPushButton*>(QStringLiteral("closeButton"));
    return close ? close : window->findChild<QPushButton*>(QStringLiteral("okButton"));
}

void showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

} // namespace

Q_DECLARE_METATYPE(SettingsDialog)

class TestOptionDialogs : public QObject {
    Q_OBJECT
private slots:
    void init();
    void openAndCloseChangesNothing_data();
    void openAndCloseChangesNothing();
    void frameCloseStoresNothing();
    void sumScaleTypingAndLeaving();
    void controlRelayTwoPressesAndCancel();
    void layoutClosesOnAnyKey();
    void layoutClosesOnClick();

private:
    FakePrompts m_prompts;
    int m_keyBeeps = 0;
};

void TestOptionDialogs::init() {
    m_prompts = FakePrompts();
    m_keyBeeps = 0;
    FieldKeyFilter::instance().beep = [this] { ++m_keyBeeps; };
}

void TestOptionDialogs::openAndCloseChangesNothing_data() {
    QTest::addColumn<SettingsDialog>("dialog");
    QTest::newRow("ControlRelayDialog") << SettingsDialog::ControlRelay;
    QTest::newRow("CounterDialog") << SettingsDialog::Counter;
    QTest::newRow("Rs232Dialog") << SettingsDialog::Rs232;
    QTest::newRow("SumScaleDialog") << SettingsDialog::SumScale;
    QTest::newRow("ClockDialog") << SettingsDialog::Clock;
}

void TestOptionDialogs::openAndCloseChangesNothing() {
    QFETCH(SettingsDialog, dialog);
    ProgramRecord record = loaded();
    std::unique_ptr<QDialog> window;
    switch (dialog) {
    case SettingsDialog::ControlRelay:
        window = std::make_unique<ControlRelayDialog>(record, m_prompts);
        break;
    case SettingsDialog::Counter:
        window = std::make_unique<CounterDialog>(record, m_prompts);
        break;
    case SettingsDialog::Rs232:
        window = std::make_unique<Rs232Dialog>(record, m_prompts);
        break;
    case SettingsDialog::SumScale:
        window = std::make_unique<SumScaleDialog>(record, 3, m_prompts);
        break;
    case SettingsDialog::Clock:
        window = std::make_unique<ClockDialog>(record, m_prompts);
        break;
    }
    QVERIFY(window->isModal());
    showActive(window.get());
    // Walk through every field once, as an operator looking at the values would.
    for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
        if (field->isVisible())
            field->setFocus(Qt::TabFocusReason);
    }
    QTest::mouseClick(findCloseButton(window.get()), Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromLatin1(record.bytes()), QString::fromLatin1(loaded().bytes()));
    QCOMPARE(m_prompts.beeps, 0);
}

void TestOptionDialogs::frameCloseStoresNothing() {
    ProgramRecord record = loaded();
    ClockDialog clock(record, m_prompts);
    showActive(&clock);
    clock.entryFields[kClockDelay]->setFocus();
    QTest::keyClicks(clock.entryFields[kClockDelay], QStringLiteral("77"));
    QVERIFY(clock.entryFields[kClockDelay]->font().bold());
    QTest::keyClick(&clock, Qt::Key_Escape);
    QVERIFY(!clock.isVisible());
    QCOMPARE(record, loaded());

    // Closing the window is not leaving the box for another control: no limit, no beep.
    SumScaleDialog sumScale(record, 3, m_prompts);
    showActive(&sumScale);
    sumScale.channelOptions[3]->click();
    sumScale.percentEntries[0]->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(sumScale.percentEntries[0], QStringLiteral("150"));
    QTest::keyClick(sumScale.percentEntries[0], Qt::Key_Escape);
    QVERIFY(!sumScale.isVisible());
    QCOMPARE(record, loaded());
    QCOMPARE(m_prompts.beeps, 0);
}

void TestOptionDialogs::sumScaleTypingAndLeaving() {
    ProgramRecord record = loaded(); // SUM Linear, 30 %
    SumScaleDialog w(record, 3, m_prompts);
    showActive(&w);
    w.percentEntries[0]->setFocus(Qt::TabFocusReason);
    QTest::qWait(10); // the whole text is selected after the focus change
    QTest::keyClicks(w.percentEntries[0], QStringLiteral("12x0"));
    QCOMPARE(m_keyBeeps, 1); // the letter
    QCOMPARE(w.percentEntries[0]->text(), QStringLiteral("120"));
    QTest::keyClick(w.percentEntries[0], Qt::Key_Return); // moves on: leaves the box
    QCOMPARE(m_prompts.beeps, 1);
    QCOMPARE(w.percentEntries[0]->text(), QStringLiteral(" 100"));

    w.percentEntries[0]->setFocus(Qt::TabFocusReason);
    QTest::qWait(10);
    QTest::keyClicks(w.percentEntries[0], QStringLiteral("45"));
    QTest::mouseClick(w.closeButton, Qt::LeftButton); // the click leaves the box first
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(record.trimmed(Field::SumScalePercent), QByteArray("45"));
}

void TestOptionDialogs::controlRelayTwoPressesAndCancel() {
    ProgramRecord record = loaded();
    ControlRelayDialog w(record, m_prompts);
    showActive(&w);
    w.entryFields[kRelayOn]->setFocus(Qt::TabFocusReason);
    QTest::qWait(10);
    QTest::keyClicks(w.entryFields[kRelayOn], QStringLiteral("50"));
    QTest::keyClick(w.entryFields[kRelayOn], Qt::Key_Return);
    QVERIFY(w.entryFields[kRelayOff]->hasFocus());
    QTest::keyClicks(w.entryFields[kRelayOff], QStringLiteral("43"));
    QTest::mouseClick(w.okButton, Qt::LeftButton);
    QVERIFY(w.isVisible());
    QCOMPARE(m_prompts.beeps, 1);
    QCOMPARE(w.entryFields[kRelayOn]->text(), QStringLiteral("43"));
    QCOMPARE(record, loaded());
    QTest::mouseClick(w.okButton, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(record.trimmed(Field::RelayOnDistance), QByteArray("43"));
    QCOMPARE(record.trimmed(Field::RelayOffDistance), QByteArray("43"));

    ProgramRecord untouched = loaded();
    ControlRelayDialog cancelled(untouched, m_prompts);
    showActive(&cancelled);
    cancelled.entryFields[kRelayOn]->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(cancelled.entryFields[kRelayOn], QStringLiteral("30"));
    QTest::mouseClick(cancelled.cancelButton, Qt::LeftButton);
    QVERIFY(!cancelled.isVisible());
    QCOMPARE(untouched, loaded());
}

void TestOptionDialogs::layoutClosesOnAnyKey() {
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_A}) {
        SensorLayoutWindow w;
        showActive(&w);
        QTest::keyClick(&w, key);
        QVERIFY(!w.isVisible());
    }
}

void TestOptionDialogs::layoutClosesOnClick() {
    QWidget editorWindow;
    EditorDialogs dialogs(m_prompts, 3, &editorWindow);
    showActive(&editorWindow);
    // Twice: a fresh window each time, released after it closes.
    for (const QPoint at : {QPoint(5, 5), QPoint(300, 200)}) {
        QPointer<QDialog> seen;
        whenOpen(dialogs, [&seen, at](QDialog* window) {
            seen = window;
            auto* sens = qobject_cast<SensorLayoutWindow*>(window);
            QVERIFY(sens);
            QTest::mouseClick(sens->layoutPicture, Qt::LeftButton, {}, at);
        });
        dialogs.showSensorLayout();
        QVERIFY(seen.isNull());
        QVERIFY(!dialogs.openWindow());
    }
}

QTEST_MAIN(TestOptionDialogs)
#include "test_optiondialogs.moc"
