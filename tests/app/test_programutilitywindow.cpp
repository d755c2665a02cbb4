// The Program Utility window offscreen: its wiring to the editor model (which carries the
// rules). Typed text reaching the model and coming back limited, tab refusal, Enter, the key
// filters on the real fields, clicks, the settings dialogs, Xmit and closing.
#include "../fakes.h"

#include "editordialogs.h"
#include "fieldkeyfilter.h"
#include "optiondialogs.h"
#include "program/demoprograms.h"
#include "programutilitywindow.h"
#include "shared/atomicfile.h"
#include "widgets/commandswitch.h"
#include "widgets/labelpanel.h"
#include "widgets/tabstrip.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
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

} // namespace

class TestProgramUtilityWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void typedFieldReachesModelOnFocusLoss();
    void tabChangeAsksFirst();
    void keyFiltersOnRealFields_data();
    void keyFiltersOnRealFields();
    void checkAndOptionClicksReachModel();
    void settingsSwitchesOpenTheirDialogs();
    void xmitIndicatorAndWait();
    void closeWithPendingChangesAsks();
    void timer2CopiesTheMainTemperature();
    void failedSavesSayWhyAndKeepTheOldFile();

private:
    int m_beeps = 0;
};

void TestProgramUtilityWindow::init() {
    m_beeps = 0;
    FieldKeyFilter::instance().beep = [this] { ++m_beeps; };
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
    // Enter moves on, and leaving by Enter is a focus loss: Near Relay is limited to BASE.
    rig.type(w.fieldEdits[kFieldNearRelay], QStringLiteral("99"));
    QTest::keyClick(w.fieldEdits[kFieldNearRelay], Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w.fieldEdits[kFieldOverCount]);
    QCOMPARE(rig.working().trimmed(Field::NearRelay), QByteArray("13"));
    QVERIFY(w.isVisible()); // Enter never operates a command
}

// A tab change with an entry pending asks; refused, the tab and the typed text stay; accepted,
// the click ends the entry first, so the program kept holds it.
void TestProgramUtilityWindow::tabChangeAsksFirst() {
    Rig rig(false, 3);
    ProgramUtilityWindow& w = rig.open();
    QCOMPARE(w.programTabs->currentIndex(), 3); // opened on the running program
    rig.clickTab(1);                            // nothing edited: no question
    QCOMPARE(w.programTabs->currentIndex(), 1);
    rig.type(w.fieldEdits[kFieldRange], QStringLiteral("77"));
    rig.prompts.answer = false;
    rig.clickTab(4);
    QCOMPARE(w.programTabs->currentIndex(), 1);
    QCOMPARE(w.fieldEdits[kFieldRange]->text(), QStringLiteral("77"));
    w.programTabs->setFocus();
    QTest::keyClick(w.programTabs, Qt::Key_Right); // arrow keys ask the same way
    QCOMPARE(rig.prompts.questions.size(), 2);
    QCOMPARE(w.programTabs->currentIndex(), 1);
    rig.prompts.answer = true;
    rig.clickTab(4);
    QCOMPARE(w.programTabs->currentIndex(), 4);
    QCOMPARE(rig.state.programs[1].trimmed(Field::Range), QByteArray("77"));
    QCOMPARE(rig.state.programs[1].trimmed(Field::TotalSpan), QByteArray("97"));
    QCOMPARE(w.fieldEdits[kFieldRange]->text(), QStringLiteral("30"));
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
    QVERIFY(edit->font().bold());
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

    QVERIFY(w.rangeOptions[kOpt13Inch]->isChecked());
    rig.working().set(Field::Base, "8"); // as the unit may hold it under the 6-inch minimum
    QTest::mouseClick(w.rangeOptions[kOpt6Inch], Qt::LeftButton);
    QCOMPARE(rig.working().trimmed(Field::MinimumBase), QByteArray("6"));
    QTest::mouseClick(w.rangeOptions[kOpt13Inch], Qt::LeftButton);
    QCOMPARE(rig.working().trimmed(Field::Base), QByteArray("13")); // raised to the minimum
    QCOMPARE(w.fieldEdits[kFieldBase]->text(), QStringLiteral("13"));

    QTest::mouseClick(w.rangeOptions[kOptionMetric], Qt::LeftButton);
    QCOMPARE(w.fieldEdits[kFieldRange]->text(), QStringLiteral("76")); // 30 inches in cm
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
    QCOMPARE(rig.state.programs[1].trimmed(Field::CountMode), QByteArray("0")); // not yet kept
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
    bool tabsDuringWait = true, closeDuringWait = true;
    rig.link.duringWait = [&](int) {
        QCoreApplication::processEvents();
        tabsDuringWait = w.tabPanel->isEnabled();
        closeDuringWait = w.closeButton->isEnabled();
        rig.link.linkRequest = 0; // the unit took the program
    };
    QTest::mouseClick(w.commandSwitches[kSwitchXmit], Qt::LeftButton);
    QVERIFY(!tabsDuringWait);
    QVERIFY(!closeDuringWait);
    // The program transmitted holds the entry made just before Xmit.
    QCOMPARE(rig.state.programs[1].trimmed(Field::AverageCount), QByteArray("6"));
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Off);
    QVERIFY(w.tabPanel->isEnabled());
    QVERIFY(w.closeButton->isEnabled());
    QCOMPARE(rig.link.refreshed, 1); // the running program was transmitted
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
    QTest::keyClick(&w, Qt::Key_Escape); // Escape asks the same
    QCOMPARE(rig.prompts.questions.size(), 2);
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
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Off);
}

// The atomic writer's own tests run it on a full disk; here the window meets a failing write.
void TestProgramUtilityWindow::failedSavesSayWhyAndKeepTheOldFile() {
    QTemporaryDir dir;
    const QString prg = dir.filePath(QStringLiteral("plant.prg"));
    const QString xmt = dir.filePath(QStringLiteral("Prog00.xmt"));
    QVERIFY(test::writeAll(prg, "old programs"));
    QVERIFY(test::writeAll(xmt, "old transmission"));
    testing::injectWriteFault(testing::WriteFaultAt::Write, ENOSPC);
    const auto noFault =
        qScopeGuard([] { testing::injectWriteFault(testing::WriteFaultAt::Nothing, 0); });
    Rig rig; // file mode, after an edit
    rig.link.online = false;
    rig.setup.programDir = dir.path();
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kFieldRange], QStringLiteral("25"));
    w.fieldEdits[kFieldBase]->setFocus(Qt::TabFocusReason);
    const QString label = w.panelLabel(kPnlMode);
    for (const QString& path : {dir.filePath(QStringLiteral("other.prg")), prg}) {
        rig.dialogs.answer = path;
        w.commandSwitches[kSwitchSaveToFile]->click();
        QVERIFY2(rig.prompts.messages.last().text.contains(path + ": no space left on device"),
                 qPrintable(rig.prompts.messages.last().text));
        QCOMPARE(w.panelLabel(kPnlMode), label); // still the old file's name
        QCOMPARE(w.commandSwitches[kSwitchSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
    }
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("other.prg"))));
    QCOMPARE(test::readAll(prg), QByteArray("old programs"));
    rig.dialogs.answer = xmt;
    w.commandSwitches[kSwitchMakeXmitFile]->click();
    QCOMPARE(rig.prompts.messages.size(), 3);
    QVERIFY(rig.prompts.messages[2].text.contains(QStringLiteral("no space left on device")));
    QCOMPARE(test::readAll(xmt), QByteArray("old transmission"));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestProgramUtilityWindow t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_programutilitywindow.moc"
