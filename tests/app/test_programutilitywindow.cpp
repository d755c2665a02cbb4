// The Program Utility window offscreen: what the widgets add to the editor model. Typed text
// reaching the model on focus loss and coming back limited, bold marks, tab refusal, Enter and
// the key filters on the real fields, clicks, the commands' indicators and closing.
#include "../fakes.h"

#include "editordialogs.h"
#include "fieldkeyfilter.h"
#include "optiondialogs.h"
#include "program/demoprograms.h"
#include "programutilitywindow.h"
#include "widgets/commandswitch.h"
#include "widgets/labelpanel.h"
#include "widgets/palette.h"
#include "widgets/tabstrip.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace vanto;
using vanto::test::FakeEditorLink;
using vanto::test::FakeFileDialogs;
using vanto::test::FakePrompts;

namespace {

struct Rig {
    ProgramState state;
    FakeEditorLink link;
    FakePrompts prompts;
    FakeFileDialogs dialogs;
    EditorSetup setup;
    std::unique_ptr<ProgramUtilityWindow> window;

    explicit Rig(bool remote = false, int current = 1) {
        state.programs = demoPrograms();
        for (int p = 0; p < kProgramCount; ++p) {
            ProgramRecord& r = state.programs[p];
            r.set(Field::Units, " 0"); // every program in inches: typed = stored
            r.set(Field::MinimumBase, "13");
            r.set(Field::Base, "20");
            r.set(Field::Range, "30");
            r.set(Field::TotalSpan, "50");
            r.set(Field::NearRelay, "15");
            r.set(Field::CountMode, "0");
            r.set(Field::MuxSensors, "1");
            r.set(Field::TempSensorMode, "0");
        }
        state.currentProgram = current;
        state.modelName = QStringLiteral("QX3700");
        state.unitSerial = "A12345";
        state.programFileName = QStringLiteral("plant.prg");
        setup.remoteMode = remote;
        setup.featureLevel = 3;
    }

    ProgramUtilityWindow& open(std::function<MainTemperature()> temperature = {}) {
        window = std::make_unique<ProgramUtilityWindow>(state, link, prompts, dialogs, setup,
                                                        std::move(temperature));
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the window did not become active");
        return *window;
    }
    ProgramUtilityWindow& w() { return *window; }
    ProgramRecord& working() { return window->editor().workingRecord(); }

    // Selects a field's text as focusing it does, and types.
    void type(QLineEdit* field, const QString& keys) {
        field->setFocus(Qt::MouseFocusReason);
        field->selectAll();
        QTest::keyClicks(field, keys);
    }
    void clickTab(int tab) {
        TabStrip* strip = window->programTabs;
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(tab).center());
    }
};

bool isBold(const QLineEdit* field) {
    return field->font().bold();
}

} // namespace

class TestProgramUtilityWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void opensOnTheRunningProgram();
    void typedFieldReachesModelOnFocusLoss();
    void boldAfterEditNormalAfterProgramLoad();
    void refusedTabKeepsOldTabAndTypedText();
    void acceptedTabStoresTheEntryBeingTyped();
    void enterMovesToTheNextField();
    void keyFiltersOnRealFields_data();
    void keyFiltersOnRealFields();
    void checkAndOptionClicksReachModel();
    void clickShowsTheModelsDecision();
    void settingsSwitchesOpenTheirDialogs();
    void xmitIndicatorAndWait();
    void closeWithPendingChangesAsks();
    void timer2CopiesTheMainTemperature();
    void overCountShowsTheCountKept();
    void pastedLineEndIsRefused();
    void longFileNameNeverWidensTheWindow();
    void unavailableLooksUnavailable(); // last: it gives the application its palette

private:
    int m_beeps = 0;
};

void TestProgramUtilityWindow::init() {
    m_beeps = 0;
    FieldKeyFilter::instance().beep = [this] { ++m_beeps; };
}

void TestProgramUtilityWindow::opensOnTheRunningProgram() {
    Rig rig(true, 3);
    ProgramUtilityWindow& w = rig.open();
    QCOMPARE(w.programTabs->currentIndex(), 3);
    QCOMPARE(w.panelLabel(kPnlSettings), QStringLiteral("# 3 Program Settings"));
    QCOMPARE(w.panelLabel(kPnlMode), QStringLiteral("REMOTE MODE"));
    QCOMPARE(w.valuePanels[kValActive]->text(), QStringLiteral("YES"));
    QCOMPARE(w.valuePanels[kValActive]->valueBackground(), QColor(0, 255, 0));
    rig.clickTab(5);
    QCOMPARE(w.valuePanels[kValActive]->text(), QStringLiteral("NO"));
    QCOMPARE(w.valuePanels[kValActive]->valueBackground(), QColor(255, 255, 192));
}

void TestProgramUtilityWindow::typedFieldReachesModelOnFocusLoss() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kFieldBase], QStringLiteral("5"));
    // Nothing is checked while the operator types.
    QCOMPARE(rig.working().trimmed(Field::Base), QByteArray("20"));
    QCOMPARE(m_beeps + rig.prompts.beeps, 0);
    w.fieldEdits[kFieldRange]->setFocus(Qt::TabFocusReason);
    // BASE 5 is below the 13-inch minimum: limited with the beep, and shown limited.
    QCOMPARE(rig.working().trimmed(Field::Base), QByteArray("13"));
    QCOMPARE(w.fieldEdits[kFieldBase]->text(), QStringLiteral("13"));
    QCOMPARE(w.fieldEdits[kFieldTotalSpan]->text(), QStringLiteral("43"));
    QCOMPARE(rig.prompts.beeps, 1);
    QCOMPARE(w.commandSwitches[kSwitchSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
}

void TestProgramUtilityWindow::boldAfterEditNormalAfterProgramLoad() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    QVERIFY(!isBold(w.fieldEdits[kFieldAverage]));
    rig.type(w.fieldEdits[kFieldAverage], QStringLiteral("9"));
    QVERIFY(isBold(w.fieldEdits[kFieldAverage]));
    w.fieldEdits[kFieldBase]->setFocus(Qt::TabFocusReason);
    QVERIFY(isBold(w.fieldEdits[kFieldAverage])); // leaving the field keeps the mark
    rig.prompts.answer = true;
    rig.clickTab(2);
    QCOMPARE(w.programTabs->currentIndex(), 2);
    QVERIFY(!isBold(w.fieldEdits[kFieldAverage]));
    // The edit moved into the program set, not into the file: still unsaved.
    QCOMPARE(w.commandSwitches[kSwitchSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
}

void TestProgramUtilityWindow::refusedTabKeepsOldTabAndTypedText() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kFieldRange], QStringLiteral("77"));
    rig.prompts.answer = false;
    rig.clickTab(4);
    QCOMPARE(rig.prompts.questions.size(), 1);
    QCOMPARE(rig.prompts.questions[0].title, QStringLiteral("Modifications Made"));
    QCOMPARE(w.programTabs->currentIndex(), 1);
    QCOMPARE(w.editor().view().selectedTab, 1);
    QCOMPARE(w.fieldEdits[kFieldRange]->text(), QStringLiteral("77"));
    QVERIFY(isBold(w.fieldEdits[kFieldRange]));
    QCOMPARE(w.panelLabel(kPnlSettings), QStringLiteral("# 1 Program Settings"));
    QCOMPARE(w.commandSwitches[kSwitchSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
    // Arrow keys ask the same way.
    w.programTabs->setFocus();
    QTest::keyClick(w.programTabs, Qt::Key_Right);
    QCOMPARE(rig.prompts.questions.size(), 2);
    QCOMPARE(w.programTabs->currentIndex(), 1);
}

void TestProgramUtilityWindow::acceptedTabStoresTheEntryBeingTyped() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kFieldRange], QStringLiteral("77"));
    rig.prompts.answer = true;
    // The click on the tab ends the entry first, so the program kept holds it.
    rig.clickTab(4);
    QCOMPARE(w.programTabs->currentIndex(), 4);
    QCOMPARE(rig.state.programs[1].trimmed(Field::Range), QByteArray("77"));
    QCOMPARE(rig.state.programs[1].trimmed(Field::TotalSpan), QByteArray("97"));
    QCOMPARE(w.fieldEdits[kFieldRange]->text(), QStringLiteral("30"));
    QCOMPARE(w.panelLabel(kPnlSettings), QStringLiteral("# 4 Program Settings"));
    QCOMPARE(w.commandSwitches[kSwitchSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
}

void TestProgramUtilityWindow::enterMovesToTheNextField() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kFieldNearRelay], QStringLiteral("99"));
    QTest::keyClick(w.fieldEdits[kFieldNearRelay], Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w.fieldEdits[kFieldOverCount]);
    // Leaving by Enter is a focus loss: Near Relay is limited to BASE.
    QCOMPARE(w.fieldEdits[kFieldNearRelay]->text(), QStringLiteral("20"));
    QCOMPARE(rig.working().trimmed(Field::NearRelay), QByteArray("20"));
    // From the last field of the first column on to the second.
    w.fieldEdits[kFieldAverage]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.fieldEdits[kFieldAverage], Qt::Key_Enter);
    QCOMPARE(QApplication::focusWidget(), w.fieldEdits[kFieldTemperature]);
    QVERIFY(w.isVisible()); // Enter never operates a command
}

void TestProgramUtilityWindow::keyFiltersOnRealFields_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");
    QTest::newRow("BASE: no letters, no point") << int(kFieldBase) << "1a.5"
                                                << "15" << 2;
    QTest::newRow("Offset %: whole numbers") << int(kFieldOffset) << "-3.0"
                                             << "-30" << 1;
    QTest::newRow("Sample Intv: decimal") << int(kFieldSampleInterval) << "3.5"
                                          << "3.5" << 0;
    QTest::newRow("Temperature: decimal") << int(kFieldTemperature) << "68.8x"
                                          << "68.8" << 1;
    QTest::newRow("serial in capitals") << -1 << "ab1"
                                        << "AB1" << 0;
}

void TestProgramUtilityWindow::keyFiltersOnRealFields() {
    QFETCH(int, field);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    Rig rig(false, 7);
    rig.state.serviceFlag = 99; // the serial number is open on program #7
    ProgramUtilityWindow& w = rig.open();
    QLineEdit* edit = field < 0 ? w.serialEdit : w.fieldEdits[field];
    QVERIFY(edit->isEnabled());
    rig.type(edit, keys);
    QCOMPARE(edit->text(), text);
    QCOMPARE(m_beeps, beeps);
    QVERIFY(isBold(edit));
    if (field < 0) {
        w.fieldEdits[kFieldBase]->setFocus(Qt::TabFocusReason);
        QCOMPARE(rig.state.unitSerial, QByteArray("AB1"));
    }
}

void TestProgramUtilityWindow::checkAndOptionClicksReachModel() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    QVERIFY(!w.optionChecks[kCheckCounter]->isChecked());
    QTest::mouseClick(w.optionChecks[kCheckCounter], Qt::LeftButton);
    QCOMPARE(rig.working().whole(Field::CountMode), qint16(1));
    QCOMPARE(w.optionChecks[kCheckCounter]->checkState(), Qt::Checked);

    QVERIFY(w.rangeOptions[kOpt13Inch]->isChecked());
    rig.working().set(Field::Base, "8"); // as the unit may hold it under the 6-inch minimum
    QTest::mouseClick(w.rangeOptions[kOpt6Inch], Qt::LeftButton);
    QCOMPARE(rig.working().trimmed(Field::MinimumBase), QByteArray("6"));
    QVERIFY(w.rangeOptions[kOpt6Inch]->isChecked());
    QVERIFY(!w.rangeOptions[kOpt13Inch]->isChecked());
    QTest::mouseClick(w.rangeOptions[kOpt13Inch], Qt::LeftButton);
    QCOMPARE(rig.working().trimmed(Field::Base), QByteArray("13")); // raised to the minimum
    QCOMPARE(w.fieldEdits[kFieldBase]->text(), QStringLiteral("13"));

    QTest::mouseClick(w.rangeOptions[kOptionMetric], Qt::LeftButton);
    QCOMPARE(rig.working().trimmed(Field::Units), QByteArray("1"));
    QCOMPARE(w.fieldEdits[kFieldRange]->text(), QStringLiteral("76")); // 30 inches in cm
    QVERIFY(isBold(w.fieldEdits[kFieldRange]));
    QCOMPARE(w.commandSwitches[kSwitchSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
}

void TestProgramUtilityWindow::clickShowsTheModelsDecision() {
    Rig rig;
    rig.state.programs[1].set(Field::ClockEnable, " 2");
    ProgramUtilityWindow& w = rig.open();
    QCOMPARE(w.optionChecks[kCheckClock]->checkState(), Qt::PartiallyChecked);
    // A multiplex option is shown chosen, alone in its group, but stores nothing.
    QTest::mouseClick(w.rangeOptions[kOptMux3], Qt::LeftButton);
    QVERIFY(w.rangeOptions[kOptMux3]->isChecked());
    QVERIFY(!w.rangeOptions[kOptionMuxOff]->isChecked());
    QCOMPARE(rig.working().whole(Field::MuxSensors), qint16(1));
    QCOMPARE(w.commandSwitches[kSwitchSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
    // Clicking the option already selected leaves it selected.
    QTest::mouseClick(w.rangeOptions[kOptionUS], Qt::LeftButton);
    QVERIFY(w.rangeOptions[kOptionUS]->isChecked());
    // A greyed box flips 2 to 3, and shows greyed again.
    QTest::mouseClick(w.optionChecks[kCheckClock], Qt::LeftButton);
    QCOMPARE(rig.working().whole(Field::ClockEnable), qint16(3));
    QCOMPARE(w.optionChecks[kCheckClock]->checkState(), Qt::PartiallyChecked);
}

void TestProgramUtilityWindow::settingsSwitchesOpenTheirDialogs() {
    Rig rig(true);
    ProgramUtilityWindow& window = rig.open();
    // Each switch opens its dialog modally over the editor, on the workingRecord.
    QStringList opened;
    const auto answerNextDialog = [&](std::function<void(QDialog*)> act) {
        QTimer::singleShot(0, [&, act] {
            QDialog* dialog = window.dialogs().openWindow();
            QVERIFY(dialog);
            QCOMPARE(dialog->parentWidget(), &window);
            opened << dialog->objectName();
            act(dialog);
        });
    };
    answerNextDialog([](QDialog* d) {
        auto* count = qobject_cast<CounterDialog*>(d);
        QVERIFY(count);
        count->countBoxes[0]->click(); // "Counter"
        count->closeButton->click();
    });
    QTest::mouseClick(window.settingSwitches[5], Qt::LeftButton);
    QCOMPARE(window.editor().workingRecord().trimmed(Field::CountMode), QByteArray("1"));
    QCOMPARE(window.optionChecks[kCheckCounter]->checkState(), Qt::Checked);
    QCOMPARE(window.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Lit);
    answerNextDialog([](QDialog* d) { d->reject(); });
    QTest::mouseClick(window.settingSwitches[8], Qt::LeftButton);
    answerNextDialog([](QDialog* d) { d->reject(); });
    QTest::mouseClick(window.commandSwitches[kSwitchViewLayout], Qt::LeftButton);
    QCOMPARE(opened, (QStringList{"CounterDialog", "ClockDialog", "SensorLayoutWindow"}));
}

void TestProgramUtilityWindow::xmitIndicatorAndWait() {
    Rig rig(true, 1);
    ProgramUtilityWindow& w = rig.open();
    QVERIFY(w.commandSwitches[kSwitchXmit]->isEnabled());
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Off);
    rig.type(w.fieldEdits[kFieldAverage], QStringLiteral("6"));
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Lit);
    bool tabsDuringWait = true, closeDuringWait = true, litDuringWait = false;
    rig.link.duringWait = [&](int) {
        QCoreApplication::processEvents();
        tabsDuringWait = w.tabPanel->isEnabled();
        closeDuringWait = w.closeButton->isEnabled();
        litDuringWait =
            w.commandSwitches[kSwitchXmit]->indicator() == CommandSwitch::Indicator::Lit;
        rig.link.linkRequest = 0; // the unit took the program
    };
    QTest::mouseClick(w.commandSwitches[kSwitchXmit], Qt::LeftButton);
    QVERIFY(!tabsDuringWait);
    QVERIFY(!closeDuringWait);
    QVERIFY(litDuringWait);
    // The program transmitted holds the entry made just before Xmit.
    QCOMPARE(rig.state.programs[1].trimmed(Field::AverageCount), QByteArray("6"));
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Off);
    QVERIFY(w.tabPanel->isEnabled());
    QVERIFY(w.closeButton->isEnabled());
    QVERIFY(!isBold(w.fieldEdits[kFieldAverage]));
    QCOMPARE(rig.link.refreshed, 1); // the running program was transmitted

    // Opened off-line, Xmit cannot be used and says so by its colour.
    Rig offline(true, 1);
    offline.link.online = false;
    ProgramUtilityWindow& o = offline.open();
    QVERIFY(!o.commandSwitches[kSwitchXmit]->isEnabled());
    QCOMPARE(o.commandSwitches[kSwitchXmit]->faceColor(), QColor(0, 128, 255));
}

void TestProgramUtilityWindow::closeWithPendingChangesAsks() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    QTest::mouseClick(w.closeButton, Qt::LeftButton); // nothing pending: no question
    QVERIFY(rig.prompts.questions.isEmpty());
    QVERIFY(!w.isVisible());

    w.show();
    rig.type(w.fieldEdits[kFieldOverCount], QStringLiteral("3"));
    rig.prompts.answer = false;
    QTest::mouseClick(w.closeButton, Qt::LeftButton);
    QCOMPARE(rig.prompts.questions.size(), 1);
    QVERIFY(w.isVisible());
    QVERIFY(!w.close()); // the close box asks the same
    QCOMPARE(rig.prompts.questions.size(), 2);
    QVERIFY(w.isVisible());
    QTest::keyClick(&w, Qt::Key_Escape);
    QCOMPARE(rig.prompts.questions.size(), 3);
    QVERIFY(w.isVisible());
    rig.prompts.answer = true;
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    // Closing drops the shown program's edits.
    QCOMPARE(rig.state.programs[1].trimmed(Field::OverCount),
             demoPrograms()[1].trimmed(Field::OverCount));
}

void TestProgramUtilityWindow::timer2CopiesTheMainTemperature() {
    Rig rig(true, 2);
    rig.state.programs[2].set(Field::TempSensorMode, " 1");
    int asked = 0;
    ProgramUtilityWindow& w = rig.open([&asked] {
        ++asked;
        MainTemperature t;
        t.compensationOn = true;
        t.conversionValue = 0.0071234;
        t.temperatureText = QStringLiteral("71.6");
        return t;
    });
    QVERIFY(!w.fieldEdits[kFieldTemperature]->isEnabled());
    QTRY_COMPARE(w.fieldEdits[kFieldTemperature]->text(), QStringLiteral("71.6"));
    QCOMPARE(w.valuePanels[kValConversion]->text(), QStringLiteral("0.00712"));
    QVERIFY(asked >= 1);
    QVERIFY(!isBold(w.fieldEdits[kFieldTemperature])); // the tick is no edit
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Off);
}

void TestProgramUtilityWindow::overCountShowsTheCountKept() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kFieldOverCount], QStringLiteral("99999"));
    w.fieldEdits[kFieldAverage]->setFocus(Qt::TabFocusReason);
    QCOMPARE(rig.working().trimmed(Field::OverCount), QByteArray("32767"));
    QCOMPARE(w.fieldEdits[kFieldOverCount]->text(), QStringLiteral("32767"));
    QCOMPARE(rig.prompts.beeps, 1);
}

// Ctrl+V of a value holding a line end into Average Cnt: refused with the beep, the field and
// the program keep their text, and the value then pasted alone goes in.
void TestProgramUtilityWindow::pastedLineEndIsRefused() {
    Rig rig(true, 1);
    ProgramUtilityWindow& w = rig.open();
    QLineEdit* average = w.fieldEdits[kFieldAverage];
    const QString before = average->text();
    average->setFocus(Qt::MouseFocusReason);
    average->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("4\r9"));
    QTest::keyClick(average, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(average->text(), before);
    QCOMPARE(m_beeps, 1);
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Off); // no edit
    QGuiApplication::clipboard()->setText(QStringLiteral("49\n"));
    QTest::keyClick(average, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(average->text(), QStringLiteral("49"));
    QVERIFY(isBold(average));
    w.fieldEdits[kFieldBase]->setFocus(Qt::TabFocusReason);
    QCOMPARE(rig.working().trimmed(Field::AverageCount), QByteArray("49"));
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Lit);
}

void TestProgramUtilityWindow::longFileNameNeverWidensTheWindow() {
    Rig shortName;
    const int width = shortName.open().width();
    Rig rig;
    const QString name = QString(100, QLatin1Char('n')) + QStringLiteral(".prg");
    rig.state.programFileName = name;
    rig.state.programFilePath = QStringLiteral("/plant/line 2/") + name;
    ProgramUtilityWindow& w = rig.open();
    QCOMPARE(w.width(), width);
    QCOMPARE(w.panelLabel(kPnlMode), QStringLiteral("FILE MODE: ") + name.toUpper());
    auto* caption = w.findChild<QLabel*>(QStringLiteral("modeLabel"));
    QVERIFY(caption);
    QVERIFY(caption->text().contains(QChar(0x2026))); // shortened with an ellipsis
    QVERIFY(caption->text().endsWith(QStringLiteral(".PRG")));
    QCOMPARE(caption->toolTip(), QStringLiteral("/plant/line 2/") + name);
}

// The application's palette dims what cannot be used. With VANTO_GRAB_DIR set, pictures of the
// window with a long file name and with unavailable fields are saved there to be looked at.
void TestProgramUtilityWindow::unavailableLooksUnavailable() {
    applyInstrumentPalette(*qApp);
    const QPalette palette = QApplication::palette();
    for (QPalette::ColorRole text : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
        const QColor on = palette.color(QPalette::Active, text);
        const QColor off = palette.color(QPalette::Disabled, text);
        QVERIFY2(off.lightness() < on.lightness() - 60, qPrintable(QString::number(text)));
    }
    // Styles etch disabled text with Light: it must not outshine the enabled text.
    QVERIFY(palette.color(QPalette::Disabled, QPalette::Light).lightness() <
            palette.color(QPalette::Active, QPalette::Text).lightness());

    Rig rig(false, 2);
    const QString name = QStringLiteral("north_line_conveyor_2_after_retrofit_program_set_"
                                        "with_a_very_long_descriptive_name_2026-12-07.prg");
    rig.state.programFileName = name;
    rig.state.programFilePath = QStringLiteral("/srv/plant/backups/") + name;
    rig.state.programs[2].set(Field::TempSensorMode, " 1"); // the unit measures: no entry
    ProgramUtilityWindow& w = rig.open();
    QVERIFY(!w.fieldEdits[kFieldTemperature]->isEnabled());
    QVERIFY(!w.serialEdit->isEnabled());
    const QPalette shown = w.fieldEdits[kFieldTemperature]->palette();
    QVERIFY(shown.color(QPalette::Disabled, QPalette::Text) !=
            w.fieldEdits[kFieldBase]->palette().color(QPalette::Active, QPalette::Text));
    const QString dir = qEnvironmentVariable("VANTO_GRAB_DIR");
    if (!dir.isEmpty()) {
        QTest::qWait(100);
        w.grab().save(
            QDir(dir).filePath(QStringLiteral("ProgramUtilityWindow-long-name-unavailable.png")));
        QMenu menu;
        menu.addAction(QStringLiteral("&Remote"));
        menu.addAction(QStringLiteral("&Program File"))->setEnabled(false);
        menu.popup(w.mapToGlobal(QPoint(20, 20)));
        QTest::qWait(100);
        menu.grab().save(QDir(dir).filePath(QStringLiteral("menu-unavailable-item.png")));
    }
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestProgramUtilityWindow t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_programutilitywindow.moc"
