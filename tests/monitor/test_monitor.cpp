// The main display model and its texts: the unit's options, the running program's modes, the
// values and captions shown for it.
#include "monitor/displaytexts.h"
#include "program/demoprograms.h"
#include "program/maindisplaymodel.h"

#include <QtTest>

using namespace vanto;

namespace {

// Demo programs, #2 running with Base 13, Range 30 and 25.0 °C.
ProgramState unitWith(const QByteArray& units, const QByteArray& options = "2.16 M") {
    ProgramState s;
    s.programs = demoPrograms();
    s.currentProgram = 2;
    ProgramRecord& r = s.programs[2];
    for (const auto& [field, value] : {std::pair<Field, QByteArray>{Field::Units, units},
                                       {Field::Base, "13"},
                                       {Field::Range, "30"},
                                       {Field::TotalSpan, "43"},
                                       {Field::NearRelay, "15"},
                                       {Field::Temperature, "250"},
                                       {Field::MinimumBase, "13"},
                                       {Field::OffsetPercent, "12.5"},
                                       {Field::SumScalePercent, "40"},
                                       {Field::TempSensorMode, "2"},
                                       {Field::DoubleEcho, "1"}})
        r.set(field, value);
    s.programs[0].set(Field::Param21, "123.45");
    s.unitOptions = options;
    s.unitSerial = "A12345";
    return s;
}

} // namespace

class TestMonitor : public QObject {
    Q_OBJECT
private slots:
    void unitOptions_data() {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("clockEcho"); // the clock and the double-echo switch shown
        const auto row = [](const char* options, int level, const char* model, const char* shown) {
            QTest::newRow(options) << QByteArray(options) << level << model << QString(shown);
        };
        row("1.05 NM", 3, "QX3100", "clock");
        row("1.05 L", 2, "QX3100", "clock");
        row("1.05 N", 1, "QX3100", "");
        row("2.14 M", 1, "QX3700", "echo");
        row("2.15", 2, "QX3700", "clock echo");
        row("2.16 M", 3, "QX3700", "clock echo");
        row("", 0, "QX3100", "");
        row("x.yz", 0, "QX3100", "");
    }

    void unitOptions() {
        QFETCH(QByteArray, options);
        QFETCH(QString, model);
        QFETCH(QString, clockEcho);
        const ProgramState state = unitWith(" 0", options);
        const MainDisplayModel m = updateMainDisplay(state);
        QTEST(m.featureLevel, "level");
        QCOMPARE(m.modelName, model);
        const MainDisplayTexts t = mainDisplayTextsFor(state, m);
        QCOMPARE(t.status, "Model Type: " + model + "  ");
        QCOMPARE(t.clockVisible, clockEcho.contains("clock"));
        QCOMPARE(t.echoVisible, clockEcho.contains("echo"));
        QCOMPARE(t.echoOn, t.echoVisible);
        QCOMPARE(t.clockHours, 123.5f);
    }

    void modeValues_data() {
        QTest::addColumn<QByteArray>("modeFlags");
        QTest::addColumn<QByteArray>("sumScale"); // enable, type
        QTest::addColumn<QString>("expected");    // linear, pay-out, hold, output mode
        QTest::addColumn<LinkRequest>("poll");
        const auto row = [](const char* name, const char* flags, const char* sumScale,
                            const char* expected, LinkRequest poll) {
            QTest::newRow(name) << QByteArray(flags) << QByteArray(sumScale) << QString(expected)
                                << poll;
        };
        const LinkRequest dc3 = LinkRequest::PollDistance, dle = LinkRequest::PollAdaptive;
        const LinkRequest can = LinkRequest::PollAnalog;
        row("linear take-up hold", "000000100", "00", "1 0 1 1", dc3);
        row("adaptive pay-out no hold", "000001010", "00", "0 1 0 0", dle);
        row("linear scaled", "000000100", "10", "1 0 1 3", can);
        row("linear sum prop", "000000100", "11", "1 0 1 2", can);
        row("adaptive sum linear", "000000000", "12", "0 0 1 4", dle);
        row("other type keeps", "000000100", "17", "1 0 1 1", can);
        row("enable 2 not polled by CAN", "000000100", "20", "1 0 1 3", dc3);
        row("blank flags", "", "", "0 0 1 0", dle);
    }

    void modeValues() {
        QFETCH(QByteArray, modeFlags);
        QFETCH(QByteArray, sumScale);
        ProgramState state;
        state.currentProgram = 4;
        state.programs[4].set(Field::ModeFlags, modeFlags);
        state.programs[4].set(Field::SumScaleEnable, sumScale.left(1));
        state.programs[4].set(Field::SumScaleType, sumScale.mid(1));
        const MainDisplayModel m = updateMainDisplay(state);
        QTEST(QStringLiteral("%1 %2 %3 %4")
                  .arg(m.linearOutput)
                  .arg(m.payOutMode)
                  .arg(int(m.holdOn))
                  .arg(m.outputMode),
              "expected");
        QTEST(m.pollRequest, "poll");
    }

    void unitsShowInPanelsAndChart_data() {
        QTest::addColumn<QByteArray>("units");
        QTest::addColumn<QStringList>("panels"); // base, range, temperature, units
        QTest::addColumn<int>("near");
        QTest::addColumn<int>("far");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<double>("limitLow");
        QTest::addColumn<double>("spanHigh");
        QTest::newRow("U.S.") << QByteArray(" 0") << QStringList{"13", "30", "77.0", "U.S."} << 15
                              << 43 << "Distance (Inches)" << 12.9 << 43.5;
        QTest::newRow("metric") << QByteArray(" 1") << QStringList{"33", "76", "25.0", "Metric"}
                                << 38 << 109 << "Distance (Centimeters)" << 12.9 * 2.54
                                << 43.5 * 2.54;
    }

    void unitsShowInPanelsAndChart() {
        QFETCH(QByteArray, units);
        QFETCH(QStringList, panels);
        const ProgramState state = unitWith(units);
        const MainDisplayModel m = updateMainDisplay(state);
        const MainDisplayTexts t = mainDisplayTextsFor(state, m);
        QCOMPARE((QStringList{t.settingsPanels[0], t.settingsPanels[1], t.settingsPanels[5],
                              t.settingsPanels[6]}),
                 panels);
        QTEST(int(t.nearValue), "near");
        QTEST(int(t.farValue), "far");
        QTEST(t.chartCaption, "caption");
        QTEST(t.limitLow, "limitLow");
        QTEST(t.spanHigh, "spanHigh");
        QCOMPARE(t.programNumber, QStringLiteral("2"));
        QCOMPARE(t.serial, QStringLiteral("A12345"));
        QCOMPARE(m.baseShown, float(13 * m.unitFactor));
        QCOMPARE(m.offsetValue, qint16(12)); // halves to even
        QCOMPARE(m.sumScaleShare, 40.f);
        QCOMPARE(m.tempCompOn, false); // mode 2 is shown as off
    }

    void analogOnlyWithSumScale() {
        QCOMPARE(selectMeterMode(1, 3, 0).meterMode, 3);
        QVERIFY(selectMeterMode(1, 2, 0).refused);
        QCOMPARE(selectMeterMode(1, 2, 0).meterMode, 2);
        QCOMPARE(selectMeterMode(1, 3, 1).meterMode, 1);
        QVERIFY(!selectMeterMode(2, 1, 0).refused);
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "test_monitor.moc"
