// The Program Utility window offscreen: what the widgets add to the editor model. Typed text
// reaching the model on focus loss and coming back limited, bold marks, tab refusal, Enter and
// the key filters on the real fields, clicks, the commands' indicators and closing.
#include "../fakes.h"

#include "fieldkeyfilter.h"
#include "editordialogs.h"
#include "programutilitywindow.h"
#include "optiondialogs.h"
#include "program/demoprograms.h"
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
        state.programs = DemoPrograms();
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
        state.CurrentProgram = current;
        state.ModelName = QStringLiteral("QX3700");
        state.UnitSerial = "A12345";
        state.ProgramFileName = QStringLiteral("plant.prg");
        setup.remoteMode = remote;
        setup.featureLevel = 3;
    }

    ProgramUtilityWindow& open(std::function<MainTemperature()> temperature = {}) {
        window =
            std::make_unique<ProgramUtilityWindow>(state, link, prompts, dialogs, setup, std::move(temperature));
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the window did not become active");
        return *window;
    }
    ProgramUtilityWindow& w() { return *window; }
    ProgramRecord& working() { return window->editor().WorkingRecord(); }

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

class TestFrmProg : public QObject {
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

void TestFrmProg::init() {
    m_beeps = 0;
    FieldKeyFilter::instance().beep = [this] { ++m_beeps; };
}

void TestFrmProg::opensOnTheRunningProgram() {
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

void TestFrmProg::typedFieldReachesModelOnFocusLoss() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kTxtBase], QStringLiteral("5"));
    // Nothing is checked while the operator types.
    QCOMPARE(rig.working().trimmed(Field::Base), QByteArray("20"));
    QCOMPARE(m_beeps + rig.prompts.beeps, 0);
    w.fieldEdits[kTxtRange]->setFocus(Qt::TabFocusReason);
    // BASE 5 is below the 13-inch minimum: limited with the beep, and shown limited.
    QCOMPARE(rig.working().trimmed(Field::Base), QByteArray("13"));
    QCOMPARE(w.fieldEdits[kTxtBase]->text(), QStringLiteral("13"));
    QCOMPARE(w.fieldEdits[kTxtTotalSpan]->text(), QStringLiteral("43"));
    QCOMPARE(rig.prompts.beeps, 1);
    QCOMPARE(w.commandSwitches[kTogSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
}

void TestFrmProg::boldAfterEditNormalAfterProgramLoad() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    QVERIFY(!isBold(w.fieldEdits[kTxtAverage]));
    rig.type(w.fieldEdits[kTxtAverage], QStringLiteral("9"));
    QVERIFY(isBold(w.fieldEdits[kTxtAverage]));
    w.fieldEdits[kTxtBase]->setFocus(Qt::TabFocusReason);
    QVERIFY(isBold(w.fieldEdits[kTxtAverage])); // leaving the field keeps the mark
    rig.prompts.answer = true;
    rig.clickTab(2);
    QCOMPARE(w.programTabs->currentIndex(), 2);
    QVERIFY(!isBold(w.fieldEdits[kTxtAverage]));
    // The edit moved into the program set, not into the file: still unsaved.
    QCOMPARE(w.commandSwitches[kTogSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
}

void TestFrmProg::refusedTabKeepsOldTabAndTypedText() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kTxtRange], QStringLiteral("77"));
    rig.prompts.answer = false;
    rig.clickTab(4);
    QCOMPARE(rig.prompts.questions.size(), 1);
    QCOMPARE(rig.prompts.questions[0].title, QStringLiteral("Modifications Made"));
    QCOMPARE(w.programTabs->currentIndex(), 1);
    QCOMPARE(w.editor().view().selectedTab, 1);
    QCOMPARE(w.fieldEdits[kTxtRange]->text(), QStringLiteral("77"));
    QVERIFY(isBold(w.fieldEdits[kTxtRange]));
    QCOMPARE(w.panelLabel(kPnlSettings), QStringLiteral("# 1 Program Settings"));
    QCOMPARE(w.commandSwitches[kTogSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
    // Arrow keys ask the same way.
    w.programTabs->setFocus();
    QTest::keyClick(w.programTabs, Qt::Key_Right);
    QCOMPARE(rig.prompts.questions.size(), 2);
    QCOMPARE(w.programTabs->currentIndex(), 1);
}

void TestFrmProg::acceptedTabStoresTheEntryBeingTyped() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kTxtRange], QStringLiteral("77"));
    rig.prompts.answer = true;
    // The click on the tab ends the entry first, so the program kept holds it.
    rig.clickTab(4);
    QCOMPARE(w.programTabs->currentIndex(), 4);
    QCOMPARE(rig.state.programs[1].trimmed(Field::Range), QByteArray("77"));
    QCOMPARE(rig.state.programs[1].trimmed(Field::TotalSpan), QByteArray("97"));
    QCOMPARE(w.fieldEdits[kTxtRange]->text(), QStringLiteral("30"));
    QCOMPARE(w.panelLabel(kPnlSettings), QStringLiteral("# 4 Program Settings"));
    QCOMPARE(w.commandSwitches[kTogSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
}

void TestFrmProg::enterMovesToTheNextField() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kTxtNearRelay], QStringLiteral("99"));
    QTest::keyClick(w.fieldEdits[kTxtNearRelay], Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w.fieldEdits[kTxtOverCount]);
    // Leaving by Enter is a focus loss: Near Relay is limited to BASE.
    QCOMPARE(w.fieldEdits[kTxtNearRelay]->text(), QStringLiteral("20"));
    QCOMPARE(rig.working().trimmed(Field::NearRelay), QByteArray("20"));
    // From the last field of the first column on to the second.
    w.fieldEdits[kTxtAverage]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.fieldEdits[kTxtAverage], Qt::Key_Enter);
    QCOMPARE(QApplication::focusWidget(), w.fieldEdits[kTxtTemperature]);
    QVERIFY(w.isVisible()); // Enter never operates a command
}

void TestFrmProg::keyFiltersOnRealFields_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");
    QTest::newRow("BASE: no letters, no point") << int(kTxtBase) << "1a.5"
                                                << "15" << 2;
    QTest::newRow("Offset %: whole numbers") << int(kTxtOffset) << "-3.0"
                                             << "-30" << 1;
    QTest::newRow("Sample Intv: decimal") << int(kTxtSampleInterval) << "3.5"
                                          << "3.5" << 0;
    QTest::newRow("Temperature: decimal") << int(kTxtTemperature) << "68.8x"
                                          << "68.8" << 1;
    QTest::newRow("serial in capitals") << -1 << "ab1"
                                        << "AB1" << 0;
}

void TestFrmProg::keyFiltersOnRealFields() {
    QFETCH(int, field);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    Rig rig(false, 7);
    rig.state.ServiceFlag = 99; // the serial number is open on program #7
    ProgramUtilityWindow& w = rig.open();
    QLineEdit* edit = field < 0 ? w.serialEdit : w.fieldEdits[field];
    QVERIFY(edit->isEnabled());
    rig.type(edit, keys);
    QCOMPARE(edit->text(), text);
    QCOMPARE(m_beeps, beeps);
    QVERIFY(isBold(edit));
    if (field < 0) {
        w.fieldEdits[kTxtBase]->setFocus(Qt::TabFocusReason);
        QCOMPARE(rig.state.UnitSerial, QByteArray("AB1"));
    }
}

void TestFrmProg::checkAndOptionClicksReachModel() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    QVERIFY(!w.chkprog[kChkCount]->isChecked());
    QTest::mouseClick(w.chkprog[kChkCount], Qt::LeftButton);
    QCOMPARE(rig.working().whole(Field::CountMode), qint16(1));
    QCOMPARE(w.chkprog[kChkCount]->checkState(), Qt::Checked);

    QVERIFY(w.rangeOptions[kOpt13Inch]->isChecked());
    rig.working().set(Field::Base, "8"); // as the unit may hold it under the 6-inch minimum
    QTest::mouseClick(w.rangeOptions[kOpt6Inch], Qt::LeftButton);
    QCOMPARE(rig.working().trimmed(Field::MinimumBase), QByteArray("6"));
    QVERIFY(w.rangeOptions[kOpt6Inch]->isChecked());
    QVERIFY(!w.rangeOptions[kOpt13Inch]->isChecked());
    QTest::mouseClick(w.rangeOptions[kOpt13Inch], Qt::LeftButton);
    QCOMPARE(rig.working().trimmed(Field::Base), QByteArray("13")); // raised to the minimum
    QCOMPARE(w.fieldEdits[kTxtBase]->text(), QStringLiteral("13"));

    QTest::mouseClick(w.rangeOptions[kOptMetric], Qt::LeftButton);
    QCOMPARE(rig.working().trimmed(Field::Units), QByteArray("1"));
    QCOMPARE(w.fieldEdits[kTxtRange]->text(), QStringLiteral("76")); // 30 inches in cm
    QVERIFY(isBold(w.fieldEdits[kTxtRange]));
    QCOMPARE(w.commandSwitches[kTogSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
}

void TestFrmProg::clickShowsTheModelsDecision() {
    Rig rig;
    rig.state.programs[1].set(Field::ClockEnable, " 2");
    ProgramUtilityWindow& w = rig.open();
    QCOMPARE(w.chkprog[kChkClock]->checkState(), Qt::PartiallyChecked);
    // A multiplex option is shown chosen, alone in its group, but stores nothing.
    QTest::mouseClick(w.rangeOptions[kOptMux3], Qt::LeftButton);
    QVERIFY(w.rangeOptions[kOptMux3]->isChecked());
    QVERIFY(!w.rangeOptions[kOptMuxOff]->isChecked());
    QCOMPARE(rig.working().whole(Field::MuxSensors), qint16(1));
    QCOMPARE(w.commandSwitches[kTogSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
    // Clicking the option already selected leaves it selected.
    QTest::mouseClick(w.rangeOptions[kOptUS], Qt::LeftButton);
    QVERIFY(w.rangeOptions[kOptUS]->isChecked());
    // A greyed box flips 2 to 3, and shows greyed again.
    QTest::mouseClick(w.chkprog[kChkClock], Qt::LeftButton);
    QCOMPARE(rig.working().whole(Field::ClockEnable), qint16(3));
    QCOMPARE(w.chkprog[kChkClock]->checkState(), Qt::PartiallyChecked);
}

void TestFrmProg::settingsSwitchesOpenTheirDialogs() {
    Rig rig(true);
    ProgramUtilityWindow& window = rig.open();
    // Each switch opens its dialog modally over the editor, on the WorkingRecord.
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
    QCOMPARE(window.editor().WorkingRecord().trimmed(Field::CountMode), QByteArray("1"));
    QCOMPARE(window.chkprog[kChkCount]->checkState(), Qt::Checked);
    QCOMPARE(window.commandSwitches[kTogXmit]->indicator(), CommandSwitch::Indicator::Lit);
    answerNextDialog([](QDialog* d) { d->reject(); });
    QTest::mouseClick(window.settingSwitches[8], Qt::LeftButton);
    answerNextDialog([](QDialog* d) { d->reject(); });
    QTest::mouseClick(window.commandSwitches[kTogViewLayout], Qt::LeftButton);
    QCOMPARE(opened, (QStringList{"CounterDialog", "ClockDialog", "SensorLayoutWindow"}));
}

void TestFrmProg::xmitIndicatorAndWait() {
    Rig rig(true, 1);
    ProgramUtilityWindow& w = rig.open();
    QVERIFY(w.commandSwitches[kTogXmit]->isEnabled());
    QCOMPARE(w.commandSwitches[kTogXmit]->indicator(), CommandSwitch::Indicator::Off);
    rig.type(w.fieldEdits[kTxtAverage], QStringLiteral("6"));
    QCOMPARE(w.commandSwitches[kTogXmit]->indicator(), CommandSwitch::Indicator::Lit);
    bool tabsDuringWait = true, closeDuringWait = true, litDuringWait = false;
    rig.link.duringWait = [&](int) {
        QCoreApplication::processEvents();
        tabsDuringWait = w.tabPanel->isEnabled();
        closeDuringWait = w.closeButton->isEnabled();
        litDuringWait = w.commandSwitches[kTogXmit]->indicator() == CommandSwitch::Indicator::Lit;
        rig.link.linkRequest = 0; // the unit took the program
    };
    QTest::mouseClick(w.commandSwitches[kTogXmit], Qt::LeftButton);
    QVERIFY(!tabsDuringWait);
    QVERIFY(!closeDuringWait);
    QVERIFY(litDuringWait);
    // The program transmitted holds the entry made just before Xmit.
    QCOMPARE(rig.state.programs[1].trimmed(Field::AverageCount), QByteArray("6"));
    QCOMPARE(w.commandSwitches[kTogXmit]->indicator(), CommandSwitch::Indicator::Off);
    QVERIFY(w.tabPanel->isEnabled());
    QVERIFY(w.closeButton->isEnabled());
    QVERIFY(!isBold(w.fieldEdits[kTxtAverage]));
    QCOMPARE(rig.link.refreshed, 1); // the running program was transmitted

    // Opened off-line, Xmit cannot be used and says so by its colour.
    Rig offline(true, 1);
    offline.link.online = false;
    ProgramUtilityWindow& o = offline.open();
    QVERIFY(!o.commandSwitches[kTogXmit]->isEnabled());
    QCOMPARE(o.commandSwitches[kTogXmit]->faceColor(), QColor(0, 128, 255));
}

void TestFrmProg::closeWithPendingChangesAsks() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    QTest::mouseClick(w.closeButton, Qt::LeftButton); // nothing pending: no question
    QVERIFY(rig.prompts.questions.isEmpty());
    QVERIFY(!w.isVisible());

    w.show();
    rig.type(w.fieldEdits[kTxtOverCount], QStringLiteral("3"));
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
             DemoPrograms()[1].trimmed(Field::OverCount));
}

void TestFrmProg::timer2CopiesTheMainTemperature() {
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
    QVERIFY(!w.fieldEdits[kTxtTemperature]->isEnabled());
    QTRY_COMPARE(w.fieldEdits[kTxtTemperature]->text(), QStringLiteral("71.6"));
    QCOMPARE(w.valuePanels[kValConversion]->text(), QStringLiteral("0.00712"));
    QVERIFY(asked >= 1);
    QVERIFY(!isBold(w.fieldEdits[kTxtTemperature])); // the tick is no edit
    QCOMPARE(w.commandSwitches[kTogXmit]->indicator(), CommandSwitch::Indicator::Off);
}

void TestFrmProg::overCountShowsTheCountKept() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kTxtOverCount], QStringLiteral("99999"));
    w.fieldEdits[kTxtAverage]->setFocus(Qt::TabFocusReason);
    QCOMPARE(rig.working().trimmed(Field::OverCount), QByteArray("32767"));
    QCOMPARE(w.fieldEdits[kTxtOverCount]->text(), QStringLiteral("32767"));
    QCOMPARE(rig.prompts.beeps, 1);
}

// Ctrl+V of a value holding a line end into Average Cnt: refused with the beep, the field and
// the program keep their text, and the value then pasted alone goes in.
void TestFrmProg::pastedLineEndIsRefused() {
    Rig rig(true, 1);
    ProgramUtilityWindow& w = rig.open();
    QLineEdit* average = w.fieldEdits[kTxtAverage];
    const QString before = average->text();
    average->setFocus(Qt::MouseFocusReason);
    average->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("4\r9"));
    QTest::keyClick(average, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(average->text(), before);
    QCOMPARE(m_beeps, 1);
    QCOMPARE(w.commandSwitches[kTogXmit]->indicator(), CommandSwitch::Indicator::Off); // no edit
    QGuiApplication::clipboard()->setText(QStringLiteral("49\n"));
    QTest::keyClick(average, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(average->text(), QStringLiteral("49"));
    QVERIFY(isBold(average));
    w.fieldEdits[kTxtBase]->setFocus(Qt::TabFocusReason);
    QCOMPARE(rig.working().trimmed(Field::AverageCount), QByteArray("49"));
    QCOMPARE(w.commandSwitches[kTogXmit]->indicator(), CommandSwitch::Indicator::Lit);
}

void TestFrmProg::longFileNameNeverWidensTheWindow() {
    Rig shortName;
    const int width = shortName.open().width();
    Rig rig;
    const QString name = QString(100, QLatin1Char('n')) + QStringLiteral(".prg");
    rig.state.ProgramFileName = name;
    rig.state.ProgramFilePath = QStringLiteral("/plant/line 2/") + name;
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
void TestFrmProg::unavailableLooksUnavailable() {
    ApplyInstrumentPalette(*qApp);
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
    rig.state.ProgramFileName = name;
    rig.state.ProgramFilePath = QStringLiteral("/srv/plant/backups/") + name;
    rig.state.programs[2].set(Field::TempSensorMode, " 1"); // the unit measures: no entry
    ProgramUtilityWindow& w = rig.open();
    QVERIFY(!w.fieldEdits[kTxtTemperature]->isEnabled());
    QVERIFY(!w.serialEdit->isEnabled());
    const QPalette shown = w.fieldEdits[kTxtTemperature]->palette();
    QVERIFY(shown.color(QPalette::Disabled, QPalette::Text) !=
            w.fieldEdits[kTxtBase]->palette().color(QPalette::Active, QPalette::Text));
    const QString dir = qEnvironmentVariable("VANTO_GRAB_DIR");
    if (!dir.isEmpty()) {
        QTest::qWait(100);
        w.grab().save(QDir(dir).filePath(QStringLiteral("ProgramUtilityWindow-long-name-unavailable.png")));
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
    TestFrmProg t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_programutilitywindow.moc"
