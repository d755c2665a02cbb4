// The display model's monitor values and the program record decoder's pure parts.
#include "monitor/maindisplay.h"
#include "monitor/onlinerecord.h"
#include "program/demoprograms.h"
#include "program/recordreply.h"
#include "program/transmission.h"
#include "unitformat.h"

#include <QtTest>

using namespace vanto;

class TestMonitor : public QObject {
    Q_OBJECT
private slots:
    void unitOptions_data();
    void unitOptions();
    void modeValues_data();
    void modeValues();
    void metricShownValues();
    void recordRoundTrip();
    void recordChecksum_data();
    void recordChecksum();
    void longRecordChecksum();
    void linearOffsetBackToPercent();
    void program0KeepsUnitWideField();
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
    QTest::addColumn<int>("pollRequest");
    QTest::newRow("linear take-up hold") << QByteArray("000000100") << QByteArray("0")
                                         << QByteArray("0") << 1 << 0 << true << 1 << 3;
    QTest::newRow("adaptive pay-out no hold") << QByteArray("000001010") << QByteArray("0")
                                              << QByteArray("0") << 0 << 1 << false << 0 << 5;
    QTest::newRow("linear scaled") << QByteArray("000000100") << QByteArray("1") << QByteArray("0")
                                   << 1 << 0 << true << 3 << 6;
    QTest::newRow("linear sum prop") << QByteArray("000000100") << QByteArray("1")
                                     << QByteArray("1") << 1 << 0 << true << 2 << 6;
    QTest::newRow("adaptive sum linear") << QByteArray("000000000") << QByteArray("1")
                                         << QByteArray("2") << 0 << 0 << true << 4 << 5;
    QTest::newRow("other type keeps") << QByteArray("000000100") << QByteArray("1")
                                      << QByteArray("7") << 1 << 0 << true << 1 << 6;
    QTest::newRow("enable 2 not polled by CAN") << QByteArray("000000100") << QByteArray("2")
                                                << QByteArray("0") << 1 << 0 << true << 3 << 3;
    QTest::newRow("blank flags") << QByteArray("") << QByteArray("") << QByteArray("") << 0 << 0
                                 << true << 0 << 5;
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

namespace {

const qxsim::UnitIdentity kUnit{5, "2.16 M", "A12345"};

} // namespace

void TestMonitor::recordRoundTrip() {
    const ProgramSet demo = demoPrograms();
    ProgramState state;
    for (int k = 0; k < kProgramCount; ++k) {
        const RecordReply reply =
            parseRecordReply(qxsim::unitRecordReply(demo, k, kUnit, "\x01\x02"));
        QVERIFY(reply.wellFormed());
        QVERIFY(reply.checksumOk());
        QCOMPARE(reply.runningProgram, 5);
        QVERIFY(storeRecordReply(reply, k, state));
    }
    QCOMPARE(state.unitOptions, QByteArray("2.16 M"));
    QCOMPARE(state.unitSerial, QByteArray("A12345"));
    // Every field the record carries comes back as it was (values travel trimmed).
    for (int k = 0; k < kProgramCount; ++k) {
        for (const FieldInfo& f : kFieldTable) {
            if (f.field == Field::Spare02 || f.field == Field::Param24 ||
                f.field == Field::Param47 || (k != 0 && f.field == Field::Param21))
                continue; // not carried, or carried only as program #0's unit-wide value
            QVERIFY2(state.programs[k].trimmed(f.field) == demo[k].trimmed(f.field),
                     qPrintable(QStringLiteral("#%1 %2").arg(k).arg(f.name)));
        }
    }
}

void TestMonitor::recordChecksum_data() {
    QTest::addColumn<int>("at");
    QTest::addColumn<char>("byte");
    QTest::addColumn<bool>("wellFormed");
    QTest::addColumn<bool>("checksumOk");
    // Offsets into the reply; the two leading bytes are outside the checksum.
    QTest::newRow("lead byte 1") << 0 << 'z' << true << true;
    QTest::newRow("lead byte 2") << 1 << 'z' << true << true;
    QTest::newRow("field 1 changed") << 4 << '9' << true << false;
    QTest::newRow("field 0 out of range") << 2 << '9' << false << false;
    QTest::newRow("field 0 not a number") << 2 << 'x' << false << false;
}

void TestMonitor::recordChecksum() {
    QFETCH(int, at);
    QFETCH(char, byte);
    QByteArray reply = qxsim::unitRecordReply(demoPrograms(), 1, kUnit, "\x01\x02");
    reply[at] = byte;
    const RecordReply r = parseRecordReply(reply);
    QTEST(r.wellFormed(), "wellFormed");
    if (r.wellFormed())
        QTEST(r.checksumOk(), "checksumOk");
}

void TestMonitor::longRecordChecksum() {
    // A long option text pushes the sum past the 16-bit range; the record is still good.
    const qxsim::UnitIdentity unit{0, QByteArray(400, 'M'), "A12345"};
    const RecordReply r = parseRecordReply(qxsim::unitRecordReply(demoPrograms(), 0, unit, "xx"));
    QVERIFY(r.checksum > 32767);
    QVERIFY(r.wellFormed());
    QVERIFY(r.checksumOk());
    // Truncated: fewer than 47 CRs.
    const QByteArray full = qxsim::unitRecordReply(demoPrograms(), 0, kUnit, "xx");
    QVERIFY(!parseRecordReply(full.left(full.size() / 2)).wellFormed());
}

void TestMonitor::linearOffsetBackToPercent() {
    ProgramSet programs;
    ProgramRecord& r = programs[2];
    r.set(Field::ModeFlags, "000000100");
    r.set(Field::OffsetPercent, "10");
    r.set(Field::Range, "30");
    r.set(Field::Conversion, "0.0067");
    const QByteArray reply = qxsim::unitRecordReply(programs, 2, kUnit, "xx");
    QVERIFY(reply.contains("\r448\r")); // sent in counts
    ProgramState state;
    QVERIFY(storeRecordReply(parseRecordReply(reply), 2, state));
    QCOMPARE(state.programs[2].trimmed(Field::OffsetPercent), QByteArray("10"));
    // An offset of 0 stays 0; a count with no range to divide by changes nothing.
    r.set(Field::OffsetPercent, "0");
    QVERIFY(storeRecordReply(parseRecordReply(qxsim::unitRecordReply(programs, 2, kUnit, "xx")), 2,
                             state));
    QCOMPARE(state.programs[2].trimmed(Field::OffsetPercent), QByteArray("0"));
    QByteArray zeroRange = qxsim::unitRecordReply(programs, 2, kUnit, "xx");
    RecordReply parsed = parseRecordReply(zeroRange);
    parsed.fields[2] = "448";
    parsed.fields[7] = "0";
    const ProgramState before = state;
    QVERIFY(!storeRecordReply(parsed, 2, state));
    QCOMPARE(state.programs[2], before.programs[2]);
}

void TestMonitor::program0KeepsUnitWideField() {
    ProgramSet programs = demoPrograms();
    programs[0].set(Field::Param21, "1234.5");
    ProgramState state;
    state.programs[5].set(Field::Param21, "keep");
    QVERIFY(storeRecordReply(parseRecordReply(qxsim::unitRecordReply(programs, 5, kUnit, "xx")), 5,
                             state));
    QCOMPARE(state.programs[0].trimmed(Field::Param21), QByteArray("1234.5"));
    QCOMPARE(state.programs[5].trimmed(Field::Param21), QByteArray("keep"));
}

QTEST_GUILESS_MAIN(TestMonitor)
#include "test_monitor.moc"
