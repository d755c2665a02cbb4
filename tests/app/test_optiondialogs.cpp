// The option dialogs and the sensor layout window, offscreen. Set VANTO_GRAB_DIR to a
// directory to also save a picture of every window there.
#include "../fakes.h"

#include "cuiwidget.h"
#include "editor/programeditor.h"
#include "editordialogs.h"
#include "frmsens.h"
#include "optiondialogs.h"

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
    bool OnLine() const override { return false; }
    void StartTransmission() override {}
    bool TransmissionPending() const override { return false; }
    void AbandonTransmission() override {}
    void ProcessEvents() override {}
    void RefreshMainDisplay() override {}
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

// The dialog's Close button; the control relay dialog has two, Close and Cancel.
QPushButton* closeButton(QDialog* window) {
    auto* close = window->findChild<QPushButton*>(QStringLiteral("cmdClose"));
    return close ? close : window->findChild<QPushButton*>(QStringLiteral("cmdClose0"));
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
    void sumScaleTypeSwitchRelabels();
    void controlRelayTwoPressesAndCancel();
    void counterBoxesExcludeEachOther();
    void rs232PairsAreIndependent();
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
    CUI::instance().beep = [this] { ++m_keyBeeps; };
}

void TestOptionDialogs::openAndCloseChangesNothing_data() {
    QTest::addColumn<SettingsDialog>("dialog");
    QTest::newRow("frmCtrRly") << SettingsDialog::ControlRelay;
    QTest::newRow("frmCount") << SettingsDialog::Counter;
    QTest::newRow("frmRS232") << SettingsDialog::Rs232;
    QTest::newRow("frmSumScl") << SettingsDialog::SumScale;
    QTest::newRow("frmClock") << SettingsDialog::Clock;
}

void TestOptionDialogs::openAndCloseChangesNothing() {
    QFETCH(SettingsDialog, dialog);
    ProgramRecord record = loaded();
    std::unique_ptr<QDialog> window;
    switch (dialog) {
    case SettingsDialog::ControlRelay:
        window = std::make_unique<frmCtrRly>(record, m_prompts);
        break;
    case SettingsDialog::Counter:
        window = std::make_unique<frmCount>(record, m_prompts);
        break;
    case SettingsDialog::Rs232:
        window = std::make_unique<frmRS232>(record, m_prompts);
        break;
    case SettingsDialog::SumScale:
        window = std::make_unique<frmSumScl>(record, 3, m_prompts);
        break;
    case SettingsDialog::Clock:
        window = std::make_unique<frmClock>(record, m_prompts);
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
    QTest::mouseClick(closeButton(window.get()), Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromLatin1(record.bytes()), QString::fromLatin1(loaded().bytes()));
    QCOMPARE(m_prompts.beeps, 0);
}

void TestOptionDialogs::frameCloseStoresNothing() {
    ProgramRecord record = loaded();
    frmClock clock(record, m_prompts);
    showActive(&clock);
    clock.txtCdel[kClockDelay]->setFocus();
    QTest::keyClicks(clock.txtCdel[kClockDelay], QStringLiteral("77"));
    QVERIFY(clock.txtCdel[kClockDelay]->font().bold());
    QTest::keyClick(&clock, Qt::Key_Escape);
    QVERIFY(!clock.isVisible());
    QCOMPARE(record, loaded());

    // Closing the window is not leaving the box for another control: no limit, no beep.
    frmSumScl sumScale(record, 3, m_prompts);
    showActive(&sumScale);
    sumScale.optSmch[3]->click();
    sumScale.txtPerc[0]->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(sumScale.txtPerc[0], QStringLiteral("150"));
    QTest::keyClick(sumScale.txtPerc[0], Qt::Key_Escape);
    QVERIFY(!sumScale.isVisible());
    QCOMPARE(record, loaded());
    QCOMPARE(m_prompts.beeps, 0);
}

void TestOptionDialogs::sumScaleTypingAndLeaving() {
    ProgramRecord record = loaded(); // SUM Linear, 30 %
    frmSumScl w(record, 3, m_prompts);
    showActive(&w);
    QVERIFY(w.txtPerc[1]->isVisible());
    QCOMPARE(w.txtPerc[1]->text(), QStringLiteral("70"));
    w.txtPerc[0]->setFocus(Qt::TabFocusReason);
    QTest::qWait(10); // the whole text is selected after the focus change
    QTest::keyClicks(w.txtPerc[0], QStringLiteral("12x0"));
    QCOMPARE(m_keyBeeps, 1); // the letter
    QCOMPARE(w.txtPerc[0]->text(), QStringLiteral("120"));
    QTest::keyClick(w.txtPerc[0], Qt::Key_Return); // moves on: leaves the box
    QCOMPARE(m_prompts.beeps, 1);
    QCOMPARE(w.txtPerc[0]->text(), QStringLiteral(" 100"));
    QCOMPARE(w.txtPerc[1]->text(), QStringLiteral(" 0"));

    w.txtPerc[0]->setFocus(Qt::TabFocusReason);
    QTest::qWait(10);
    QTest::keyClicks(w.txtPerc[0], QStringLiteral("45"));
    QTest::mouseClick(w.cmdClose, Qt::LeftButton); // the click leaves the box first
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(record.trimmed(Field::SumScalePercent), QByteArray("45"));
    QCOMPARE(record.trimmed(Field::SumScaleType), QByteArray("2"));
}

void TestOptionDialogs::sumScaleTypeSwitchRelabels() {
    ProgramRecord record = loaded();
    record.set(Field::SumScaleType, "0");
    record.set(Field::SumScalePercent, "125");
    frmSumScl w(record, 2, m_prompts);
    showActive(&w);
    QVERIFY(!w.optSmSc[kSumLinear]->isEnabled());
    QCOMPARE(w.lblPerc[0]->text(), QStringLiteral("Scale Value"));
    QCOMPARE(w.txtPerc[0]->text(), QStringLiteral("1.25"));
    QVERIFY(!w.txtPerc[1]->isVisible());
    clickMark(w.optSmSc[kSumProportional]);
    QCOMPARE(w.lblPerc[0]->text(), QStringLiteral("Percent Sensor"));
    QCOMPARE(w.txtPerc[0]->text(), QStringLiteral("1"));
    clickMark(w.optSmch[3]);
    QTest::mouseClick(w.cmdClose, Qt::LeftButton);
    QCOMPARE(record.trimmed(Field::SumScaleType), QByteArray("1"));
    QCOMPARE(record.trimmed(Field::SumScalePercent), QByteArray("1"));
    QCOMPARE(record.trimmed(Field::SumScaleChannel), QByteArray("3"));
}

void TestOptionDialogs::controlRelayTwoPressesAndCancel() {
    ProgramRecord record = loaded();
    frmCtrRly w(record, m_prompts);
    showActive(&w);
    w.txtCdel[kRelayOn]->setFocus(Qt::TabFocusReason);
    QTest::qWait(10);
    QTest::keyClicks(w.txtCdel[kRelayOn], QStringLiteral("50"));
    QTest::keyClick(w.txtCdel[kRelayOn], Qt::Key_Return);
    QVERIFY(w.txtCdel[kRelayOff]->hasFocus());
    QTest::keyClicks(w.txtCdel[kRelayOff], QStringLiteral("43"));
    QTest::mouseClick(w.cmdClose[0], Qt::LeftButton);
    QVERIFY(w.isVisible());
    QCOMPARE(m_prompts.beeps, 1);
    QCOMPARE(w.txtCdel[kRelayOn]->text(), QStringLiteral("43"));
    QCOMPARE(record, loaded());
    QTest::mouseClick(w.cmdClose[0], Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(record.trimmed(Field::RelayOnDistance), QByteArray("43"));
    QCOMPARE(record.trimmed(Field::RelayOffDistance), QByteArray("43"));

    ProgramRecord untouched = loaded();
    frmCtrRly cancelled(untouched, m_prompts);
    showActive(&cancelled);
    cancelled.txtCdel[kRelayOn]->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(cancelled.txtCdel[kRelayOn], QStringLiteral("30"));
    QTest::mouseClick(cancelled.cmdClose[1], Qt::LeftButton);
    QVERIFY(!cancelled.isVisible());
    QCOMPARE(untouched, loaded());
}

void TestOptionDialogs::counterBoxesExcludeEachOther() {
    ProgramRecord record = loaded(); // counter
    frmCount w(record, m_prompts);
    showActive(&w);
    QVERIFY(w.chkCnt[kCounterBox]->isChecked());
    clickMark(w.chkCnt[kGateBox]);
    QVERIFY(w.chkCnt[kGateBox]->isChecked());
    QVERIFY(!w.chkCnt[kCounterBox]->isChecked());
    clickMark(w.chkCnt[kGateBox]);
    QVERIFY(!w.chkCnt[kGateBox]->isChecked() && !w.chkCnt[kCounterBox]->isChecked());
    clickMark(w.chkCnt[kGateBox]);
    QTest::mouseClick(w.cmdClose, Qt::LeftButton);
    QCOMPARE(record.trimmed(Field::CountMode), QByteArray("2"));
}

void TestOptionDialogs::rs232PairsAreIndependent() {
    ProgramRecord record = loaded(); // S/N & Data, 9600
    frmRS232 w(record, m_prompts);
    showActive(&w);
    clickMark(w.optSer[kBaud4800]);
    QVERIFY(w.optSer[kSerialAndData]->isChecked());
    QVERIFY(!w.optSer[kBaud9600]->isChecked());
    clickMark(w.optSer[kDataOnly]);
    QVERIFY(w.optSer[kBaud4800]->isChecked());
    QTest::mouseClick(w.cmdClose, Qt::LeftButton);
    QCOMPARE(record.trimmed(Field::Rs232Baud), QByteArray("4800"));
    QCOMPARE(record.trimmed(Field::Rs232Content), QByteArray(kContentDataOnly));
}

void TestOptionDialogs::layoutClosesOnAnyKey_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Tab") << int(Qt::Key_Tab);
    QTest::newRow("letter") << int(Qt::Key_A);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void TestOptionDialogs::layoutClosesOnAnyKey() {
    QFETCH(int, key);
    frmSens w;
    showActive(&w);
    grab(&w, QStringLiteral("frmSens"));
    const QString dir = qEnvironmentVariable("VANTO_GRAB_DIR");
    if (!dir.isEmpty()) { // the drawing at twice its size
        QImage big(kSensorLayoutSize * 2, QImage::Format_RGB32);
        QPainter painter(&big);
        DrawSensorLayout(painter, QRectF(big.rect()));
        painter.end();
        big.save(QDir(dir).filePath(QStringLiteral("frmSens-2x.png")));
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
            auto* sens = qobject_cast<frmSens*>(window);
            QVERIFY(sens);
            QTest::mouseClick(sens->vseSensor, Qt::LeftButton, {}, at);
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
    state.CurrentProgram = 2;
    state.ModelName = QStringLiteral("QX3700");
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

    // The clock dialog stores into the WorkingRecord only, not into the program set.
    whenOpen(dialogs, [](QDialog* window) {
        auto* clock = qobject_cast<frmClock*>(window);
        QVERIFY(clock);
        clock->txtCdel[kClockDelay]->setText(QStringLiteral("15"));
        emit clock->txtCdel[kClockDelay]->textEdited(QStringLiteral("15"));
        clock->cmdClose->click();
    });
    editor.onSettingsSwitch(int(SettingsDialog::Clock));
    QCOMPARE(editor.WorkingRecord().trimmed(Field::ClockDelay), QByteArray("15"));
    QCOMPARE(state.programs[2], loaded());
    QCOMPARE(editor.view().unsavedFile, 3);

    // The counter dialog's choice shows on the editor's Enable box at once.
    whenOpen(dialogs, [](QDialog* window) {
        auto* count = qobject_cast<frmCount*>(window);
        QVERIFY(count);
        count->chkCnt[kGateBox]->click();
        count->cmdClose->click();
    });
    editor.onSettingsSwitch(int(SettingsDialog::Counter));
    QCOMPARE(editor.WorkingRecord().trimmed(Field::CountMode), QByteArray("2"));
    QCOMPARE(editor.view().chkprog[kChkCount].state, CheckState::Greyed);

    // The remaining dialogs open on the same record and change nothing when closed at once.
    const ProgramRecord before = editor.WorkingRecord();
    for (SettingsDialog d :
         {SettingsDialog::Rs232, SettingsDialog::SumScale, SettingsDialog::ControlRelay}) {
        QString opened;
        whenOpen(dialogs, [&opened](QDialog* window) {
            opened = window->objectName();
            closeButton(window)->click();
        });
        editor.onSettingsSwitch(int(d));
        QCOMPARE(opened, QStringList({QString(), QString(), QString(), QString(), "frmCtrRly",
                                      "frmCount", "frmRS232", "frmSumScl", "frmClock"})
                             .at(int(d)));
    }
    QCOMPARE(editor.WorkingRecord(), before);
    QCOMPARE(m_prompts.beeps, 0);
}

QTEST_MAIN(TestOptionDialogs)
#include "test_optiondialogs.moc"
