#include "monitor/displaytexts.h"
#include "program/demoprograms.h"

#include <QTest>

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

class TestDisplayTexts : public QObject {
    Q_OBJECT
private slots:
    void unitsShowInPanelsAndChart_data();
    void unitsShowInPanelsAndChart();
    void clockAndEchoByModel_data();
    void clockAndEchoByModel();
    void meterCaptions_data();
    void meterCaptions();
    void analogOnlyWithSumScale();
};

void TestDisplayTexts::unitsShowInPanelsAndChart_data() {
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

void TestDisplayTexts::unitsShowInPanelsAndChart() {
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

void TestDisplayTexts::clockAndEchoByModel_data() {
    QTest::addColumn<QByteArray>("options");
    QTest::addColumn<bool>("clock");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QString>("status");
    QTest::newRow("QX3100 with M")
        << QByteArray("1.05 M") << true << false << "Model Type: QX3100  ";
    QTest::newRow("2.14") << QByteArray("2.14 M") << false << true << "Model Type: QX3700  ";
    QTest::newRow("2.15") << QByteArray("2.15") << true << true << "Model Type: QX3700  ";
}

void TestDisplayTexts::clockAndEchoByModel() {
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

void TestDisplayTexts::meterCaptions_data() {
    QTest::addColumn<int>("meterMode");
    QTest::addColumn<int>("outputMode");
    QTest::addColumn<double>("factor");
    QTest::addColumn<bool>("fromSelector");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("distance") << 3 << 0 << 1.0 << false << "Distance (Inches)"
                              << "DISTANCE value in  (Inches)";
    QTest::newRow("distance metric") << 3 << 0 << 2.54 << true << "Distance (Centimeters)"
                                     << "DISTANCE value in  (Centimeters)";
    QTest::newRow("analog") << 1 << 2 << 1.0 << true << "Analog Percent(%)"
                            << "Analog Output in Percent";
    QTest::newRow("sum, refresh") << 2 << 2 << 1.0 << false << "SUM MODE Percent Output(%)"
                                  << "Output Value in Percent";
    QTest::newRow("sum, selector")
        << 2 << 2 << 1.0 << true << "SUM PROPORTIONAL MODE Percent Output(%)"
        << "Output Value in Percent";
    QTest::newRow("other mode keeps label") << 2 << 7 << 1.0 << false << "old"
                                            << "Output Value in Percent";
}

void TestDisplayTexts::meterCaptions() {
    QFETCH(int, meterMode);
    QFETCH(int, outputMode);
    QFETCH(double, factor);
    QFETCH(bool, fromSelector);
    QFETCH(QString, label);
    QFETCH(QString, tooltip);
    const MeterCaption c =
        meterCaptionFor(meterMode, outputMode, factor, fromSelector, QStringLiteral("old"));
    QCOMPARE(c.label, label);
    QCOMPARE(c.tooltip, tooltip);
}

void TestDisplayTexts::analogOnlyWithSumScale() {
    QCOMPARE(selectMeterMode(1, 3, 0).meterMode, 3);
    QVERIFY(selectMeterMode(1, 2, 0).refused);
    QCOMPARE(selectMeterMode(1, 2, 0).meterMode, 2);
    QCOMPARE(selectMeterMode(1, 3, 1).meterMode, 1);
    QVERIFY(!selectMeterMode(2, 1, 0).refused);
}

QTEST_APPLESS_MAIN(TestDisplayTexts)
#include "test_displaytexts.moc"
