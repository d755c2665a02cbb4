// The Program Utility window's model: what it shows, what an edit stores, and the questions,
// commits and transmissions around the edits. The limits themselves are test_rangelimits'.
#include "../fakes.h"
#include "../tablerows.h"

#include "editor/editorlink.h"
#include "editor/programeditor.h"
#include "program/programfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace vanto;
using vanto::test::FakeEditorLink;
using vanto::test::FakeFileDialogs;
using vanto::test::FakePrompts;

namespace {

class FakeWindows : public EditorWindows {
public:
    QList<SettingsDialog> opened;
    std::function<void()> inDialog;
    void openSettingsDialog(SettingsDialog dialog) override {
        opened.append(dialog);
        if (inDialog)
            inDialog();
    }
    void showSensorLayout() override {}
};

// Sets fields from "Name=value" pairs, named as in the record layout.
void setFields(ProgramRecord& r, const QByteArray& pairs) {
    for (const QByteArray& pair : pairs.split(' ')) {
        const QList<QByteArray> nameValue = pair.split('=');
        r.set(*fieldByName(QString::fromLatin1(nameValue[0])), nameValue.value(1));
    }
}

// Base 13, Range 30, 0.0067 in per count, 10 ms interval, hysteresis on, take-up, adaptive.
ProgramRecord sample(int program) {
    ProgramRecord r;
    setFields(r, "Units=0 Base=13 Range=30 TotalSpan=43 NearRelay=13 Conversion=0.0067 "
                 "MinimumBase=13 OverCount=5 SampleInterval=10000 OffsetPercent=10 "
                 "Temperature=204 ModeFlags=000001010 MuxSensors=1 RelayOnDistance=20 "
                 "RelayOffDistance=40 AverageCount=" + // tells the programs apart
                     QByteArray::number(program));
    return r;
}

struct Rig {
    ProgramState state;
    FakeEditorLink link;
    FakeWindows windows;
    FakePrompts prompts;
    FakeFileDialogs dialogs;
    EditorSetup setup;
    std::unique_ptr<ProgramEditor> editor;

    // Program #1 runs; `changes` are made to it before the editor opens.
    explicit Rig(bool remote = false, const QByteArray& changes = {}) {
        for (int p = 0; p < kProgramCount; ++p)
            state.programs[p] = sample(p);
        if (!changes.isEmpty())
            setFields(state.programs[1], changes);
        state.currentProgram = 1;
        state.modelName = QStringLiteral("QX3700");
        state.unitSerial = "A12345";
        state.programFileName = QStringLiteral("plant.prg");
        setup.remoteMode = remote;
        setup.featureLevel = 3;
    }
    ProgramEditor& open() {
        editor = std::make_unique<ProgramEditor>(state, link, windows, prompts, dialogs, setup);
        return *editor;
    }
    ProgramRecord& program(int p) { return state.programs[p]; }
    const ProgramEditorView& view() const { return editor->view(); }
    QString shown(int index) const { return editor->view().fieldEdits[index].text; }
    QByteArray working(Field f) const { return editor->workingRecord().trimmed(f); }
    // Types into a field and leaves it.
    void enter(int index, const QString& text) {
        editor->onFieldEdited(index, text);
        editor->onFieldFocusLost(index);
    }
    // The unit takes the transmission at the first round of the wait.
    void unitAnswers() {
        link.duringWait = [this](int) { link.linkRequest = 0; };
    }
};

} // namespace

struct ShownCase {
    const char *name, *changes;
    const char* shown; // BASE, RANGE, Total Span, Near Relay, Cone Dia., Temperature, Conversion
    bool temperatureEnabled, tempOnEnabled;
};
const ShownCase kShown[] = {
    {"U.S.", "Units=0", "13 30 43 13 13.12 68.7 0.00676", true, true},
    {"metric", "Units=1", "33 76 109 33 33.31 20.4 0.01717", true, true},
    {"base 0 shows empty", "Base=0", " 30 30 13 13.12 68.7 0.00676", true, true},
    {"Temp.On: the stored conversion", "TempSensorMode=1 Temperature=200",
     "13 30 43 13 13.12 68.0 0.00670", false, true},
    {"Temp.On 2: box unavailable", "TempSensorMode=2", "13 30 43 13 13.12 68.7 0.00676", true,
     false},
};

struct AvailabilityCase {
    const char* name;
    int program, serviceFlag;
    const char* model;
    bool serial, programChoices, modelChoices; // Hold, direction, multiplex; Double Echo, Hi/Lo
};
const AvailabilityCase kAvailability[] = {
    {"#7 with /QV", 7, 99, "QX3700", true, true, true},
    {"#7 without /QV", 7, 0, "QX3700", false, true, true},
    {"#0", 0, 99, "QX3700", false, false, true},
    {"#4 on a QX3100", 4, 0, "QX3100", false, true, false},
};

// What the editor stores and shows of a typed entry: the conversion from display units, the
// span kept as Base + Range, its own 16-bit and temperature limits. A row per switch branch.
struct FocusCase {
    const char* name;
    bool metric;
    int index;
    const char* typed;
    Field field;
    const char *stored, *shown;
    int beeps;
};
const FocusCase kFocus[] = {
    {"BASE 400 with RANGE 30", false, kFieldBase, "400", Field::TotalSpan, "360", "330", 1},
    {"metric BASE 50.8 whole inches", true, kFieldBase, "50.8", Field::Base, "20", "51", 0},
    {"metric RANGE 127", true, kFieldRange, "127", Field::Range, "50", "127", 0},
    {"metric Total Span 127", true, kFieldTotalSpan, "127", Field::Base, "20", "127", 0},
    {"metric Near Relay 25.4", true, kFieldNearRelay, "25.4", Field::NearRelay, "10", "25", 0},
    {"Over Count rounds", false, kFieldOverCount, "12.6", Field::OverCount, "13", "13", 0},
    {"Over Count beyond 16 bits", false, kFieldOverCount, "99999", Field::OverCount, "32767",
     "32767", 1},
    {"Offset as typed, cut", false, kFieldOffset, "1234567", Field::OffsetPercent, "123456",
     "1234567", 0},
    {"Sample Intv 70 limited", false, kFieldSampleInterval, "70", Field::SampleInterval, "58935",
     "58.9", 1},
    {"Temperature 68.8 F", false, kFieldTemperature, "68.8", Field::Temperature, "204", "68.8", 0},
    // The unit measures -40 to 85 C (-40 to 185 F): beyond, the limit is kept and shown.
    {"Temperature 85.1 C", true, kFieldTemperature, "85.1", Field::Temperature, "850", "85.0", 1},
    {"Temperature -40.1 F", false, kFieldTemperature, "-40.1", Field::Temperature, "-400", "-40.0",
     1},
    {"Temperature 186 F", false, kFieldTemperature, "186", Field::Temperature, "850", "185.0", 1},
};

struct CheckCase {
    const char* name;
    int index;
    const char *before, *after; // the field's text
    CheckState state;
};
const CheckCase kChecks[] = {
    {"Hold ON", kCheckHold, "ModeFlags=000001010", "000000010", CheckState::Checked},
    {"Hysterisis inverted", kCheckHysteresis, "HysteresisOff=0", " 1", CheckState::Unchecked},
    {"counter 2 becomes 3", kCheckCounter, "CountMode=2", " 3", CheckState::Greyed},
    {"RS232", kCheckRs232, "Rs232Enable=0", " 1", CheckState::Checked},
    {"Temp.On", kCheckTempOn, "TempSensorMode=0", " 1", CheckState::Checked},
};

struct ReadBackCase {
    const char *name, *unit;
    const char* message; // "": success
};
const ReadBackCase kReadBacks[] = {
    {"stored as sent", "stored", ""},
    {"rejected: old program read back", "rejected",
     "did not store program #1 as sent (Range sent \"50\", unit holds \"30\";"},
    {"stored something else", "other", "(ModeFlags[8] sent \"1\", unit holds \"0\")"},
    {"no read-back", "silent", "did not give it back"},
};

class TestProgramEditor : public QObject {
    Q_OBJECT
private slots:
    void showsTheProgram_data() { addRows(kShown); }
    void showsTheProgram() {
        QFETCH(int, row);
        const ShownCase& c = kShown[row];
        Rig rig(false, c.changes);
        rig.open();
        const ProgramEditorView& v = rig.view();
        QStringList shown;
        for (int i : {kFieldBase, kFieldRange, kFieldTotalSpan, kFieldNearRelay})
            shown << rig.shown(i);
        shown << v.valuePanels[kValueConeDia] << rig.shown(kFieldTemperature)
              << v.valuePanels[kValueConversion];
        QCOMPARE(shown.join(' '), QString::fromLatin1(c.shown));
        QCOMPARE(v.fieldEdits[kFieldTemperature].enabled, c.temperatureEnabled);
        QCOMPARE(v.optionChecks[kCheckTempOn].enabled, c.tempOnEnabled);
        QCOMPARE(rig.shown(kFieldSampleInterval), QStringLiteral("10.0"));
        // 43 in / 0.0067 = 6417.9 us measuring + 10000 us interval.
        QCOMPARE(v.valuePanels[kValueSampleTime], QStringLiteral("16.4"));
        QCOMPARE(v.valuePanels[kValuePwm], QStringLiteral("1340.5"));
    }

    void availability_data() { addRows(kAvailability); }
    void availability() {
        QFETCH(int, row);
        const AvailabilityCase& c = kAvailability[row];
        Rig rig(true);
        rig.state.serviceFlag = c.serviceFlag;
        rig.state.modelName = QString::fromLatin1(c.model);
        QVERIFY(rig.open().onTabChanging(c.program));
        const ProgramEditorView& v = rig.view();
        QCOMPARE(v.serialEdit.enabled, c.serial);
        QCOMPARE(v.optionChecks[kCheckHold].enabled, c.programChoices);
        QCOMPARE(v.settingPanels[kPanelDirection].enabled, c.programChoices);
        QCOMPARE(v.settingPanels[kPanelMux].enabled, c.programChoices);
        QCOMPARE(v.optionChecks[kCheckDoubleEcho].enabled, c.modelChoices);
        QCOMPARE(v.settingPanels[kPanelHiLo].enabled, c.modelChoices);
    }

    void checkStatesFromFields() {
        Rig rig(false, "ModeFlags=000000100 HysteresisOff=1 CountMode=2 Rs232Enable=1 "
                       "SlaveMode=1 MuxSensors=7 MinimumBase=9 OffsetPercent=12.5");
        rig.open();
        const ProgramEditorView& v = rig.view();
        QCOMPARE(v.optionChecks[kCheckHold].state, CheckState::Checked);
        QCOMPARE(v.optionChecks[kCheckHysteresis].state, CheckState::Unchecked);
        QCOMPARE(v.optionChecks[kCheckCounter].state, CheckState::Greyed);
        QCOMPARE(v.optionChecks[kCheckRs232].state, CheckState::Checked);
        // Linear, take-up, slave, 13 inches (anything but 6), no multiplex choice.
        const std::array<bool, kRangeOptionCount> options{false, true, false, true,  false,
                                                          true,  true, false, false, true};
        QCOMPARE(v.rangeOptions, options);
        QVERIFY(!v.settingPanels[kPanelRs232].enabled);
        QVERIFY(!v.settingPanels[kPanelType].enabled);
        QCOMPARE(rig.shown(kFieldOffset), QStringLiteral("12")); // linear: whole number
    }

    void fieldFocusLoss_data() { addRows(kFocus); }
    void fieldFocusLoss() {
        QFETCH(int, row);
        const FocusCase& c = kFocus[row];
        Rig rig(false, c.metric ? "Units=1 MinimumBase=6" : "Units=0");
        ProgramEditor& e = rig.open();
        rig.enter(c.index, QString::fromLatin1(c.typed));
        QCOMPARE(rig.working(c.field), QByteArray(c.stored));
        QCOMPARE(rig.shown(c.index), QString::fromLatin1(c.shown));
        QCOMPARE(rig.prompts.beeps, c.beeps);
        const ProgramRecord& w = e.workingRecord();
        QCOMPARE(w.whole(Field::TotalSpan), qint16(w.whole(Field::Base) + w.whole(Field::Range)));
        QCOMPARE(rig.program(1).trimmed(c.field), sample(1).trimmed(c.field)); // not committed
    }

    // Editing a length redraws the fields and values the edit moved, so nothing stale stays.
    void lengthEditRedrawsWhatDependsOnIt() {
        Rig rig(false, "MinimumBase=6 NearRelay=40 SampleInterval=60000");
        rig.open();
        rig.enter(kFieldRange, "300");
        // 313 in at 0.0067 in per count: 46716.4 us measuring leaves 18636.6 us.
        QCOMPARE(rig.shown(kFieldSampleInterval), QStringLiteral("18.6"));
        QCOMPARE(rig.shown(kFieldTotalSpan), QStringLiteral("313"));
        QCOMPARE(rig.view().valuePanels[kValueSampleTime], QStringLiteral("65.4"));
        QCOMPARE(rig.view().valuePanels[kValueConeDia], QStringLiteral("95.47"));
        QVERIFY(rig.view().fieldEdits[kFieldSampleInterval].bold);
        rig.enter(kFieldBase, "20");
        QCOMPARE(rig.shown(kFieldNearRelay), QStringLiteral("20"));
        QCOMPARE(rig.working(Field::NearRelay), QByteArray("20"));
    }

    void checkClickFlips_data() { addRows(kChecks); }
    void checkClickFlips() {
        QFETCH(int, row);
        const CheckCase& c = kChecks[row];
        Rig rig(false, c.before);
        ProgramEditor& e = rig.open();
        const Field field = *fieldByName(QString::fromLatin1(c.before).section('=', 0, 0));
        e.onCheckClicked(c.index);
        QCOMPARE(e.workingRecord().text(field).left(int(qstrlen(c.after))), QByteArray(c.after));
        QCOMPARE(rig.view().optionChecks[c.index].state, c.state);
        QCOMPARE(rig.view().unsavedFile, 3);
        // The RS232 box decides over the Type panel, Temp.On over the temperature field.
        QCOMPARE(rig.view().settingPanels[kPanelType].enabled, c.index != kCheckRs232);
        QCOMPARE(rig.view().fieldEdits[kFieldTemperature].enabled, c.index != kCheckTempOn);
    }

    void sumScaleClearsHysteresis() {
        Rig rig;
        ProgramEditor& e = rig.open();
        e.onCheckClicked(kCheckSumScale);
        QCOMPARE(rig.working(Field::HysteresisOff), QByteArray("1"));
        QVERIFY(!rig.view().optionChecks[kCheckHysteresis].enabled);
        e.onCheckClicked(kCheckHysteresis); // unavailable: nothing happens
        QCOMPARE(rig.working(Field::HysteresisOff), QByteArray("1"));
        e.onCheckClicked(kCheckSumScale);
        QVERIFY(rig.view().optionChecks[kCheckHysteresis].enabled);

        // Shown with Sum/Scale on: cleared and unavailable, but the field is not written.
        Rig shown(false, "SumScaleEnable=1 HysteresisOff=0");
        shown.open();
        QCOMPARE(shown.view().optionChecks[kCheckHysteresis].state, CheckState::Unchecked);
        QCOMPARE(shown.working(Field::HysteresisOff), QByteArray("0"));
        QVERIFY(!shown.editor->changesPending());
    }

    void minimumBaseOptionRelimitsBase() {
        Rig rig(false, "Units=1 MinimumBase=6 Base=6 NearRelay=6 TotalSpan=36");
        ProgramEditor& e = rig.open();
        e.onOptionClicked(kOption13Inch);
        QCOMPARE(rig.working(Field::MinimumBase), QByteArray("13"));
        QCOMPARE(rig.working(Field::Base), QByteArray("13"));
        QCOMPARE(rig.working(Field::NearRelay), QByteArray("13"));
        QCOMPARE(rig.working(Field::TotalSpan), QByteArray("43"));
        QCOMPARE(rig.shown(kFieldBase), QStringLiteral("33")); // in centimetres
        QCOMPARE(rig.prompts.beeps, 1);
        e.onOptionClicked(kOption6Inch); // a lower minimum leaves Base alone
        QCOMPARE(rig.working(Field::Base), QByteArray("13"));
        QCOMPARE(rig.prompts.beeps, 1);
    }

    void optionsWriteTheirFields() {
        Rig rig(true);
        ProgramEditor& e = rig.open();
        e.onOptionClicked(kOptionTakeUp);
        e.onOptionClicked(kOptionLinear);
        QCOMPARE(e.workingRecord().text(Field::ModeFlags), QByteArray("000001100"));
        e.onOptionClicked(kOptionSlave);
        QCOMPARE(rig.working(Field::SlaveMode), QByteArray("1"));
        QVERIFY(!rig.view().settingPanels[kPanelRs232].enabled);
        e.onOptionClicked(kOptionMaster);
        QVERIFY(rig.view().settingPanels[kPanelRs232].enabled);
        const ProgramRecord before = e.workingRecord();
        e.onOptionClicked(kOptionMux3);
        QCOMPARE(e.workingRecord(), before); // shown, not stored
        QVERIFY(rig.view().rangeOptions[kOptionMux3] && !rig.view().rangeOptions[kOptionMuxOff]);
        // Metric: the entries are read in centimetres, but stored in inches.
        e.onOptionClicked(kOptionMetric);
        QCOMPARE(e.workingRecord().text(Field::Units), QByteArray(" 1   "));
        rig.enter(kFieldBase, "50.8");
        QCOMPARE(rig.working(Field::Base), QByteArray("20"));
    }

    void marking_data() {
        QTest::addColumn<bool>("remote");
        QTest::addColumn<bool>("online");
        QTest::addColumn<int>("unsavedFile");
        QTest::addColumn<bool>("transmitPending");
        QTest::newRow("file mode") << false << true << 3 << false;
        QTest::newRow("file mode off-line") << false << false << 3 << false;
        QTest::newRow("remote on-line") << true << true << 0 << true;
        QTest::newRow("remote off-line") << true << false << 0 << false;
    }
    void marking() {
        QFETCH(bool, remote);
        QFETCH(bool, online);
        // Each kind of edit marks the same way.
        const std::function<void(ProgramEditor&)> edits[] = {
            [](ProgramEditor& e) { e.onFieldEdited(kFieldRange, "31"); },
            [](ProgramEditor& e) { e.onCheckClicked(kCheckClock); },
            [](ProgramEditor& e) { e.onOptionClicked(kOptionMux2); },
            [](ProgramEditor& e) { e.onSettingsSwitch(8); },
        };
        for (const auto& edit : edits) {
            Rig rig(remote);
            rig.link.online = online;
            ProgramEditor& e = rig.open();
            QCOMPARE(rig.view().xmitActive, online);
            edit(e);
            QTEST(rig.view().unsavedFile, "unsavedFile");
            QTEST(rig.view().transmitPending, "transmitPending");
        }
    }

    void tabChangeAndClosingQuestions_data() {
        QTest::addColumn<bool>("remote");
        QTest::addColumn<bool>("online");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("unsavedAfterMove"); // the committed edit is not in the file yet
        QTest::newRow("file mode, Yes") << false << false << true << true << true;
        QTest::newRow("file mode, No") << false << false << false << true << true;
        QTest::newRow("remote on-line, Yes") << true << true << true << true << false;
        QTest::newRow("remote off-line") << true << false << false << false << false;
    }
    void tabChangeAndClosingQuestions() {
        QFETCH(bool, remote);
        QFETCH(bool, online);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(bool, unsavedAfterMove);
        for (bool closing : {true, false}) {
            Rig rig(remote);
            rig.link.online = online;
            rig.prompts.answer = answer;
            ProgramEditor& e = rig.open();
            rig.enter(kFieldRange, "50");
            const ProgramRecord edited = e.workingRecord();
            const bool done = closing ? e.onCloseRequest() : e.onTabChanging(2);
            QCOMPARE(done, answer || !asked);
            QCOMPARE(rig.prompts.questions.size(), asked ? 1 : 0);
            if (asked)
                QVERIFY(rig.prompts.questions[0].text.endsWith(
                    closing ? QStringLiteral("Do you still want to Exit?")
                            : QStringLiteral("Do you still want to Move to the new Program?")));
            // Closing commits nothing; a move commits only when asked.
            QCOMPARE(rig.program(1) == edited, !closing && asked && answer);
            if (closing)
                continue;
            QCOMPARE(rig.view().selectedTab, done ? 2 : 1);
            QCOMPARE(rig.view().activeYes, !done); // #1 runs
            QCOMPARE(e.workingRecord(), done ? rig.program(2) : edited);
            if (!done)
                continue;
            QCOMPARE(e.changesPending(), unsavedAfterMove);
            QVERIFY(e.onTabChanging(3)); // asks nothing: the working copy holds no new edit
            QVERIFY(e.onCloseRequest());
            QCOMPARE(rig.prompts.questions.size(), (asked ? 1 : 0) + (unsavedAfterMove ? 1 : 0));
        }
    }

    void settingsSwitchMarksThenOpens() {
        Rig rig;
        ProgramEditor& e = rig.open();
        bool markedBeforeOpening = false;
        rig.windows.inDialog = [&] {
            markedBeforeOpening = e.changesPending();
            e.workingRecord().set(Field::CountMode, "2"); // the dialog chose the gate
        };
        e.onSettingsSwitch(5);
        QCOMPARE(rig.windows.opened, QList<SettingsDialog>{SettingsDialog::Counter});
        QVERIFY(markedBeforeOpening);
        QCOMPARE(rig.view().optionChecks[kCheckCounter].state, CheckState::Greyed);
        e.onOptionClicked(kOptionSlave); // the RS232 panel and its switch become unavailable
        e.onSettingsSwitch(6);
        e.onSettingsSwitch(3);
        e.onSettingsSwitch(7);
        QCOMPARE(rig.windows.opened,
                 (QList<SettingsDialog>{SettingsDialog::Counter, SettingsDialog::SumScale}));
    }

    void xmitWaitsAndRefreshes_data() {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("refreshed");
        QTest::newRow("the running program") << 1 << 1;
        QTest::newRow("another program") << 5 << 0;
    }
    void xmitWaitsAndRefreshes() {
        QFETCH(int, current);
        Rig rig(true);
        ProgramEditor& e = rig.open();
        rig.state.currentProgram = current;
        rig.enter(kFieldRange, "50");
        bool lockedDuringWait = true;
        rig.link.duringWait = [&](int round) {
            const ProgramEditorView& v = rig.view();
            lockedDuringWait = lockedDuringWait && !v.tabStripEnabled && !v.closeEnabled &&
                               !v.settingPanels[kPanelMode].enabled && v.transmitPending &&
                               e.transmitting() && !e.onCloseRequest() && !e.onTabChanging(3);
            if (round == 3)
                rig.link.linkRequest = 8; // the unit answered; the program is read back
        };
        e.onXmit();
        QCOMPARE(rig.link.rounds, 3);
        QVERIFY(lockedDuringWait);
        QCOMPARE(rig.state.transmitProgram, 1);
        QCOMPARE(rig.program(1).trimmed(Field::Range), QByteArray("50"));
        QVERIFY(!rig.view().fieldEdits[kFieldRange].bold);
        QTEST(rig.link.refreshed, "refreshed");
        QVERIFY(rig.view().tabStripEnabled && rig.view().closeEnabled);
        QVERIFY(!e.changesPending());
    }

    void xmitAgainAbandons() {
        Rig rig(true);
        ProgramEditor& e = rig.open();
        rig.link.duringWait = [&](int round) {
            if (round == 5)
                e.onXmit(); // the operator gives up on a silent unit
        };
        e.onXmit();
        QCOMPARE(rig.link.abandoned, 1);
        QCOMPARE(rig.link.rounds, 5);
        QVERIFY(!e.transmitting());
        QVERIFY(rig.view().tabStripEnabled && rig.view().closeEnabled);
        QVERIFY(rig.view().transmitPending); // the unit never took the program
    }

    void editDuringTransmissionStaysPending() {
        Rig rig(true);
        ProgramEditor& e = rig.open();
        rig.link.duringWait = [&](int round) {
            if (round == 1)
                rig.enter(kFieldRange, "77");
            if (round == 2)
                rig.link.linkRequest = 0;
        };
        e.onXmit();
        QCOMPARE(rig.program(1), sample(1)); // the copy sent was taken before the edit
        QVERIFY(rig.view().transmitPending);
        QCOMPARE(rig.working(Field::Range), QByteArray("77"));
    }

    // In file mode an edit counts as unsaved until the .prg is saved: a tab change, a transmit
    // file or a transmission commits it to the program set but writes no program file.
    void fileModeStaysUnsavedUntilSaved_data() {
        QTest::addColumn<QString>("commit");
        QTest::newRow("tab change, Yes") << "tab";
        QTest::newRow("Make Xmit File") << "xmt";
        QTest::newRow("Xmit") << "xmit";
    }
    void fileModeStaysUnsavedUntilSaved() {
        QFETCH(QString, commit);
        QTemporaryDir dir;
        Rig rig;
        ProgramEditor& e = rig.open();
        rig.enter(kFieldRange, "50");
        if (commit == QLatin1String("tab")) {
            QVERIFY(e.onTabChanging(2));
        } else if (commit == QLatin1String("xmt")) {
            rig.dialogs.answer = dir.filePath(QStringLiteral("p1.xmt"));
            e.onMakeXmitFile();
            QVERIFY(QFile::exists(*rig.dialogs.answer));
        } else {
            rig.unitAnswers();
            e.onXmit();
            QCOMPARE(rig.link.readBacks, 1);
            QVERIFY(rig.prompts.messages.isEmpty());
        }
        QCOMPARE(rig.program(1).trimmed(Field::Range), QByteArray("50")); // committed
        QCOMPARE(rig.view().unsavedFile, 3);                              // but not saved
        const int asked = rig.prompts.questions.size();
        QVERIFY(e.onTabChanging(3)); // asks nothing new: the working copy holds no edit
        rig.prompts.answer = false;
        QVERIFY(!e.onCloseRequest()); // CLOSE asks before the edit is dropped
        QCOMPARE(rig.prompts.questions.size(), asked + 1);

        rig.dialogs.answer = dir.filePath(QStringLiteral("line2.prg"));
        e.onSaveToFile();
        QCOMPARE(rig.view().unsavedFile, 0);
        QCOMPARE(rig.view().settingPanels[kPanelMode].label,
                 QStringLiteral("FILE MODE: LINE2.PRG"));
        ProgramSet saved;
        QCOMPARE(readProgramFile(*rig.dialogs.answer, &saved), QString());
        QCOMPARE(saved[1].trimmed(Field::Range), QByteArray("50"));
        QVERIFY(e.onCloseRequest());
    }

    // A byte the line cannot carry, here in the working copy as a loaded file may hold it.
    void xmitRefusesWhatCannotBeCarried() {
        Rig rig(true);
        ProgramEditor& e = rig.open();
        e.workingRecord().set(Field::AverageCount, "4\r9");
        rig.enter(kFieldRange, "50");
        const ProgramSet before = rig.state.programs;
        e.onXmit();
        QCOMPARE(rig.link.started, 0); // nothing was sent
        QCOMPARE(rig.state.programs, before);
        QCOMPARE(rig.prompts.messages.size(), 1);
        QVERIFY(rig.prompts.messages[0].text.contains(
            QStringLiteral("program #1, field AverageCount holds a carriage return")));
        QVERIFY(rig.view().transmitPending); // the edit is still waiting to go out
        QVERIFY(rig.view().tabStripEnabled && rig.view().closeEnabled);
    }

    void xmitSucceedsOnlyWhenTheUnitHoldsIt_data() { addRows(kReadBacks); }
    void xmitSucceedsOnlyWhenTheUnitHoldsIt() {
        QFETCH(int, row);
        const QByteArray unit = kReadBacks[row].unit;
        const QString message = QString::fromLatin1(kReadBacks[row].message);
        Rig rig(true);
        ProgramEditor& e = rig.open();
        rig.enter(kFieldRange, "50");
        rig.unitAnswers();
        rig.link.readBack = [&](int program) {
            if (unit == "rejected")
                rig.program(program) = sample(program);
            if (unit == "other")
                rig.program(program).setModeFlag(kModeDirection, '0');
            return unit != "silent";
        };
        e.onXmit();
        QCOMPARE(rig.link.readBacks, 1);
        QCOMPARE(rig.prompts.messages.size(), message.isEmpty() ? 0 : 1);
        // A failure is not reported as a success: the indicator stays lit, the edit stays in
        // the window and closing asks first.
        QCOMPARE(rig.view().transmitPending, !message.isEmpty());
        rig.prompts.answer = false;
        QCOMPARE(e.onCloseRequest(), message.isEmpty());
        if (!message.isEmpty()) {
            QVERIFY2(rig.prompts.messages[0].text.contains(message),
                     qPrintable(rig.prompts.messages[0].text));
            QCOMPARE(rig.working(Field::Range), QByteArray("50"));
        }
    }

    // The compare's Transmit, file mode: the file's program goes out with the unit's clock, the
    // set stays the file's, the unit's answer is returned; a refused one returns nothing.
    void transmitFromFile() {
        Rig rig(false);
        ProgramEditor& e = rig.open();
        rig.unitAnswers();
        ProgramRecord sent;
        rig.link.readBack = [&](int program) {
            sent = rig.program(program);
            rig.program(program).set(Field::Param47, "9"); // a field the unit keeps, not sent
            return true;
        };
        ProgramRecord file = sample(0);
        file.set(Field::Range, "50");
        ProgramRecord unit = sample(0);
        unit.set(Field::Param21, "1234.5");
        const std::optional<ProgramRecord> held = e.transmitFromFile(0, file, unit);
        QCOMPARE(sent.trimmed(Field::Range) + ' ' + sent.trimmed(Field::Param21), "50 1234.5");
        QCOMPARE(held.value_or(ProgramRecord()).trimmed(Field::Param47), QByteArray("9"));
        QCOMPARE(rig.program(0), sample(0));

        file.set(Field::Range, "5\x01");
        QVERIFY(!e.transmitFromFile(0, file, unit));
        QCOMPARE(rig.link.started, 1);
        rig.enter(kFieldRange, "60");
        QVERIFY(!e.transmitFromFile(3, file, unit));
        QVERIFY(rig.prompts.messages.last().text.contains("Program #0 has changes"));
        rig.link.online = false;
        e.onXmit();
        QCOMPARE(rig.link.started, 1); // nor off-line
    }

    // The serial number is cut to its six characters; a blank one is refused and the old one
    // restored, without losing the mark of an edit made before.
    void serialNumber() {
        for (const QString& typed : {QStringLiteral("B9876543"), QString()}) {
            for (bool editedBefore : {false, true}) {
                Rig rig(true);
                rig.state.currentProgram = 7;
                rig.state.serviceFlag = 99;
                ProgramEditor& e = rig.open();
                QVERIFY(rig.view().selectedTab == 7 && rig.view().activeYes); // the running one
                if (editedBefore)
                    rig.enter(kFieldRange, "50");
                e.onSerialEdited(typed);
                QCOMPARE(rig.view().serialEdit.text,
                         typed.isEmpty() ? "" : QStringLiteral("B98765"));
                e.onSerialFocusLost();
                const QByteArray kept = typed.isEmpty() ? "A12345" : "B98765";
                QCOMPARE(rig.state.unitSerial, kept);
                QCOMPARE(rig.view().serialEdit.text, QString::fromLatin1(kept));
                QCOMPARE(rig.prompts.texts(), typed.isEmpty()
                                                  ? QStringList{"Serial Number cannot be BLANK"}
                                                  : QStringList());
                QCOMPARE(rig.view().transmitPending, editedBefore || !typed.isEmpty());
            }
        }
    }

    // The main window's temperature is copied in only when it applies to what is shown.
    void temperatureTimer_data() {
        QTest::addColumn<bool>("remote");
        QTest::addColumn<bool>("compensation");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QByteArray>("tempOn");
        QTest::addColumn<bool>("copies");
        QTest::newRow("all hold") << true << true << 1 << QByteArray("1") << true;
        QTest::newRow("file mode") << false << true << 1 << QByteArray("1") << false;
        QTest::newRow("switch off") << true << false << 1 << QByteArray("1") << false;
        QTest::newRow("not the running program") << true << true << 2 << QByteArray("1") << false;
        QTest::newRow("Temp.On clear") << true << true << 1 << QByteArray("0") << false;
    }
    void temperatureTimer() {
        QFETCH(bool, remote);
        QFETCH(bool, compensation);
        QFETCH(int, tab);
        QFETCH(QByteArray, tempOn);
        QFETCH(bool, copies);
        Rig rig(remote, "Units=1 TempSensorMode=" + tempOn);
        rig.program(2) = rig.program(1);
        ProgramEditor& e = rig.open();
        QVERIFY(e.onTabChanging(tab));
        const QString conversionBefore = rig.view().valuePanels[kValueConversion];
        e.onTemperatureTimer(MainTemperature{compensation, 0.0068145, QStringLiteral("25.0")});
        QCOMPARE(rig.shown(kFieldTemperature), copies ? QStringLiteral("25.0") : "20.4");
        QCOMPARE(rig.view().valuePanels[kValueConversion],
                 copies ? QStringLiteral("0.00681") : conversionBefore); // not times 2.54
        QVERIFY(!rig.view().fieldEdits[kFieldTemperature].bold);
        QVERIFY(!e.changesPending());
    }
};

QTEST_GUILESS_MAIN(TestProgramEditor)
#include "test_programeditor.moc"
