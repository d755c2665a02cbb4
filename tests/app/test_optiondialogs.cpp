// The option dialogs and the sensor layout window, offscreen. Set VANTO_GRAB_DIR to a
// directory to also save a picture of every window there.
#include "../fakes.h"

#include "editor/programeditor.h"
#include "editordialogs.h"
#include "fieldkeyfilter.h"
#include "optiondialogs.h"
#include "sensorlayoutwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace vanto;
using vanto::test::FakeFileDialogs;
using vanto::test::FakePrompts;

namespace {

ProgramRecord loaded() {
    ProgramRecord r;
    const std::pair<Field, const char*> fields[] = {
        {Field::Units, " 0"},
        {Field::Base, "13"},
        {Field::Range, "30"},
        {Field::TotalSpan, "43"},
        {Field::NearRelay, "13"},
        {Field::MinimumBase, "6"},
        {Field::Conversion, "0.0067"},
        {Field::SampleInterval, "10000"},
        {Field::RelayOnDistance, "25"},
        {Field::RelayOffDistance, "40"},
        {Field::RelayDelay, "3"},
        {Field::Rs232Content, "1"},
        {Field::Rs232Delay, "10"},
        {Field::Rs232Baud, "9600"},
        {Field::ClockFrequency, "1000"},
        {Field::ClockDelay, "4"},
        {Field::CountMode, " 1"},
        {Field::CountDelay, "8"},
        {Field::SumScaleType, "2"},
        {Field::SumScalePercent, "30"},
        {Field::SumScaleChannel, "1"},
        {Field::ModeFlags, "000001010"},
        {Field::SlaveMode, "0"},
        {Field::MuxSensors, "1"},
    };
    for (const auto& [field, text] : fields)
        r.set(field, text);
    return r;
}

class NoLink : public EditorLink {
public:
    bool onLine() const override { return false; }
    void startTransmission() override {}
    bool transmissionPending() const override { return false; }
    void abandonTransmission() override {}
    void processEvents() override {}
    void refreshMainDisplay() override {}
};

// Runs `action` on the modal window once it is open.
void whenOpen(EditorDialogs& dialogs, std::function<void(QDialog*)> action) {
    QTimer::singleShot(0, [&dialogs, action] {
        QDialog* window = dialogs.openWindow();
        QVERIFY(window && window->isVisible());
        action(window);
    });
}

void grab(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("VANTO_GRAB_DIR");
    if (!dir.isEmpty())
        window->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

// A click on the check mark or round button of a check box or option, where a stretched
// button takes clicks.
void clickMark(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
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
    void counterBoxesExcludeEachOther();
    void layoutClosesOnAnyKey_data();
    void layoutClosesOnAnyKey();
    void layoutClosesOnClick();
    void editorOpensDialogsOnItsWorkingRecord();

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
    grab(window.get(), window->objectName());
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

void TestOptionDialogs::counterBoxesExcludeEachOther() {
    ProgramRecord record = loaded(); // counter
    CounterDialog w(record, m_prompts);
    showActive(&w);
    QVERIFY(w.countBoxes[kCounterBox]->isChecked());
    clickMark(w.countBoxes[kGateBox]);
    QVERIFY(w.countBoxes[kGateBox]->isChecked());
    QVERIFY(!w.countBoxes[kCounterBox]->isChecked());
    QTest::mouseClick(w.closeButton, Qt::LeftButton);
    QCOMPARE(record.trimmed(Field::CountMode), QByteArray("2"));
}

void TestOptionDialogs::layoutClosesOnAnyKey_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("letter") << int(Qt::Key_A);
}

void TestOptionDialogs::layoutClosesOnAnyKey() {
    QFETCH(int, key);
    SensorLayoutWindow w;
    showActive(&w);
    grab(&w, QStringLiteral("SensorLayoutWindow"));
    const QString dir = qEnvironmentVariable("VANTO_GRAB_DIR");
    if (!dir.isEmpty()) { // the drawing at twice its size
        QImage big(kSensorLayoutSize * 2, QImage::Format_RGB32);
        QPainter painter(&big);
        drawSensorLayout(painter, QRectF(big.rect()));
        painter.end();
        big.save(QDir(dir).filePath(QStringLiteral("SensorLayoutWindow-2x.png")));
    }
    QTest::keyClick(&w, Qt::Key(key));
    QVERIFY(!w.isVisible());
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

void TestOptionDialogs::editorOpensDialogsOnItsWorkingRecord() {
    ProgramState state;
    for (int p = 0; p < kProgramCount; ++p)
        state.programs[p] = loaded();
    state.currentProgram = 2;
    state.modelName = QStringLiteral("QX3700");
    NoLink link;
    FakeFileDialogs files;
    QWidget editorWindow;
    EditorDialogs dialogs(m_prompts, 3, &editorWindow);
    EditorSetup setup;
    setup.remoteMode = false;
    setup.featureLevel = 3;
    ProgramEditor editor(state, link, dialogs, m_prompts, files, setup);
    dialogs.setEditor(&editor);
    showActive(&editorWindow);

    // The clock dialog stores into the workingRecord only, not into the program set.
    whenOpen(dialogs, [](QDialog* window) {
        auto* clock = qobject_cast<ClockDialog*>(window);
        QVERIFY(clock);
        clock->entryFields[kClockDelay]->setText(QStringLiteral("15"));
        emit clock->entryFields[kClockDelay]->textEdited(QStringLiteral("15"));
        clock->closeButton->click();
    });
    editor.onSettingsSwitch(int(SettingsDialog::Clock));
    QCOMPARE(editor.workingRecord().trimmed(Field::ClockDelay), QByteArray("15"));
    QCOMPARE(state.programs[2], loaded());
    QCOMPARE(editor.view().unsavedFile, 3);

    // The counter dialog's choice shows on the editor's Enable box at once.
    whenOpen(dialogs, [](QDialog* window) {
        auto* count = qobject_cast<CounterDialog*>(window);
        QVERIFY(count);
        count->countBoxes[kGateBox]->click();
        count->closeButton->click();
    });
    editor.onSettingsSwitch(int(SettingsDialog::Counter));
    QCOMPARE(editor.workingRecord().trimmed(Field::CountMode), QByteArray("2"));
    QCOMPARE(editor.view().optionChecks[kCheckCounter].state, CheckState::Greyed);
    QCOMPARE(m_prompts.beeps, 0);
}

QTEST_MAIN(TestOptionDialogs)
#include "test_optiondialogs.moc"
