// The main display model and its texts: the unit's options, the running program's modes, the
// values and captions shown for it.
#include "monitor/displaytexts.h"
#include "program/demoprograms.h"
#include "program/maindisplaymodel.h"

#include <QtTest>

using namespace vanto;

namespace {

ProgramState unitWith(const QByteArray& units, const QByteArray& options = "2.16 M") {
    ProgramState s;
    s.programs = demoPrograms();
    s.currentProgram = 2;
    ProgramRecord& r = s.programs[2];
    r.set(Field::Units, units);
    r.set(Field::Base, "13");
    r.set(Field::Range, "30");
    r.set(Field::TotalSpan, "43");
    r.set(Field::NearRelay, "15");
    r.set(Field::Temperature, "250");
    r.set(Field::MinimumBase, "13");
    s.programs[0].set(Field::Param21, "123.45");
    s.unitOptions = options;
    s.unitSerial = "A12345";
    return s;
}

MainDisplayTexts textsOf(const ProgramState& s) {
    return mainDisplayTextsFor(s, updateMainDisplay(s));
}

} // namespace

class TestMonitor : public QObject {
    Q_OBJECT
private slots:
    void unitOptions_data();
    void unitOptions();
    void modeValues_data();
    void modeValues();
    void metricShownValues();
    void unitsShowInPanelsAndChart_data();
    void unitsShowInPanelsAndChart();
    void clockAndEchoByModel_data();
    void clockAndEchoByModel();
    void analogOnlyWithSumScale();
};

void TestMonitor::unitOptions_data() {
    QTest::addColumn<QByteArray>("options");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("model");
    QTest::newRow("1.x with M") << QByteArray("1.05 NM") << 3 << "QX3100";
    QTest::newRow("1.x with L") << QByteArray("1.05 L") << 2 << "QX3100";
    QTest::newRow("1.x with N") << QByteArray("1.05 N") << 1 << "QX3100";
    QTest::newRow("2.14") << QByteArray("2.14 M") << 1 << "QX3700";
    QTest::newRow("2.15") << QByteArray("2.15") << 2 << "QX3700";
    QTest::newRow("2.16") << QByteArray("2.16 M") << 3 << "QX3700";
    QTest::newRow("3.00") << QByteArray("3.00") << 3 << "QX3700";
    QTest::newRow("empty") << QByteArray() << 0 << "QX3100";
    QTest::newRow("letters") << QByteArray("x.yz") << 0 << "QX3100";
}

void TestMonitor::unitOptions() {
    QFETCH(QByteArray, options);
    ProgramState state;
    state.unitOptions = options;
    const MainDisplayModel m = updateMainDisplay(state);
    QTEST(m.featureLevel, "level");
    QTEST(m.modelName, "model");
}

void TestMonitor::modeValues_data() {
    QTest::addColumn<QByteArray>("modeFlags");
    QTest::addColumn<QByteArray>("sumScaleEnable");
    QTest::addColumn<QByteArray>("sumScaleType");
    QTest::addColumn<int>("linear");
    QTest::addColumn<int>("payOut");
    QTest::addColumn<bool>("holdOn");
    QTest::addColumn<int>("outputMode");
    QTest::addColumn<LinkRequest>("pollRequest");
    QTest::newRow("linear take-up hold")
        << QByteArray("000000100") << QByteArray("0") << QByteArray("0") << 1 << 0 << true << 1
        << LinkRequest::PollDistance;
    QTest::newRow("adaptive pay-out no hold")
        << QByteArray("000001010") << QByteArray("0") << QByteArray("0") << 0 << 1 << false << 0
        << LinkRequest::PollAdaptive;
    QTest::newRow("linear scaled") << QByteArray("000000100") << QByteArray("1") << QByteArray("0")
                                   << 1 << 0 << true << 3 << LinkRequest::PollAnalog;
    QTest::newRow("linear sum prop")
        << QByteArray("000000100") << QByteArray("1") << QByteArray("1") << 1 << 0 << true << 2
        << LinkRequest::PollAnalog;
    QTest::newRow("adaptive sum linear")
        << QByteArray("000000000") << QByteArray("1") << QByteArray("2") << 0 << 0 << true << 4
        << LinkRequest::PollAdaptive;
    QTest::newRow("other type keeps")
        << QByteArray("000000100") << QByteArray("1") << QByteArray("7") << 1 << 0 << true << 1
        << LinkRequest::PollAnalog;
    QTest::newRow("enable 2 not polled by CAN")
        << QByteArray("000000100") << QByteArray("2") << QByteArray("0") << 1 << 0 << true << 3
        << LinkRequest::PollDistance;
    QTest::newRow("blank flags") << QByteArray("") << QByteArray("") << QByteArray("") << 0 << 0
                                 << true << 0 << LinkRequest::PollAdaptive;
}

void TestMonitor::modeValues() {
    QFETCH(QByteArray, modeFlags);
    QFETCH(QByteArray, sumScaleEnable);
    QFETCH(QByteArray, sumScaleType);
    ProgramState state;
    state.currentProgram = 4;
    state.programs[4].set(Field::ModeFlags, modeFlags);
    state.programs[4].set(Field::SumScaleEnable, sumScaleEnable);
    state.programs[4].set(Field::SumScaleType, sumScaleType);
    const MainDisplayModel m = updateMainDisplay(state);
    QTEST(m.linearOutput, "linear");
    QTEST(m.payOutMode, "payOut");
    QTEST(m.holdOn, "holdOn");
    QTEST(m.outputMode, "outputMode");
    QTEST(m.pollRequest, "pollRequest");
}

void TestMonitor::metricShownValues() {
    ProgramState state;
    ProgramRecord& r = state.programs[0];
    r.set(Field::Units, "1");
    r.set(Field::Base, "13");
    r.set(Field::Range, "30");
    r.set(Field::OffsetPercent, "12.5");
    r.set(Field::SumScalePercent, "40");
    r.set(Field::TempSensorMode, "2");
    MainDisplayModel m = updateMainDisplay(state);
    QCOMPARE(m.unitFactor, 2.54);
    QCOMPARE(m.baseShown, float(13 * 2.54));
    QCOMPARE(m.rangeShown, float(30 * 2.54));
    QCOMPARE(m.offsetValue, qint16(12)); // halves to even
    QCOMPARE(m.sumScaleShare, 40.f);
    QCOMPARE(m.tempCompOn, false); // mode 2 is shown as off
    r.set(Field::TempSensorMode, "1");
    QCOMPARE(updateMainDisplay(state).tempCompOn, true);
}

void TestMonitor::unitsShowInPanelsAndChart_data() {
    QTest::addColumn<QByteArray>("units");
    QTest::addColumn<QStringList>("panels"); // base, range, temperature, units
    QTest::addColumn<int>("near");
    QTest::addColumn<int>("far");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<double>("limitLow");
    QTest::addColumn<double>("spanHigh");
    QTest::newRow("U.S.") << QByteArray(" 0") << QStringList{"13", "30", "77.0", "U.S."} << 15 << 43
                          << "Distance (Inches)" << 12.9 << 43.5;
    QTest::newRow("metric") << QByteArray(" 1") << QStringList{"33", "76", "25.0", "Metric"} << 38
                            << 109 << "Distance (Centimeters)" << 12.9 * 2.54 << 43.5 * 2.54;
}

void TestMonitor::unitsShowInPanelsAndChart() {
    QFETCH(QByteArray, units);
    QFETCH(QStringList, panels);
    QFETCH(int, near);
    QFETCH(int, far);
    QFETCH(QString, caption);
    QFETCH(double, limitLow);
    QFETCH(double, spanHigh);
    const MainDisplayTexts t = textsOf(unitWith(units));
    QCOMPARE(t.settingsPanels[0], panels[0]);
    QCOMPARE(t.settingsPanels[1], panels[1]);
    QCOMPARE(t.settingsPanels[5], panels[2]);
    QCOMPARE(t.settingsPanels[6], panels[3]);
    QCOMPARE(int(t.nearValue), near);
    QCOMPARE(int(t.farValue), far);
    QCOMPARE(t.chartCaption, caption);
    QCOMPARE(t.limitLow, limitLow);
    QCOMPARE(t.spanHigh, spanHigh);
    QCOMPARE(t.programNumber, QStringLiteral("2"));
    QCOMPARE(t.serial, QStringLiteral("A12345"));
}

void TestMonitor::clockAndEchoByModel_data() {
    QTest::addColumn<QByteArray>("options");
    QTest::addColumn<bool>("clock");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QString>("status");
    QTest::newRow("QX3100 with M")
        << QByteArray("1.05 M") << true << false << "Model Type: QX3100  ";
    QTest::newRow("2.14") << QByteArray("2.14 M") << false << true << "Model Type: QX3700  ";
    QTest::newRow("2.15") << QByteArray("2.15") << true << true << "Model Type: QX3700  ";
}

void TestMonitor::clockAndEchoByModel() {
    QFETCH(QByteArray, options);
    QFETCH(bool, clock);
    QFETCH(bool, echo);
    QFETCH(QString, status);
    ProgramState s = unitWith(" 0", options);
    s.programs[2].set(Field::DoubleEcho, "1");
    const MainDisplayTexts t = textsOf(s);
    QCOMPARE(t.clockVisible, clock);
    QCOMPARE(t.clockHours, 123.5f);
    QCOMPARE(t.echoVisible, echo);
    QCOMPARE(t.echoOn, echo);
    QCOMPARE(t.status, status);
}

void TestMonitor::analogOnlyWithSumScale() {
    QCOMPARE(selectMeterMode(1, 3, 0).meterMode, 3);
    QVERIFY(selectMeterMode(1, 2, 0).refused);
    QCOMPARE(selectMeterMode(1, 2, 0).meterMode, 2);
    QCOMPARE(selectMeterMode(1, 3, 1).meterMode, 1);
    QVERIFY(!selectMeterMode(2, 1, 0).refused);
}

QTEST_GUILESS_MAIN(TestMonitor)
#include "test_monitor.moc"
