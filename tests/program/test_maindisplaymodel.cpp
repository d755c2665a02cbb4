// The display model of the running program: the unit's options, the output mode and poll
// request a program's settings give, and the values shown in metric units.
#include "program/maindisplaymodel.h"

#include <QtTest>

using namespace vanto;

class TestMainDisplayModel : public QObject {
    Q_OBJECT
private slots:
    void unitOptions_data();
    void unitOptions();
    void modeValues_data();
    void modeValues();
    void metricShownValues();
};

void TestMainDisplayModel::unitOptions_data() {
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

void TestMainDisplayModel::unitOptions() {
    QFETCH(QByteArray, options);
    ProgramState state;
    state.unitOptions = options;
    const MainDisplayModel m = updateMainDisplay(state);
    QTEST(m.featureLevel, "level");
    QTEST(m.modelName, "model");
}

void TestMainDisplayModel::modeValues_data() {
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

void TestMainDisplayModel::modeValues() {
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

void TestMainDisplayModel::metricShownValues() {
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

QTEST_GUILESS_MAIN(TestMainDisplayModel)
#include "test_maindisplaymodel.moc"
