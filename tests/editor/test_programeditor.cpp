#include "../fakes.h"

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
    int layouts = 0;
    std::function<void()> inDialog;
    void openSettingsDialog(SettingsDialog dialog) override {
        opened.append(dialog);
        if (inDialog)
            inDialog();
    }
    void showSensorLayout() override { ++layouts; }
};

ProgramRecord sample(int program) {
    ProgramRecord r;
    r.set(Field::Units, " 0");
    r.set(Field::Base, "13");
    r.set(Field::Range, "30");
    r.set(Field::TotalSpan, "43");
    r.set(Field::NearRelay, "13");
    r.set(Field::Conversion, "0.0067");
    r.set(Field::SampleInterval, "10000");
    r.set(Field::MinimumBase, "13");
    r.set(Field::ModeFlags, "000001010");
    r.set(Field::OverCount, "5");
    r.set(Field::AverageCount, QByteArray::number(program)); // tells the programs apart
    r.set(Field::OffsetPercent, "10");
    r.set(Field::Temperature, "204");
    r.set(Field::TempSensorMode, "0");
    r.set(Field::HysteresisOff, "0");
    r.set(Field::SlaveMode, "0");
    r.set(Field::Rs232Enable, "0");
    r.set(Field::MuxSensors, "1");
    r.set(Field::SumScaleEnable, "0");
    r.set(Field::CountMode, "0");
    r.set(Field::ClockEnable, "0");
    r.set(Field::ControlRelayEnable, "0");
    r.set(Field::DoubleEcho, "0");
    r.set(Field::RelayOnDistance, "20");
    r.set(Field::RelayOffDistance, "40");
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

    Rig(bool remote = false, bool online = true, int current = 1) {
        for (int p = 0; p < kProgramCount; ++p)
            state.programs[p] = sample(p);
        state.currentProgram = current;
        state.modelName = QStringLiteral("QX3700");
        state.unitSerial = "A12345";
        state.programFileName = QStringLiteral("plant.prg");
        setup.remoteMode = remote;
        setup.featureLevel = 3;
        link.online = online;
    }
    ProgramEditor& open() {
        editor = std::make_unique<ProgramEditor>(state, link, windows, prompts, dialogs, setup);
        return *editor;
    }
    ProgramRecord& program(int p) { return state.programs[p]; }
    const FrmProgView& view() const { return editor->view(); }
    // Types into a field and leaves it.
    void enter(int index, const QString& text) {
        editor->onFieldEdited(index, text);
        editor->onFieldFocusLost(index);
    }
};

} // namespace

class TestProgramEditor : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheRunningProgram_data();
    void opensOnTheRunningProgram();
    void showsLengthsInDisplayUnits_data();
    void showsLengthsInDisplayUnits();
    void temperatureCompensation_data();
    void temperatureCompensation();
    void availability_data();
    void availability();
    void checkStatesFromFields();
    void fieldFocusLoss_data();
    void fieldFocusLoss();
    void lengthEditRedrawsWhatDependsOnIt();
    void checkClickFlips_data();
    void checkClickFlips();
    void sumScaleClearsHysteresis();
    void minimumBaseOptionRelimitsBase_data();
    void minimumBaseOptionRelimitsBase();
    void unitsOptionReshowsAndMarks();
    void optionsWriteTheirFields();
    void marking_data();
    void marking();
    void tabChangeAndClosingQuestions_data();
    void tabChangeAndClosingQuestions();
    void settingsSwitchMarksThenOpens();
    void saveToFile();
    void makeXmitFile();
    void xmitOffLine();
    void xmitWaitsAndRefreshes_data();
    void xmitWaitsAndRefreshes();
    void xmitAgainAbandons();
    void editDuringTransmissionStaysPending();
    void fileModeStaysUnsavedUntilSaved_data();
    void fileModeStaysUnsavedUntilSaved();
    void xmitRefusesWhatCannotBeCarried_data();
    void xmitRefusesWhatCannotBeCarried();
    void xmitSucceedsOnlyWhenTheUnitHoldsIt_data();
    void xmitSucceedsOnlyWhenTheUnitHoldsIt();
    void serialNumber();
    void blankSerialRestoresWithoutLosingEdits();
    void timer2_data();
    void timer2();
};

void TestProgramEditor::opensOnTheRunningProgram_data() {
    QTest::addColumn<bool>("remote");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("settingsLabel");
    QTest::addColumn<QString>("modeLabel");
    QTest::newRow("remote #3") << true << 3 << "# 3 Program Settings"
                               << "REMOTE MODE";
    QTest::newRow("file #0") << false << 0 << "Program Settings"
                             << "FILE MODE: PLANT.PRG";
}

void TestProgramEditor::opensOnTheRunningProgram() {
    QFETCH(bool, remote);
    QFETCH(int, current);
    Rig rig(remote, true, current);
    ProgramEditor& e = rig.open();
    QCOMPARE(rig.view().selectedTab, current);
    QCOMPARE(e.workingRecord(), rig.program(current));
    QVERIFY(rig.view().activeYes);
    QCOMPARE(rig.view().valuePanels[kValActive], QStringLiteral("YES"));
    QTEST(rig.view().settingPanels[kPnlSettings].label, "settingsLabel");
    QTEST(rig.view().settingPanels[kPnlMode].label, "modeLabel");
    QVERIFY(!e.loadingFlag());
    QVERIFY(!e.changesPending());
    QCOMPARE(rig.prompts.questions.size(), 0);

    QVERIFY(e.onTabChanging((current + 1) % 8));
    QVERIFY(!rig.view().activeYes);
    QCOMPARE(rig.view().valuePanels[kValActive], QStringLiteral("NO"));
}

void TestProgramEditor::showsLengthsInDisplayUnits_data() {
    QTest::addColumn<QByteArray>("units");
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<QStringList>("shown"); // BASE, RANGE, Total Span, Near Relay, Cone Dia.
    QTest::newRow("U.S.") << QByteArray(" 0") << QByteArray("13")
                          << QStringList{"13", "30", "43", "13", "13.12"};
    QTest::newRow("metric") << QByteArray(" 1") << QByteArray("13")
                            << QStringList{"33", "76", "109", "33", "33.31"};
    QTest::newRow("base 0 shows empty")
        << QByteArray(" 0") << QByteArray("0") << QStringList{"", "30", "30", "13", "13.12"};
}

void TestProgramEditor::showsLengthsInDisplayUnits() {
    QFETCH(QByteArray, units);
    QFETCH(QByteArray, base);
    QFETCH(QStringList, shown);
    Rig rig;
    rig.program(1).set(Field::Units, units);
    rig.program(1).set(Field::Base, base);
    rig.open();
    const FrmProgView& v = rig.view();
    QCOMPARE((QStringList{v.fieldEdits[kFieldBase].text, v.fieldEdits[kFieldRange].text,
                          v.fieldEdits[kFieldTotalSpan].text, v.fieldEdits[kFieldNearRelay].text,
                          v.valuePanels[kValConeDia]}),
             shown);
    QCOMPARE(v.rangeOptions[kOptionMetric], units == " 1");
    QCOMPARE(v.rangeOptions[kOptionUS], units != " 1");
    QCOMPARE(v.fieldEdits[kFieldSampleInterval].text, QStringLiteral("10.0"));
    // 43 in / 0.0067 = 6417.9 us measuring + 10000 us interval.
    QCOMPARE(v.valuePanels[kValSampleTime], QStringLiteral("16.4"));
    QCOMPARE(v.valuePanels[kValPwm], QStringLiteral("1340.5"));
}

void TestProgramEditor::temperatureCompensation_data() {
    QTest::addColumn<QByteArray>("units");
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QByteArray>("temperature");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("fieldEnabled");
    QTest::addColumn<QString>("conversion");
    QTest::addColumn<bool>("boxEnabled");
    QTest::newRow("off, 20.4 C in U.S.") << QByteArray(" 0") << QByteArray("0") << QByteArray("204")
                                         << "68.7" << true << "0.00676" << true;
    QTest::newRow("off, metric") << QByteArray(" 1") << QByteArray("0") << QByteArray("204")
                                 << "20.4" << true << "0.01717" << true;
    QTest::newRow("on: the stored conversion")
        << QByteArray(" 0") << QByteArray("1") << QByteArray("200") << "68.0" << false << "0.00670"
        << true;
    QTest::newRow("2: box unavailable") << QByteArray(" 0") << QByteArray("2") << QByteArray("200")
                                        << "68.0" << true << "0.00676" << false;
}

void TestProgramEditor::temperatureCompensation() {
    QFETCH(QByteArray, units);
    QFETCH(QByteArray, mode);
    QFETCH(QByteArray, temperature);
    Rig rig;
    rig.program(1).set(Field::Units, units);
    rig.program(1).set(Field::TempSensorMode, mode);
    rig.program(1).set(Field::Temperature, temperature);
    rig.open();
    const FrmProgView& v = rig.view();
    QTEST(v.fieldEdits[kFieldTemperature].text, "shown");
    QTEST(v.fieldEdits[kFieldTemperature].enabled, "fieldEnabled");
    QTEST(v.valuePanels[kValConversion], "conversion");
    QTEST(v.optionChecks[kCheckTempOn].enabled, "boxEnabled");
}

void TestProgramEditor::availability_data() {
    QTest::addColumn<int>("program");
    QTest::addColumn<int>("serviceFlag");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("programChoices"); // Hold ON, Pay/Takeup, Adaptive/Linear, Multiplex
    QTest::addColumn<bool>("modelChoices");   // Double Echo, Hi/Lo Range
    QTest::newRow("#7 with /QV") << 7 << 99 << "QX3700" << true << true << true;
    QTest::newRow("#7 without /QV") << 7 << 0 << "QX3700" << false << true << true;
    QTest::newRow("#0") << 0 << 99 << "QX3700" << false << false << true;
    QTest::newRow("#0 on a QX3100") << 0 << 0 << "QX3100" << false << false << false;
    QTest::newRow("#4 on a QX3100") << 4 << 0 << "QX3100" << false << true << false;
}

void TestProgramEditor::availability() {
    QFETCH(int, program);
    QFETCH(int, serviceFlag);
    QFETCH(QString, model);
    QFETCH(bool, programChoices);
    QFETCH(bool, modelChoices);
    Rig rig(true, true, 1);
    rig.state.serviceFlag = serviceFlag;
    rig.state.modelName = model;
    ProgramEditor& e = rig.open();
    QVERIFY(e.onTabChanging(program));
    const FrmProgView& v = rig.view();
    QTEST(v.serialEdit.enabled, "serial");
    QCOMPARE(v.optionChecks[kCheckHold].enabled, programChoices);
    QCOMPARE(v.settingPanels[kPnlDirection].enabled, programChoices);
    QCOMPARE(v.settingPanels[kPnlOutputMode].enabled, programChoices);
    QCOMPARE(v.settingPanels[kPnlMux].enabled, programChoices);
    QCOMPARE(v.optionChecks[kCheckDoubleEcho].enabled, modelChoices);
    QCOMPARE(v.settingPanels[kPnlHiLo].enabled, modelChoices);
    QCOMPARE(v.settingPanels[kPnlModel].label, QStringLiteral("Model#: ") + model);
    QCOMPARE(v.serialEdit.text, QStringLiteral("A12345"));
}

void TestProgramEditor::checkStatesFromFields() {
    Rig rig;
    ProgramRecord& r = rig.program(1);
    r.set(Field::ModeFlags, "000000100"); // hold on, linear, take-up
    r.set(Field::HysteresisOff, "1");
    r.set(Field::CountMode, "2");
    r.set(Field::Rs232Enable, "1");
    r.set(Field::SlaveMode, "1");
    r.set(Field::MuxSensors, "7");
    r.set(Field::MinimumBase, "9");
    r.set(Field::OffsetPercent, "12.5");
    rig.open();
    const FrmProgView& v = rig.view();
    QCOMPARE(v.optionChecks[kCheckHold].state, CheckState::Checked);
    QCOMPARE(v.optionChecks[kCheckHysteresis].state, CheckState::Unchecked);
    QCOMPARE(v.optionChecks[kCheckCounter].state, CheckState::Greyed);
    QCOMPARE(v.optionChecks[kChkRs232].state, CheckState::Checked);
    QVERIFY(v.rangeOptions[kOptionLinear] && !v.rangeOptions[kOptionAdaptive]);
    QVERIFY(v.rangeOptions[kOptionTakeUp] && !v.rangeOptions[kOptionPayOut]);
    QVERIFY(v.rangeOptions[kOptionSlave] && !v.rangeOptions[kOptionMaster]);
    QVERIFY(v.rangeOptions[kOpt13Inch]); // anything but 6
    for (int i = kOptionMuxOff; i <= kOptMux4; ++i)
        QVERIFY(!v.rangeOptions[i]);
    QVERIFY(!v.settingPanels[kPnlRs232].enabled);
    QVERIFY(!v.settingPanels[kPnlType].enabled);
    QCOMPARE(v.fieldEdits[kFieldOffset].text, QStringLiteral("12")); // linear: whole number
}

void TestProgramEditor::fieldFocusLoss_data() {
    QTest::addColumn<bool>("metric");
    QTest::addColumn<QByteArray>("minimumBase");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("beeps");

    const int base = int(Field::Base), range = int(Field::Range), span = int(Field::TotalSpan);
    const int near = int(Field::NearRelay), interval = int(Field::SampleInterval);
    const int temp = int(Field::Temperature);
    QTest::newRow("BASE 400 with RANGE 30")
        << false << QByteArray("13") << 0 << "400" << span << QByteArray("360") << "330" << 1;
    QTest::newRow("BASE 20 stores the span")
        << false << QByteArray("13") << 0 << "20" << span << QByteArray("50") << "20" << 0;
    QTest::newRow("BASE not a number")
        << false << QByteArray("6") << 0 << "x" << base << QByteArray("6") << "6" << 1;
    QTest::newRow("metric BASE 33")
        << true << QByteArray("6") << 0 << "33" << base << QByteArray("13") << "33" << 1;
    QTest::newRow("metric BASE 50.8 whole inches")
        << true << QByteArray("13") << 0 << "50.8" << base << QByteArray("20") << "51" << 0;
    QTest::newRow("BASE beyond 16 bits")
        << false << QByteArray("13") << 0 << "99999" << base << QByteArray("330") << "330" << 1;
    QTest::newRow("RANGE 50") << false << QByteArray("13") << 1 << "50" << span << QByteArray("63")
                              << "50" << 0;
    QTest::newRow("metric RANGE 127")
        << true << QByteArray("13") << 1 << "127" << range << QByteArray("50") << "127" << 0;
    QTest::newRow("metric RANGE beyond 16 bits")
        << true << QByteArray("13") << 1 << "-90000" << range << QByteArray("1") << "3" << 1;
    QTest::newRow("metric Total Span 127")
        << true << QByteArray("6") << 2 << "127" << base << QByteArray("20") << "127" << 0;
    QTest::newRow("metric Near Relay 25.4")
        << true << QByteArray("6") << 3 << "25.4" << near << QByteArray("10") << "25" << 0;
    // Over Count shows the count kept, not the text typed.
    QTest::newRow("Over Count rounds") << false << QByteArray("13") << 4 << "12.6"
                                       << int(Field::OverCount) << QByteArray("13") << "13" << 0;
    QTest::newRow("Over Count beyond 16 bits")
        << false << QByteArray("13") << 4 << "99999" << int(Field::OverCount) << QByteArray("32767")
        << "32767" << 1;
    QTest::newRow("Offset as typed, cut")
        << false << QByteArray("13") << 5 << "1234567" << int(Field::OffsetPercent)
        << QByteArray("123456") << "1234567" << 0;
    QTest::newRow("Average as typed") << false << QByteArray("13") << 7 << "8-"
                                      << int(Field::AverageCount) << QByteArray("8-") << "8-" << 0;
    QTest::newRow("Sample Intv 70 limited")
        << false << QByteArray("13") << 6 << "70" << interval << QByteArray("58935") << "58.9" << 1;
    QTest::newRow("Sample Intv 20")
        << false << QByteArray("6") << 6 << "20" << interval << QByteArray("20000") << "20.0" << 0;
    QTest::newRow("Temperature 68.8 F")
        << false << QByteArray("13") << 8 << "68.8" << temp << QByteArray("204") << "68.8" << 0;
    QTest::newRow("Temperature 20.4 C")
        << true << QByteArray("13") << 8 << "20.4" << temp << QByteArray("204") << "20.4" << 0;
    // The unit measures -40 to 85 C (-40 to 185 F): beyond, the limit is kept and shown.
    QTest::newRow("Temperature -500 C")
        << true << QByteArray("13") << 8 << "-500" << temp << QByteArray("-400") << "-40.0" << 1;
    QTest::newRow("Temperature 85 C")
        << true << QByteArray("13") << 8 << "85" << temp << QByteArray("850") << "85" << 0;
    QTest::newRow("Temperature 85.1 C")
        << true << QByteArray("13") << 8 << "85.1" << temp << QByteArray("850") << "85.0" << 1;
    QTest::newRow("Temperature -40.1 F")
        << false << QByteArray("13") << 8 << "-40.1" << temp << QByteArray("-400") << "-40.0" << 1;
    QTest::newRow("Temperature 186 F")
        << false << QByteArray("13") << 8 << "186" << temp << QByteArray("850") << "185.0" << 1;
}

void TestProgramEditor::fieldFocusLoss() {
    QFETCH(bool, metric);
    QFETCH(QByteArray, minimumBase);
    QFETCH(int, index);
    QFETCH(QString, typed);
    QFETCH(int, field);
    QFETCH(QByteArray, stored);
    Rig rig;
    rig.program(1).set(Field::Units, metric ? " 1" : " 0");
    rig.program(1).set(Field::MinimumBase, minimumBase);
    ProgramEditor& e = rig.open();
    const ProgramRecord before = rig.program(1);
    rig.enter(index, typed);
    QCOMPARE(e.workingRecord().trimmed(static_cast<Field>(field)), stored);
    QTEST(rig.view().fieldEdits[index].text, "shown");
    QTEST(rig.prompts.beeps, "beeps");
    // Base + Range = TotalSpan after every edit.
    QCOMPARE(e.workingRecord().whole(Field::TotalSpan),
             qint16(e.workingRecord().whole(Field::Base) + e.workingRecord().whole(Field::Range)));
    QCOMPARE(rig.program(1), before); // edits stay in the working copy
}

// Editing a length redraws the fields and values the edit moved, so nothing stale stays shown.
void TestProgramEditor::lengthEditRedrawsWhatDependsOnIt() {
    Rig rig;
    rig.program(1).set(Field::MinimumBase, "6");
    rig.program(1).set(Field::NearRelay, "40");
    rig.program(1).set(Field::SampleInterval, "60000");
    ProgramEditor& e = rig.open();
    rig.enter(kFieldRange, "300");
    // 313 in at 0.0067 in per count: 46716.4 us measuring leaves 18636.6 us.
    QCOMPARE(rig.view().fieldEdits[kFieldSampleInterval].text, QStringLiteral("18.6"));
    QCOMPARE(rig.view().fieldEdits[kFieldTotalSpan].text, QStringLiteral("313"));
    QCOMPARE(rig.view().valuePanels[kValSampleTime], QStringLiteral("65.4"));
    QCOMPARE(rig.view().valuePanels[kValConeDia], QStringLiteral("95.47"));
    QVERIFY(rig.view().fieldEdits[kFieldSampleInterval].bold);

    rig.enter(kFieldBase, "20");
    QCOMPARE(rig.view().fieldEdits[kFieldNearRelay].text, QStringLiteral("20"));
    QCOMPARE(e.workingRecord().trimmed(Field::NearRelay), QByteArray("20"));
}

void TestProgramEditor::checkClickFlips_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<CheckState>("state");
    const int ctrl = int(Field::ControlRelayEnable), count = int(Field::CountMode);
    QTest::newRow("Hold ON") << int(kCheckHold) << int(Field::ModeFlags) << QByteArray("000001010")
                             << QByteArray("000000010") << CheckState::Checked;
    QTest::newRow("Hysterisis inverted")
        << int(kCheckHysteresis) << int(Field::HysteresisOff) << QByteArray("0") << QByteArray(" 1")
        << CheckState::Unchecked;
    QTest::newRow("control relay on") << int(kCheckControlRelay) << ctrl << QByteArray("0")
                                      << QByteArray(" 1") << CheckState::Checked;
    QTest::newRow("counter 2 becomes 3")
        << int(kCheckCounter) << count << QByteArray("2") << QByteArray(" 3") << CheckState::Greyed;
    QTest::newRow("RS232") << int(kChkRs232) << int(Field::Rs232Enable) << QByteArray("0")
                           << QByteArray(" 1") << CheckState::Checked;
    QTest::newRow("Temp.On") << int(kCheckTempOn) << int(Field::TempSensorMode) << QByteArray("0")
                             << QByteArray(" 1") << CheckState::Checked;
}

void TestProgramEditor::checkClickFlips() {
    QFETCH(int, index);
    QFETCH(int, field);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(CheckState, state);
    Rig rig;
    rig.program(1).set(static_cast<Field>(field), before);
    ProgramEditor& e = rig.open();
    e.onCheckClicked(index);
    QCOMPARE(e.workingRecord().text(static_cast<Field>(field)).trimmed(), after.trimmed());
    QCOMPARE(e.workingRecord().text(static_cast<Field>(field)).left(after.size()), after);
    QCOMPARE(rig.view().optionChecks[index].state, state);
    QCOMPARE(rig.view().unsavedFile, 3);
    QCOMPARE(rig.program(1).text(static_cast<Field>(field)).trimmed(), before);
    // The RS232 box decides over the Type panel, Temp.On over the temperature field.
    QCOMPARE(rig.view().settingPanels[kPnlType].enabled,
             e.workingRecord().whole(Field::Rs232Enable) != 1);
    QCOMPARE(rig.view().fieldEdits[kFieldTemperature].enabled,
             e.workingRecord().whole(Field::TempSensorMode) != 1);
}

void TestProgramEditor::sumScaleClearsHysteresis() {
    Rig rig;
    ProgramEditor& e = rig.open();
    QCOMPARE(rig.view().optionChecks[kCheckHysteresis].state, CheckState::Checked);
    e.onCheckClicked(kCheckSumScale);
    QCOMPARE(e.workingRecord().whole(Field::SumScaleEnable), qint16(1));
    QCOMPARE(e.workingRecord().whole(Field::HysteresisOff), qint16(1));
    QCOMPARE(rig.view().optionChecks[kCheckHysteresis].state, CheckState::Unchecked);
    QVERIFY(!rig.view().optionChecks[kCheckHysteresis].enabled);
    e.onCheckClicked(kCheckHysteresis); // unavailable: nothing happens
    QCOMPARE(e.workingRecord().whole(Field::HysteresisOff), qint16(1));
    e.onCheckClicked(kCheckSumScale);
    QVERIFY(rig.view().optionChecks[kCheckHysteresis].enabled);
    QCOMPARE(e.workingRecord().whole(Field::HysteresisOff), qint16(1));

    // Shown with Sum/Scale on: cleared and unavailable, but the field is not written.
    Rig shown;
    shown.program(1).set(Field::SumScaleEnable, "1");
    ProgramEditor& s = shown.open();
    QCOMPARE(shown.view().optionChecks[kCheckHysteresis].state, CheckState::Unchecked);
    QVERIFY(!shown.view().optionChecks[kCheckHysteresis].enabled);
    QCOMPARE(s.workingRecord().text(Field::HysteresisOff), QByteArray("0   "));
    QVERIFY(!s.changesPending());
}

void TestProgramEditor::minimumBaseOptionRelimitsBase_data() {
    QTest::addColumn<QByteArray>("units");
    QTest::addColumn<QString>("baseShown");
    QTest::addColumn<QString>("spanShown");
    QTest::newRow("U.S.") << QByteArray(" 0") << "13"
                          << "43";
    QTest::newRow("metric") << QByteArray(" 1") << "33"
                            << "109";
}

void TestProgramEditor::minimumBaseOptionRelimitsBase() {
    QFETCH(QByteArray, units);
    Rig rig;
    ProgramRecord& r = rig.program(1);
    r.set(Field::Units, units);
    r.set(Field::MinimumBase, "6");
    r.set(Field::Base, "6");
    r.set(Field::NearRelay, "6");
    r.set(Field::TotalSpan, "36");
    ProgramEditor& e = rig.open();
    QVERIFY(rig.view().rangeOptions[kOpt6Inch]);
    e.onOptionClicked(kOpt13Inch);
    QCOMPARE(e.workingRecord().trimmed(Field::MinimumBase), QByteArray("13"));
    QCOMPARE(e.workingRecord().trimmed(Field::Base), QByteArray("13"));
    QCOMPARE(e.workingRecord().trimmed(Field::NearRelay), QByteArray("13"));
    QCOMPARE(e.workingRecord().trimmed(Field::TotalSpan), QByteArray("43"));
    QTEST(rig.view().fieldEdits[kFieldBase].text, "baseShown");
    QTEST(rig.view().fieldEdits[kFieldNearRelay].text, "baseShown");
    QTEST(rig.view().fieldEdits[kFieldTotalSpan].text, "spanShown");
    QVERIFY(!rig.view().fieldEdits[kFieldBase].bold); // shown by the editor, not typed
    QCOMPARE(rig.prompts.beeps, 1);
    QVERIFY(rig.view().rangeOptions[kOpt13Inch] && !rig.view().rangeOptions[kOpt6Inch]);
    QCOMPARE(rig.view().unsavedFile, 3);

    e.onOptionClicked(kOpt6Inch); // a lower minimum leaves Base alone
    QCOMPARE(e.workingRecord().trimmed(Field::Base), QByteArray("13"));
    QCOMPARE(rig.prompts.beeps, 1);
}

void TestProgramEditor::unitsOptionReshowsAndMarks() {
    Rig rig(true, true);
    ProgramEditor& e = rig.open();
    e.onOptionClicked(kOptionMetric);
    const FrmProgView& v = rig.view();
    QCOMPARE(e.workingRecord().text(Field::Units), QByteArray(" 1   "));
    QCOMPARE(v.fieldEdits[kFieldBase].text, QStringLiteral("33"));
    QCOMPARE(v.fieldEdits[kFieldTemperature].text, QStringLiteral("20.4"));
    QVERIFY(v.fieldEdits[kFieldBase].bold);
    QVERIFY(v.fieldEdits[kFieldTemperature].bold);
    QVERIFY(!v.fieldEdits[kFieldOverCount].bold); // unchanged text
    QVERIFY(!v.fieldEdits[kFieldSampleInterval].bold);
    QVERIFY(v.transmitPending);
    QVERIFY(v.rangeOptions[kOptionMetric] && !v.rangeOptions[kOptionUS]);
    QCOMPARE(e.workingRecord().trimmed(Field::Base), QByteArray("13")); // stored in inches

    // Back in U.S. units the entries read inches again.
    e.onOptionClicked(kOptionUS);
    rig.enter(kFieldBase, "20");
    QCOMPARE(e.workingRecord().trimmed(Field::Base), QByteArray("20"));
}

void TestProgramEditor::optionsWriteTheirFields() {
    Rig rig;
    ProgramEditor& e = rig.open();
    e.onOptionClicked(kOptionTakeUp);
    e.onOptionClicked(kOptionLinear);
    QCOMPARE(e.workingRecord().text(Field::ModeFlags), QByteArray("000001100"));
    e.onOptionClicked(kOptionSlave);
    QCOMPARE(e.workingRecord().trimmed(Field::SlaveMode), QByteArray("1"));
    QVERIFY(!rig.view().settingPanels[kPnlRs232].enabled);
    e.onOptionClicked(kOptionMaster);
    QVERIFY(rig.view().settingPanels[kPnlRs232].enabled);
    const ProgramRecord before = e.workingRecord();
    e.onOptionClicked(kOptMux3);
    QCOMPARE(e.workingRecord(), before); // shown, not stored
    QVERIFY(rig.view().rangeOptions[kOptMux3] && !rig.view().rangeOptions[kOptionMuxOff]);
    QCOMPARE(rig.view().unsavedFile, 3);
}

void TestProgramEditor::marking_data() {
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("unsavedFile");
    QTest::addColumn<bool>("transmitPending");
    QTest::newRow("file mode") << false << true << 3 << false;
    QTest::newRow("file mode off-line") << false << false << 3 << false;
    QTest::newRow("remote on-line") << true << true << 0 << true;
    QTest::newRow("remote off-line") << true << false << 0 << false;
}

void TestProgramEditor::marking() {
    QFETCH(bool, remote);
    QFETCH(bool, online);
    // Each kind of edit marks the same way.
    const std::function<void(ProgramEditor&)> edits[] = {
        [](ProgramEditor& e) { e.onFieldEdited(kFieldRange, "31"); },
        [](ProgramEditor& e) { e.onCheckClicked(kCheckClock); },
        [](ProgramEditor& e) { e.onOptionClicked(kOptMux2); },
        [](ProgramEditor& e) { e.onSettingsSwitch(8); },
    };
    for (const auto& edit : edits) {
        Rig rig(remote, online);
        ProgramEditor& e = rig.open();
        QCOMPARE(rig.view().xmitActive, online);
        edit(e);
        QTEST(rig.view().unsavedFile, "unsavedFile");
        QTEST(rig.view().transmitPending, "transmitPending");
    }
    Rig rig(remote, online);
    rig.open().onFieldEdited(kFieldRange, "31");
    QVERIFY(rig.view().fieldEdits[kFieldRange].bold);
}

void TestProgramEditor::tabChangeAndClosingQuestions_data() {
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("unsavedAfterMove"); // the committed edit is still not in the file
    QTest::newRow("file mode, Yes") << false << false << true << true << true;
    QTest::newRow("file mode, No") << false << false << false << true << true;
    QTest::newRow("remote on-line, Yes") << true << true << true << true << false;
    QTest::newRow("remote off-line") << true << false << false << false << false;
}

void TestProgramEditor::tabChangeAndClosingQuestions() {
    QFETCH(bool, remote);
    QFETCH(bool, online);
    QFETCH(bool, answer);
    QFETCH(bool, asked);

    // Closing with the edit pending.
    {
        Rig rig(remote, online);
        ProgramEditor& e = rig.open();
        rig.prompts.answer = answer;
        rig.enter(kFieldRange, "50");
        const bool closes = e.onCloseRequest();
        QCOMPARE(closes, answer || !asked);
        QCOMPARE(rig.prompts.questions.size(), asked ? 1 : 0);
        if (asked)
            QCOMPARE(rig.prompts.questions[0].text,
                     QStringLiteral("Changes have been made. Do you still want to Exit?"));
        QCOMPARE(rig.program(1), sample(1)); // closing commits nothing
    }

    // Moving to another program with the edit pending.
    Rig rig(remote, online);
    ProgramEditor& e = rig.open();
    rig.prompts.answer = answer;
    rig.enter(kFieldRange, "50");
    const ProgramRecord edited = e.workingRecord();
    const bool moved = e.onTabChanging(2);
    QCOMPARE(rig.prompts.questions.size(), asked ? 1 : 0);
    if (asked)
        QCOMPARE(rig.prompts.questions[0].text,
                 QStringLiteral(
                     "Changes have been made. Do you still want to Move to the new Program?"));
    QCOMPARE(moved, answer || !asked);
    QVERIFY(!e.loadingFlag());
    if (!moved) {
        QCOMPARE(rig.view().selectedTab, 1);
        QCOMPARE(e.workingRecord(), edited);
        QCOMPARE(rig.view().fieldEdits[kFieldRange].text, QStringLiteral("50"));
        QVERIFY(e.changesPending());
        QCOMPARE(rig.program(1), sample(1));
        return;
    }
    QCOMPARE(rig.view().selectedTab, 2);
    QCOMPARE(e.workingRecord(), rig.program(2));
    QCOMPARE(rig.view().fieldEdits[kFieldAverage].text, QStringLiteral("2"));
    QCOMPARE(rig.view().settingPanels[kPnlSettings].label, QStringLiteral("# 2 Program Settings"));
    QCOMPARE(rig.program(1) == edited, asked); // committed only when asked
    QFETCH(bool, unsavedAfterMove);
    QCOMPARE(e.changesPending(), unsavedAfterMove);
    QCOMPARE(rig.view().unsavedFile, unsavedAfterMove ? 3 : 0);
    // Moving on again asks nothing: the working copy holds no new edit.
    QVERIFY(e.onTabChanging(3));
    QCOMPARE(rig.prompts.questions.size(), asked ? 1 : 0);
    QVERIFY(e.onCloseRequest());
    QCOMPARE(rig.prompts.questions.size(), (asked ? 1 : 0) + (unsavedAfterMove ? 1 : 0));
}

void TestProgramEditor::settingsSwitchMarksThenOpens() {
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

void TestProgramEditor::saveToFile() {
    QTemporaryDir dir;
    Rig rig;
    ProgramEditor& e = rig.open();
    rig.enter(kFieldRange, "50");

    rig.dialogs.answer = std::nullopt; // cancelled: still unsaved
    e.onSaveToFile();
    QCOMPARE(rig.view().unsavedFile, 3);
    QCOMPARE(rig.view().settingPanels[kPnlMode].label, QStringLiteral("FILE MODE: PLANT.PRG"));

    rig.dialogs.answer = dir.filePath(QStringLiteral("line2.prg"));
    e.onSaveToFile();
    QCOMPARE(rig.view().unsavedFile, 0);
    QCOMPARE(rig.view().settingPanels[kPnlMode].label, QStringLiteral("FILE MODE: LINE2.PRG"));
    ProgramSet saved;
    QCOMPARE(readProgramFile(*rig.dialogs.answer, &saved), QString());
    QCOMPARE(saved[1].trimmed(Field::Range), QByteArray("50"));
    QCOMPARE(saved[1], e.workingRecord());
    QVERIFY(e.onCloseRequest());
    QCOMPARE(rig.prompts.questions.size(), 0);
}

void TestProgramEditor::makeXmitFile() {
    QTemporaryDir dir;
    Rig rig(true, true, 1);
    ProgramEditor& e = rig.open();
    QVERIFY(e.onTabChanging(4));
    rig.enter(kFieldRange, "50");

    rig.dialogs.answer = std::nullopt;
    e.onMakeXmitFile();
    QVERIFY(rig.view().transmitPending);

    rig.dialogs.answer = dir.filePath(QStringLiteral("p4.xmt"));
    e.onMakeXmitFile();
    QCOMPARE(rig.state.transmitProgram, 4);
    QCOMPARE(rig.program(4).trimmed(Field::Range), QByteArray("50"));
    QVERIFY(QFile::exists(*rig.dialogs.answer));
    QVERIFY(!e.changesPending());
}

void TestProgramEditor::xmitOffLine() {
    Rig rig(true, true);
    ProgramEditor& e = rig.open();
    rig.enter(kFieldRange, "50");
    rig.link.online = false;
    e.onXmit();
    QCOMPARE(rig.link.started, 0);
    QVERIFY(e.changesPending()); // nothing went out
    QCOMPARE(rig.program(1), sample(1));
}

void TestProgramEditor::xmitWaitsAndRefreshes_data() {
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("refreshed");
    QTest::newRow("the running program") << 1 << 1;
    QTest::newRow("another program") << 5 << 0;
}

void TestProgramEditor::xmitWaitsAndRefreshes() {
    QFETCH(int, current);
    Rig rig(true, true, 1);
    ProgramEditor& e = rig.open();
    rig.state.currentProgram = current;
    rig.enter(kFieldRange, "50");
    bool lockedDuringWait = true;
    rig.link.duringWait = [&](int round) {
        const FrmProgView& v = rig.view();
        lockedDuringWait = lockedDuringWait && !v.tabStripEnabled && !v.closeEnabled &&
                           !v.settingPanels[kPnlMode].enabled && v.transmitPending &&
                           e.transmitting() && !e.onCloseRequest() && !e.onTabChanging(3);
        if (round == 3)
            rig.link.linkRequest = 8; // the unit answered; the program is read back
    };
    e.onXmit();
    QCOMPARE(rig.link.started, 1);
    QCOMPARE(rig.link.rounds, 3);
    QVERIFY(lockedDuringWait);
    QCOMPARE(rig.state.transmitProgram, 1);
    QCOMPARE(rig.program(1).trimmed(Field::Range), QByteArray("50"));
    QVERIFY(!rig.view().fieldEdits[kFieldRange].bold);
    QTEST(rig.link.refreshed, "refreshed");
    QVERIFY(rig.view().tabStripEnabled && rig.view().closeEnabled);
    QVERIFY(!e.changesPending());
    QCOMPARE(rig.link.abandoned, 0);
    QVERIFY(e.onCloseRequest());
}

void TestProgramEditor::xmitAgainAbandons() {
    Rig rig(true, true, 1);
    ProgramEditor& e = rig.open();
    rig.link.duringWait = [&](int round) {
        if (round == 5)
            e.onXmit(); // the operator gives up on a silent unit
    };
    e.onXmit();
    QCOMPARE(rig.link.abandoned, 1);
    QCOMPARE(rig.link.rounds, 5);
    QCOMPARE(rig.link.started, 1);
    QVERIFY(!e.transmitting());
    QVERIFY(rig.view().tabStripEnabled && rig.view().closeEnabled);
    QVERIFY(rig.view().transmitPending); // the unit never took the program
    rig.prompts.answer = true;
    QVERIFY(e.onCloseRequest());
    QCOMPARE(rig.prompts.questions.size(), 1);
}

void TestProgramEditor::editDuringTransmissionStaysPending() {
    Rig rig(true, true, 1);
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
    QCOMPARE(e.workingRecord().trimmed(Field::Range), QByteArray("77"));
}

// In file mode an edit counts as unsaved until the .prg is saved: a tab change, a transmit
// file or a transmission commits it to the program set but writes no program file.
void TestProgramEditor::fileModeStaysUnsavedUntilSaved_data() {
    QTest::addColumn<QString>("commit");
    QTest::newRow("tab change, Yes") << "tab";
    QTest::newRow("Make Xmit File") << "xmt";
    QTest::newRow("Xmit") << "xmit";
}

void TestProgramEditor::fileModeStaysUnsavedUntilSaved() {
    QFETCH(QString, commit);
    QTemporaryDir dir;
    Rig rig(false, true, 1);
    ProgramEditor& e = rig.open();
    rig.enter(kFieldRange, "50");
    rig.prompts.answer = true;
    if (commit == QLatin1String("tab")) {
        QVERIFY(e.onTabChanging(2));
    } else if (commit == QLatin1String("xmt")) {
        rig.dialogs.answer = dir.filePath(QStringLiteral("p1.xmt"));
        e.onMakeXmitFile();
        QVERIFY(QFile::exists(*rig.dialogs.answer));
    } else {
        rig.link.duringWait = [&](int) { rig.link.linkRequest = 0; };
        e.onXmit();
        QCOMPARE(rig.link.readBacks, 1);
        QVERIFY(rig.prompts.messages.isEmpty());
    }
    QCOMPARE(rig.program(1).trimmed(Field::Range), QByteArray("50")); // committed
    QCOMPARE(rig.view().unsavedFile, 3);                              // but not saved
    // Moving on asks nothing new: the working copy holds no edit that a move would drop.
    const int asked = rig.prompts.questions.size();
    QVERIFY(e.onTabChanging(3));
    QCOMPARE(rig.prompts.questions.size(), asked);
    QCOMPARE(rig.view().unsavedFile, 3);
    rig.prompts.answer = false;
    QVERIFY(!e.onCloseRequest()); // CLOSE asks before the edit is dropped
    QCOMPARE(rig.prompts.questions.size(), asked + 1);
    QCOMPARE(rig.prompts.questions.last().text,
             QStringLiteral("Changes have been made. Do you still want to Exit?"));

    rig.dialogs.answer = dir.filePath(QStringLiteral("plant.prg"));
    e.onSaveToFile();
    QCOMPARE(rig.view().unsavedFile, 0);
    ProgramSet saved;
    QCOMPARE(readProgramFile(*rig.dialogs.answer, &saved), QString());
    QCOMPARE(saved[1].trimmed(Field::Range), QByteArray("50"));
    QVERIFY(e.onCloseRequest());
    QCOMPARE(rig.prompts.questions.size(), asked + 1);
}

void TestProgramEditor::xmitRefusesWhatCannotBeCarried_data() {
    QTest::addColumn<int>("field"); // 0 = the serial number
    QTest::addColumn<int>("program");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("CR in Average Cnt") << int(Field::AverageCount) << 1 << QByteArray("4\r9")
                                       << "program #1, field AverageCount holds a carriage return";
    QTest::newRow("DC1 in #0's unit-wide value")
        << int(Field::Param21) << 0 << QByteArray("\x11") << "program #0, field Param21";
    QTest::newRow("NUL in the serial number")
        << 0 << 1 << QByteArrayLiteral("A1\0003") << "the serial number holds a NUL byte";
}

void TestProgramEditor::xmitRefusesWhatCannotBeCarried() {
    QFETCH(int, field);
    QFETCH(int, program);
    QFETCH(QByteArray, text);
    QFETCH(QString, named);
    Rig rig(true, true, 1);
    if (field == 0)
        rig.state.unitSerial = text;
    else if (program == 0)
        rig.program(0).set(static_cast<Field>(field), text);
    ProgramEditor& e = rig.open();
    if (field != 0 && program == 1)
        e.workingRecord().set(static_cast<Field>(field), text); // as a loaded file may hold it
    rig.enter(kFieldRange, "50");
    const ProgramSet before = rig.state.programs;
    e.onXmit();
    QCOMPARE(rig.link.started, 0); // nothing was sent
    QCOMPARE(rig.state.programs, before);
    QCOMPARE(rig.prompts.messages.size(), 1);
    QVERIFY2(rig.prompts.messages[0].text.contains(named),
             qPrintable(rig.prompts.messages[0].text));
    QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("XMIT ERROR"));
    QVERIFY(rig.view().transmitPending); // the edit is still waiting to go out
    QVERIFY(rig.view().tabStripEnabled && rig.view().closeEnabled);
}

void TestProgramEditor::xmitSucceedsOnlyWhenTheUnitHoldsIt_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("message"); // empty = success
    QTest::newRow("stored as sent") << "stored"
                                    << "";
    QTest::newRow("rejected: old program read back")
        << "rejected"
        << "did not store program #1 as sent (Range sent \"50\", unit holds \"30\";";
    QTest::newRow("stored something else") << "other"
                                           << "(ModeFlags[8] sent \"1\", unit holds \"0\")";
    QTest::newRow("no read-back") << "silent"
                                  << "did not give it back";
}

void TestProgramEditor::xmitSucceedsOnlyWhenTheUnitHoldsIt() {
    QFETCH(QString, unit);
    QFETCH(QString, message);
    Rig rig(true, true, 1);
    ProgramEditor& e = rig.open();
    rig.enter(kFieldRange, "50");
    rig.link.duringWait = [&](int) { rig.link.linkRequest = 0; };
    rig.link.readBack = [&](int program) {
        if (unit == QLatin1String("rejected"))
            rig.program(program) = sample(program);
        if (unit == QLatin1String("other"))
            rig.program(program).setModeFlag(kModeDirection, '0');
        return unit != QLatin1String("silent");
    };
    e.onXmit();
    QCOMPARE(rig.link.started, 1);
    QCOMPARE(rig.link.readBacks, 1);
    if (message.isEmpty()) {
        QVERIFY(rig.prompts.messages.isEmpty());
        QVERIFY(!rig.view().transmitPending);
        QVERIFY(e.onCloseRequest());
        return;
    }
    QCOMPARE(rig.prompts.messages.size(), 1);
    QVERIFY2(rig.prompts.messages[0].text.contains(message),
             qPrintable(rig.prompts.messages[0].text));
    QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("XMIT ERROR"));
    // Not reported as a success: the indicator stays lit, the edit is still in the window and
    // closing asks first.
    QVERIFY(rig.view().transmitPending);
    QCOMPARE(e.workingRecord().trimmed(Field::Range), QByteArray("50"));
    rig.prompts.answer = false;
    QVERIFY(!e.onCloseRequest());
}

void TestProgramEditor::serialNumber() {
    Rig rig(true, true, 7);
    rig.state.serviceFlag = 99;
    ProgramEditor& e = rig.open();
    QVERIFY(rig.view().serialEdit.enabled);
    e.onSerialEdited(QStringLiteral("B9876543")); // pasted: more than the field holds
    QCOMPARE(rig.view().serialEdit.text, QStringLiteral("B98765"));
    e.onSerialFocusLost();
    QCOMPARE(rig.state.unitSerial, QByteArray("B98765"));
    QVERIFY(rig.view().transmitPending);
    QVERIFY(rig.prompts.messages.isEmpty());
}

void TestProgramEditor::blankSerialRestoresWithoutLosingEdits() {
    for (bool editedBefore : {false, true}) {
        Rig rig(true, true, 7);
        rig.state.serviceFlag = 99;
        ProgramEditor& e = rig.open();
        if (editedBefore)
            rig.enter(kFieldRange, "50");
        e.onSerialEdited(QString());
        e.onSerialFocusLost();
        QCOMPARE(rig.prompts.messages.size(), 1);
        QCOMPARE(rig.prompts.messages[0].text, QStringLiteral("Serial Number cannot be BLANK"));
        QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("S\\N ERROR"));
        QCOMPARE(rig.prompts.messages[0].icon, MessageIcon::Question);
        QCOMPARE(rig.view().serialEdit.text, QStringLiteral("A12345"));
        QCOMPARE(rig.state.unitSerial, QByteArray("A12345"));
        QCOMPARE(rig.view().transmitPending, editedBefore);
    }
}

void TestProgramEditor::timer2_data() {
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("compensation");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QByteArray>("tempMode");
    QTest::addColumn<bool>("copies");
    QTest::newRow("all hold") << true << true << 1 << QByteArray("1") << true;
    QTest::newRow("file mode") << false << true << 1 << QByteArray("1") << false;
    QTest::newRow("switch off") << true << false << 1 << QByteArray("1") << false;
    QTest::newRow("not the running program") << true << true << 2 << QByteArray("1") << false;
    QTest::newRow("Temp.On clear") << true << true << 1 << QByteArray("0") << false;
}

void TestProgramEditor::timer2() {
    QFETCH(bool, remote);
    QFETCH(bool, compensation);
    QFETCH(int, tab);
    QFETCH(QByteArray, tempMode);
    QFETCH(bool, copies);
    Rig rig(remote, true, 1);
    rig.program(1).set(Field::Units, " 1");
    rig.program(2).set(Field::Units, " 1");
    rig.program(1).set(Field::TempSensorMode, tempMode);
    rig.program(2).set(Field::TempSensorMode, tempMode);
    ProgramEditor& e = rig.open();
    QVERIFY(e.onTabChanging(tab));
    const QString conversionBefore = rig.view().valuePanels[kValConversion];
    MainTemperature main;
    main.compensationOn = compensation;
    main.conversionValue = 0.0068145;
    main.temperatureText = QStringLiteral("25.0");
    e.onTemperatureTimer(main);
    QCOMPARE(rig.view().fieldEdits[kFieldTemperature].text,
             copies ? QStringLiteral("25.0") : QStringLiteral("20.4"));
    QCOMPARE(rig.view().valuePanels[kValConversion],
             copies ? QStringLiteral("0.00681") : conversionBefore); // not times 2.54
    QVERIFY(!rig.view().fieldEdits[kFieldTemperature].bold);
    QVERIFY(!e.changesPending());
}

QTEST_GUILESS_MAIN(TestProgramEditor)
#include "test_programeditor.moc"
